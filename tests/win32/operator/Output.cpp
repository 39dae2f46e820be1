#include "tests/win32/operator/Output.h"

#include <windows.h>

namespace op {

namespace {

void WriteAll(DWORD which, std::string_view bytes) {
  const HANDLE out = GetStdHandle(which);
  if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
  while (!bytes.empty()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(bytes.size() > 65536 ? 65536 : bytes.size());
    if (!WriteFile(out, bytes.data(), chunk, &written, nullptr) || written == 0) return;
    bytes.remove_prefix(written);
  }
}

}  // namespace

std::string Escape(std::string_view utf8) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string escaped;
  escaped.reserve(utf8.size());
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '\\':
        escaped += "\\\\";
        break;
      case '\t':
        escaped += "\\t";
        break;
      case '\r':
        escaped += "\\r";
        break;
      case '\n':
        escaped += "\\n";
        break;
      default:
        if (byte < 0x20 || byte == 0x7F) {
          escaped += "\\x";
          escaped += kDigits[byte >> 4];
          escaped += kDigits[byte & 0xF];
        } else {
          escaped += c;
        }
    }
  }
  return escaped;
}

void PrintLine(std::string_view line) {
  std::string bytes(line);
  bytes += '\n';
  WriteAll(STD_OUTPUT_HANDLE, bytes);
}

void PrintField(std::string_view key, std::string_view value) {
  std::string line(key);
  line += '\t';
  line += Escape(value);
  PrintLine(line);
}

void PrintError(std::string_view message) {
  std::string bytes(message);
  bytes += '\n';
  WriteAll(STD_ERROR_HANDLE, bytes);
}

std::string Hex(unsigned long long value) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  do {
    text.insert(text.begin(), kDigits[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  return "0x" + text;
}

}  // namespace op
