#include "standin/IniText.h"

#include <fstream>
#include <sstream>

#include "standin/Text.h"

namespace standin {

std::string Located(const std::string& file, int line, std::string_view message) {
  return file + ":" + std::to_string(line) + ": " + std::string(message);
}

bool ParseIniText(std::string_view text, const std::string& file, std::vector<IniLine>& lines,
                  std::string& error) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  lines.clear();
  int number = 0;
  for (std::string_view raw : Split(text, '\n')) {
    ++number;
    if (raw.ends_with('\r')) raw.remove_suffix(1);
    const std::string_view line = Trim(raw);
    if (line.empty() || line.front() == '#' || line.front() == ';') continue;
    IniLine parsed;
    parsed.number = number;
    if (line.front() == '[') {
      if (line.back() != ']') {
        error = Located(file, number, "a section line must end with ]");
        return false;
      }
      parsed.section = true;
      parsed.key = Trim(line.substr(1, line.size() - 2));
      if (parsed.key.empty()) {
        error = Located(file, number, "empty section title []");
        return false;
      }
    } else {
      const auto equals = line.find('=');
      if (equals == std::string_view::npos) {
        error = Located(file, number, "expected key = value, found \"" + std::string(line) + "\"");
        return false;
      }
      parsed.key = Trim(line.substr(0, equals));
      parsed.value = Trim(line.substr(equals + 1));
      if (parsed.key.empty()) {
        error = Located(file, number, "missing key before =");
        return false;
      }
    }
    lines.push_back(std::move(parsed));
  }
  return true;
}

bool ReadWholeFile(const std::filesystem::path& path, std::string& text, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = Utf8FromPath(path) + ": cannot be read";
    return false;
  }
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) {
    error = Utf8FromPath(path) + ": read error";
    return false;
  }
  text = content.str();
  return true;
}

}  // namespace standin
