#include "steps/Recup_Base.h"

#include <cstdint>

#include "platform/TextInput.h"

namespace maj {

ErrorNumber Recup_Base(BaseList& bases, Platform& platform) {
  TextInput file;
  if (const ErrorNumber err = file.Open(platform, kBaseListPath)) return err;
  if (const ErrorNumber err = file.DetectEncoding()) return err;
  std::int32_t count = 0;
  bool atEnd = false;
  do {
    // Read first, then test for the end: an empty file fails on its first read.
    std::string line;
    if (const ErrorNumber err = file.LineInput(line)) return err;
    ++count;
    if (count > kMaxBases) return kErrSubscriptOutOfRange;
    bases.at(static_cast<std::size_t>(count - 1)) = line;
    if (const ErrorNumber err = file.Eof(atEnd)) return err;
  } while (!atEnd);
  return kOk;
}

}  // namespace maj
