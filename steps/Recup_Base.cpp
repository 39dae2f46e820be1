#include "steps/Recup_Base.h"

#include <cstdint>

#include "platform/TextInput.h"

namespace maj {
namespace {

// The lines after the 30th, for the operator to see which bases were left.
void ReadTail(TextInput& file, ListTail& tail) {
  bool atEnd = false;
  while (file.Eof(atEnd) == kOk && !atEnd) {
    std::string line;
    if (file.LineInput(line) != kOk) break;
    if (line.empty()) continue;
    if (tail.names.size() < kTailNames) {
      tail.names.push_back(line);
    } else {
      tail.more = true;
    }
  }
  if (file.Cut()) tail.more = true;
}

}  // namespace

ErrorNumber Recup_Base(BaseList& bases, FileQueries& files, System& system, ListTail& tail) {
  TextInput file;
  if (const ErrorNumber err = file.Open(files, system, kBaseListPath)) return err;
  if (const ErrorNumber err = file.DetectEncoding(kBaseListBytes)) return err;
  std::int32_t count = 0;
  bool atEnd = false;
  do {
    // Read first, then test for the end: an empty file fails on its first read.
    std::string line;
    if (const ErrorNumber err = file.LineInput(line)) return err;
    ++count;
    if (count > kMaxBases) {
      if (!line.empty()) tail.names.push_back(line);
      ReadTail(file, tail);
      return kErrSubscriptOutOfRange;
    }
    bases.at(static_cast<std::size_t>(count - 1)) = line;
    if (const ErrorNumber err = file.Eof(atEnd)) return err;
  } while (!atEnd);
  // What the limit left unread are more lines than the run takes.
  if (file.Cut()) {
    tail.more = true;
    return kErrSubscriptOutOfRange;
  }
  return kOk;
}

int BasesListed(const BaseList& bases) {
  int listed = 0;
  while (listed < kMaxBases && !bases.at(static_cast<std::size_t>(listed)).empty()) ++listed;
  return listed;
}

ListState BaseListState(const BaseList& bases, ErrorNumber read, const ListTail& tail) {
  const int listed = BasesListed(bases);
  if (listed == 0) return ListState::NoBase;
  if (read == kOk) return ListState::Read;
  if (read != kErrSubscriptOutOfRange) return ListState::Incomplete;
  // A 31st line that is empty, with nothing after it, names no base.
  if (tail.names.empty() && !tail.more) return ListState::Read;
  return listed == kMaxBases ? ListState::TooMany : ListState::Incomplete;
}

}  // namespace maj
