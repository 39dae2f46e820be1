// The main window's logic: its load handler and the upgrade run it starts.
#pragma once

#include "app/ExitCode.h"
#include "app/Run.h"
#include "contract/Dba.h"
#include "platform/Pieces.h"
#include "state/RunState.h"

namespace maj {

// The load handler of Frm_MAJ: runs the whole upgrade once (or the pre-check)
// and returns when the run is over and the window has been unloaded; answers
// how the run ended.
RunRecord Form_Load(RunState& state, const Pieces& pieces, DbaFactory& dba,
                    RunMode mode = RunMode::Upgrade);

// What the upgrade reaches beyond what every run does: it writes, and it
// starts the copies.
struct UpgradePieces {
  FileWrites& writes;
  Processes& processes;
};

// The upgrade run: set-up, every base of the list, summary, marker file.
void TraitementMAJ(Run& run, const UpgradePieces& pieces);

}  // namespace maj
