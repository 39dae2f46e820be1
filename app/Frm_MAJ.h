// The main window's logic: its load handler and the upgrade run it starts.
#pragma once

#include "app/CommandLine.h"
#include "app/ExitCode.h"
#include "contract/Dba.h"
#include "platform/Platform.h"
#include "state/RunState.h"

namespace maj {

// The load handler of Frm_MAJ: runs the whole upgrade once (or the pre-check)
// and returns when the run is over and the window has been unloaded; answers
// how the run ended.
ExitCode Form_Load(RunState& state, Platform& platform, DbaFactory& dba,
                   RunMode mode = RunMode::Upgrade);

// The upgrade run: set-up, every base of the list, summary, marker file.
ExitCode TraitementMAJ(RunState& state, Platform& platform, DbaFactory& dba);

}  // namespace maj
