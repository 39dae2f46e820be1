#include "platform/Text.h"

#include <cstdint>
#include <cstdio>

namespace maj {
namespace {

// Bytes in the UTF-8 sequence that starts with `lead` (1 for a stray byte, so
// that malformed input is walked byte by byte instead of being skipped).
std::size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
  if (lead >= 0xC2) return 2;
  return 1;
}

bool IsContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

}  // namespace

char32_t DecodeUtf8(std::string_view s, std::size_t i, std::size_t& length) {
  const auto lead = static_cast<unsigned char>(s[i]);
  length = SequenceLength(lead);
  if (i + length > s.size()) length = 1;
  for (std::size_t k = 1; k < length; ++k) {
    if (!IsContinuation(static_cast<unsigned char>(s[i + k]))) length = 1;
  }
  if (length == 1) return lead;
  char32_t cp = lead & (0xFF >> (length + 1));
  for (std::size_t k = 1; k < length; ++k) {
    cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
  }
  return cp;
}

void AppendUtf8(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

namespace {

char32_t UpperCodePoint(char32_t cp) {
  if (cp >= U'a' && cp <= U'z') return cp - 0x20;
  if (cp >= 0xE0 && cp <= 0xFE && cp != 0xF7) return cp - 0x20;  // à..þ, not ÷
  if (cp == 0xFF) return 0x178;                                  // ÿ
  if (cp >= 0x100 && cp <= 0x17F) {
    // Latin Extended-A pairs capital/small; the pairing shifts by one in
    // 0x139-0x148 and 0x179-0x17E, and ı, ĸ, ŉ, ſ have no pair of their own.
    if (cp == 0x131 || cp == 0x138 || cp == 0x149 || cp == 0x17F) return cp;
    const bool shifted = (cp >= 0x139 && cp <= 0x148) || (cp >= 0x179 && cp <= 0x17E);
    const bool small = shifted ? (cp % 2 == 0) : (cp % 2 == 1);
    return small ? cp - 1 : cp;
  }
  return cp;
}

}  // namespace

std::size_t Utf16Length(std::string_view utf8) {
  std::size_t units = 0;
  for (std::size_t i = 0, n = 0; i < utf8.size(); i += n) {
    units += DecodeUtf8(utf8, i, n) >= 0x10000 ? 2 : 1;
  }
  return units;
}

std::string FirstCharacter(std::string_view utf8) {
  if (utf8.empty()) return {};
  std::size_t n = 0;
  DecodeUtf8(utf8, 0, n);
  return std::string(utf8.substr(0, n));
}

std::string UpperCase(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0, n = 0; i < utf8.size(); i += n) {
    const char32_t cp = DecodeUtf8(utf8, i, n);
    if (n == 1 && cp >= 0x80) {
      out += utf8[i];  // a stray byte stays as it was
    } else {
      AppendUtf8(UpperCodePoint(cp), out);
    }
  }
  return out;
}

std::string HexNumber(std::uint32_t number) {
  char text[11];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(number));
  return text;
}

void SecureWipe(std::string& secret) {
  // Writes through a volatile pointer, which the compiler may not drop, over
  // the whole capacity: earlier, longer contents may still lie beyond the size.
  secret.resize(secret.capacity());
  volatile char* bytes = secret.data();
  for (std::size_t i = 0; i < secret.size(); ++i) bytes[i] = '\0';
  secret.clear();
}

}  // namespace maj
