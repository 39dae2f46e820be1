#include "app/SessionEnd.h"

namespace maj {

void KeepSessionForTheRun(RunState& state, RunGuards& guards) {
  // Without it the session ends as before; the run goes on either way.
  Unheeded(guards.HoldSessionEnd(kSessionEndReason, [&log = state.Log](SessionEnd what) {
    switch (what) {
      case SessionEnd::Asked:
        log.Line("Session end asked: Windows asked to wait");
        break;
      case SessionEnd::Ends:
        log.Line("Session end: the session ends all the same; the run stops here");
        break;
      case SessionEnd::CalledOff:
        log.Line("Session end: called off; the run goes on");
        break;
    }
  }));
}

}  // namespace maj
