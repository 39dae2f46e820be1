// The main window's logic: its load handler and the upgrade run it starts.
#pragma once

#include "contract/Dba.h"
#include "platform/Platform.h"
#include "state/RunState.h"

namespace maj {

// The load handler of Frm_MAJ: runs the whole upgrade once and returns when the
// run is over and the window has been unloaded.
void Form_Load(RunState& state, Platform& platform, DbaFactory& dba);

// The upgrade run: set-up, every base of the list, summary, marker file.
void TraitementMAJ(RunState& state, Platform& platform, DbaFactory& dba);

}  // namespace maj
