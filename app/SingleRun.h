// One upgrade run at a time per machine: two runs would copy the same package
// into the same bases while the server checks it.
#pragma once

#include "platform/Operator.h"
#include "platform/RunGuards.h"
#include "state/RunLog.h"

namespace maj {

inline constexpr const char* kAlreadyRunning =
    "Une mise à niveau est déjà en cours sur ce serveur.";

// Claims the machine's one run for the life of the program. When another run
// holds it, tells the operator in one box (its text in `log`, when open) and
// answers true: the program then ends without touching anything. A claim that
// cannot be made at all does not stop the upgrade.
[[nodiscard]] bool AnotherRunGoesOn(RunGuards& guards, Operator& op, RunLog& log);

}  // namespace maj
