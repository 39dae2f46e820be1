#include "app/SingleRun.h"

#include "app/Rapport.h"

namespace maj {

bool AnotherRunGoesOn(RunGuards& guards, Operator& op, RunLog& log) {
  bool alone = true;
  if (guards.ClaimSingleRun(alone) != kOk || alone) return false;
  log.Line("Box: ", kAlreadyRunning);
  // The answer of the box is never used, and nothing follows it.
  Unheeded(op.MsgBox(kAlreadyRunning, BoxIcon::Critical, kMessageTitle));
  return true;
}

}  // namespace maj
