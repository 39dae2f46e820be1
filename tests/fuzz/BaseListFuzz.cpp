// Fuzzes the base list reader against an independent split of the same bytes.
#include <cstdint>
#include <cstdlib>

#include "state/RunState.h"
#include "steps/Recup_Base.h"
#include "tests/fuzz/FuzzPlatform.h"
#include "tests/support/Cp1252.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static maj::test::FuzzPlatform platform;
  platform.Reset(std::string(reinterpret_cast<const char*>(data), size));
  maj::RunState state;
  const maj::ErrorNumber err = maj::Recup_Base(state.W_Bases, platform);

  // A file that starts with the UTF-8 mark is read as UTF-8 without it.
  const std::string mark = "\xEF\xBB\xBF";
  const bool utf8 = platform.content.compare(0, mark.size(), mark) == 0;
  const std::vector<std::string> lines =
      maj::test::ReferenceLines(utf8 ? platform.content.substr(mark.size()) : platform.content);
  const std::size_t kept = std::min<std::size_t>(lines.size(), maj::kMaxBases);
  for (std::size_t i = 0; i < maj::kMaxBases; ++i) {
    const std::string expected = i >= kept ? ""
                                 : utf8    ? lines[i]
                                           : maj::test::Cp1252ToUtf8(lines[i]);
    if (state.W_Bases[i] != expected) std::abort();
  }
  const maj::ErrorNumber expectedErr = lines.empty() ? maj::kErrInputPastEnd
                                       : lines.size() > maj::kMaxBases
                                           ? maj::kErrSubscriptOutOfRange
                                           : maj::kOk;
  if (err != expectedErr) std::abort();
  if (platform.openFiles != 0) std::abort();
  return 0;
}
