#include "app/SeuleMiseANiveau.h"

#include "app/Rapport.h"

namespace maj {

bool AnotherRunGoesOn(Platform& platform) {
  bool alone = true;
  if (platform.ClaimSingleRun(alone) != kOk || alone) return false;
  // The answer of the box is never used, and nothing follows it.
  Unheeded(platform.MsgBox(kAlreadyRunning, BoxIcon::Critical, kMessageTitle));
  return true;
}

}  // namespace maj
