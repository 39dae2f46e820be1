// The list of bases to upgrade: one entry per line of the base list file.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/FileQueries.h"
#include "platform/System.h"
#include "state/RunState.h"

namespace maj {

inline constexpr const char* kBaseListPath = R"(\\127.0.0.1\UNIDATA\BASES.TXT)";

// At most this much of the list file is read: far more than 30 lines need,
// and a runaway file cannot take the program's memory.
inline constexpr std::size_t kBaseListBytes = 64 * 1024;

// How many names after the 30th the list keeps for the operator.
inline constexpr std::size_t kTailNames = 10;

// What the list held beyond the bases the run takes.
struct ListTail {
  std::vector<std::string> names;  // the first lines after the 30th, empty ones left out
  bool more = false;               // lines beyond those, or beyond what was read
};

// Fills `bases` (W_Bases) from line 1 upward, whole lines, at most 30. Ends with the
// first failure (missing file, empty file, a 31st line), keeping what was
// stored before it; the file is closed on every path. A list saved as UTF-8
// with its byte-order mark is read as UTF-8, any other in the ANSI code page.
// After a 31st line, the lines beyond go to `tail`; a file longer than
// kBaseListBytes fails as one with a 31st line.
[[nodiscard]] ErrorNumber Recup_Base(BaseList& bases, FileQueries& files, System& system,
                                     ListTail& tail);

// The bases the run goes through: the entries up to the first empty one.
int BasesListed(const BaseList& bases);

// How the reading of the list ended, for the operator and the exit code.
enum class ListState {
  Read,        // every line read
  NoBase,      // no base to go through: missing, unreadable, empty, first line empty
  TooMany,     // lines beyond the 30th (or beyond what is read) not taken
  Incomplete,  // the reading failed after some bases
};

ListState BaseListState(const BaseList& bases, ErrorNumber read, const ListTail& tail);

}  // namespace maj
