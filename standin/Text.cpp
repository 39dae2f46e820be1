#include "standin/Text.h"

#include <cstdio>

namespace standin {

std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::string FoldCase(std::string_view utf8) {
  std::string folded(utf8);
  for (std::size_t i = 0; i < folded.size(); ++i) {
    const auto c = static_cast<unsigned char>(folded[i]);
    if (c >= 'A' && c <= 'Z') {
      folded[i] = static_cast<char>(c + ('a' - 'A'));
    } else if (c == 0xC3 && i + 1 < folded.size()) {
      // U+00C0..U+00DE are 0xC3 0x80..0x9E; their lower case is 0x20 further,
      // except U+00D7 (the multiplication sign).
      const auto next = static_cast<unsigned char>(folded[i + 1]);
      if (next >= 0x80 && next <= 0x9E && next != 0x97) {
        folded[i + 1] = static_cast<char>(next + 0x20);
      }
      ++i;
    }
  }
  return folded;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && FoldCase(a) == FoldCase(b);
}

std::string Hex(maj::ErrorNumber number) {
  if (number == 0) return "0";
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(number));
  return text;
}

std::string Quote(std::string_view text) {
  std::string quoted = "\"";
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '"') {
      quoted += "\"\"";
    } else if (c == '\r') {
      quoted += "<CR>";
    } else if (c == '\n') {
      quoted += "<LF>";
    } else if (c == '\t') {
      quoted += "<TAB>";
    } else if (c == 0x1E) {
      quoted += "<RS>";
    } else if (c < 0x20 || c == 0x7F) {
      char code[8];
      std::snprintf(code, sizeof code, "<0x%02X>", static_cast<unsigned>(c));
      quoted += code;
    } else {
      quoted += ch;
    }
  }
  quoted += '"';
  return quoted;
}

std::string QuoteList(const std::vector<std::string>& texts) {
  std::string list = "[";
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (i > 0) list += ", ";
    list += Quote(texts[i]);
  }
  list += ']';
  return list;
}

bool ParseNumber(std::string_view text, unsigned long long& value) {
  unsigned base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty() || text.size() > 16) return false;
  unsigned long long result = 0;
  for (const char c : text) {
    unsigned digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<unsigned>(c - '0');
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = static_cast<unsigned>(c - 'a' + 10);
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = static_cast<unsigned>(c - 'A' + 10);
    } else {
      return false;
    }
    if (result > (~0ULL - digit) / base) return false;
    result = result * base + digit;
  }
  value = result;
  return true;
}

std::vector<std::string> Split(std::string_view text, char separator) {
  std::vector<std::string> parts;
  for (;;) {
    const auto at = text.find(separator);
    parts.emplace_back(text.substr(0, at));
    if (at == std::string_view::npos) return parts;
    text.remove_prefix(at + 1);
  }
}

std::filesystem::path PathFromUtf8(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace standin
