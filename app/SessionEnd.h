// A log-off, restart or shutdown asked for while the run goes on would stop
// it wherever it is, mid-copy or mid-upgrade: the system is asked to wait.
#pragma once

#include "platform/RunGuards.h"
#include "state/RunState.h"

namespace maj {

inline constexpr const char* kSessionEndReason =
    "Mise à niveau en cours : ne fermez pas la session.";

// From now until the main window is unloaded, each request to end the
// session is answered "wait", with the reason above, and logged.
void KeepSessionForTheRun(RunState& state, RunGuards& guards);

}  // namespace maj
