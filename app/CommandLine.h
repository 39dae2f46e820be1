// The program's arguments: none for the upgrade, /VERIFIER for the pre-check,
// /? for the usage box. Switches are read regardless of letter case.
#pragma once

#include <string>
#include <vector>

#include "app/ExitCode.h"
#include "platform/Platform.h"

namespace maj {

enum class RunMode { Upgrade, PreCheck, Usage, Unknown };

// The mode the arguments (the program's name left out) ask for.
RunMode ReadCommandLine(const std::vector<std::string>& arguments);

// The usage box's text.
std::string UsageText();

// For Usage and Unknown: shows the usage box (critical, naming the arguments,
// for an unknown one) and answers the exit code. Nothing else is done.
ExitCode ShowUsage(Platform& platform, RunMode mode, const std::vector<std::string>& arguments);

}  // namespace maj
