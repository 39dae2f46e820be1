// Learning the directory of the open base: asked of the server ("QUI") twice,
// then of the operator.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Platform.h"
#include "state/RunState.h"

namespace maj {

// Sets W_CheminBase and W_Lecteur (its first character) for entry `counter`.
// False when no directory was obtained: the operator left the input box empty.
// A query that fails counts as no answer, so the step has no failure of its own.
[[nodiscard]] bool ResolveBasePath(RunState& state, Platform& platform, std::int16_t counter);

// The directory the server gives for the open base, asked twice; "" when it
// gives none (or one that cannot be quoted). Never asks the operator.
std::string AskServerForDirectory(RunState& state);

// The prompt of the input box for that base entry.
std::string BasePathPrompt(const std::string& entry);

// A typed path without the one pair of double quotes around the whole of it,
// if it has them; any other quote stays.
std::string WithoutEnclosingQuotes(const std::string& typed);

}  // namespace maj
