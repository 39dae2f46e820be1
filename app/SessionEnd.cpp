#include "app/SessionEnd.h"

namespace maj {

void KeepSessionForTheRun(RunState& state, Platform& platform) {
  // Without it the session ends as before; the run goes on either way.
  Unheeded(platform.HoldSessionEnd(kSessionEndReason, [&log = state.Log] {
    log.Line("Session end asked: Windows asked to wait");
  }));
}

}  // namespace maj
