// The program's arguments: none for the upgrade, /VERIFIER for the pre-check,
// /? for the usage box. Switches are read regardless of letter case.
#pragma once

#include <string>
#include <vector>

#include "app/ExitCode.h"
#include "platform/Operator.h"

namespace maj {

// The mode the arguments (the program's name left out) ask for.
RunMode ReadCommandLine(const std::vector<std::string>& arguments);

// The usage box's text.
std::string UsageText();

// The arguments as the operator typed them, quotes and all: the command
// line after the program's name.
std::string ArgumentsAsTyped(const std::string& commandLine);

// For Usage and Unknown: shows the usage box (critical, naming the arguments
// as typed, for an unknown one) and answers how the program ends. Nothing
// else is done.
Ending ShowUsage(Operator& op, RunMode mode, const std::string& typed);

}  // namespace maj
