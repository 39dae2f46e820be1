// The program's arguments: none for the upgrade, /VERIFIER for the pre-check,
// /? for the usage box, /SILENCIEUX for a run nobody watches. Switches are read regardless of
// letter case.
#pragma once

#include <string>
#include <vector>

#include "app/ExitCode.h"
#include "platform/Operator.h"

namespace maj {

// The mode the arguments (the program's name left out) ask for. /SILENCIEUX
// goes with the upgrade or the pre-check, in either order, once.
RunMode ReadCommandLine(std::vector<std::string> arguments);

// Whether /SILENCIEUX is among the arguments: then nothing is shown, even for
// arguments the program does not know.
bool AsksForSilence(const std::vector<std::string>& arguments);

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
