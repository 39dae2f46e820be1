// Fuzzes the base list reader against an independent split of the same bytes.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/Text.h"
#include "state/RunState.h"
#include "steps/Recup_Base.h"
#include "tests/fuzz/FuzzPlatform.h"
#include "tests/support/Cp1252.h"

namespace {

// UTF-16 decoded unit by unit, apart from the reader's own decoder.
std::string ReferenceUtf16(const std::string& bytes, bool bigEnd) {
  std::u16string units;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto a = static_cast<unsigned char>(bytes[i]);
    const auto b = static_cast<unsigned char>(bytes[i + 1]);
    units += static_cast<char16_t>(bigEnd ? (a << 8) | b : (b << 8) | a);
  }
  std::string out;
  for (std::size_t i = 0; i < units.size(); ++i) {
    char32_t cp = units[i];
    const bool high = cp >= 0xD800 && cp <= 0xDBFF;
    if (high && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (units[++i] - 0xDC00);
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    maj::AppendUtf8(cp, out);
  }
  if (bytes.size() % 2 != 0) maj::AppendUtf8(0xFFFD, out);
  return out;
}

// Decodes each sequence and encodes it back: well-formed UTF-8 is exactly
// what survives that unchanged, with no surrogate or overlong form.
bool ReferenceUtf8BeyondAscii(const std::string& bytes) {
  bool beyond = false;
  for (std::size_t i = 0; i < bytes.size();) {
    std::size_t length = 0;
    const char32_t cp = maj::DecodeUtf8(bytes, i, length);
    std::string again;
    maj::AppendUtf8(cp, again);
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF || bytes.compare(i, length, again) != 0)
      return false;
    if (static_cast<unsigned char>(bytes[i]) >= 0x80) {
      if (length < 2) return false;
      beyond = true;
    }
    i += length;
  }
  return beyond;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The reader's limit has a unit test of its own; the split is fuzzed below it.
  if (size > maj::kBaseListBytes) return 0;
  static maj::test::FuzzPlatform platform;
  platform.Reset(std::string(reinterpret_cast<const char*>(data), size));
  maj::RunState state;
  maj::ListTail tail;
  const maj::ErrorNumber err = maj::Recup_Base(state.W_Bases, platform, platform, tail);

  // UTF-16 after its mark, UTF-8 after its mark, UTF-8 that holds a character
  // beyond ASCII, or else the ANSI code page.
  const std::string& bytes = platform.content;
  std::string text;
  bool utf8 = true;
  if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
    text = ReferenceUtf16(bytes.substr(2), bytes[0] == '\xFE');
  } else if (bytes.starts_with("\xEF\xBB\xBF")) {
    text = bytes.substr(3);
  } else {
    text = bytes;
    utf8 = ReferenceUtf8BeyondAscii(bytes);
  }
  const std::vector<std::string> lines = maj::test::ReferenceLines(text);
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
