// Learning the directory of the open base: asked of the server ("QUI") twice,
// then of the operator.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Operator.h"
#include "platform/System.h"
#include "state/RunState.h"

namespace maj {

// What ResolveBasePath obtained.
enum class BaseDirectory {
  Found,     // W_CheminBase and W_Lecteur are set
  Unusable,  // a typed path no Windows path can be (a quote inside): skip this base
  Unknown,   // the server gave none and nobody may be asked: skip this base
  None,      // the operator left the input box empty: the run ends
};

// Sets W_CheminBase and W_Lecteur (its first character) for entry `counter`.
// A query that fails counts as no answer, so the step has no failure of its own.
[[nodiscard]] BaseDirectory ResolveBasePath(RunState& state, Operator& op, System& system,
                                            std::int16_t counter);

// The directory the server gives for the open base, asked twice; "" when it
// gives none (or one that cannot be quoted). Never asks the operator.
std::string AskServerForDirectory(RunState& state);

// The prompt of the input box for that base entry.
std::string BasePathPrompt(const std::string& entry);

// A typed path without any of the double quotes before and after it (a pair
// from "Copy as path", or a stray one); a quote inside stays.
std::string WithoutOuterQuotes(const std::string& typed);

}  // namespace maj
