// The list of bases to upgrade: one entry per line of the base list file.
#pragma once

#include "platform/Platform.h"
#include "state/RunState.h"

namespace maj {

inline constexpr const char* kBaseListPath = R"(\\127.0.0.1\UNIDATA\BASES.TXT)";

// Fills `bases` (W_Bases) from line 1 upward, whole lines, at most 30. Ends with the
// first failure (missing file, empty file, a 31st line), keeping what was
// stored before it; the file is closed on every path. A list saved as UTF-8
// with its byte-order mark is read as UTF-8, any other in the ANSI code page.
[[nodiscard]] ErrorNumber Recup_Base(BaseList& bases, Platform& platform);

}  // namespace maj
