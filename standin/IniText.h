// The hand-written text files of the stand-in (settings, record stores,
// DBA.ini) share one line syntax:
//   # comment            (also ; ; only at the start of a line, after blanks)
//   [section title]
//   key = value          (blanks around key and value are dropped)
// Blank lines are skipped; a UTF-8 byte order mark and CR before LF are accepted.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace standin {

struct IniLine {
  int number = 0;        // from 1
  bool section = false;  // a [section] line; otherwise key = value
  std::string key;       // the section title, or the key
  std::string value;
};

// "file:line: message", the form of every load error.
std::string Located(const std::string& file, int line, std::string_view message);

// Splits `text` into lines; a line that is neither a section, an entry nor a
// comment gives false and one error naming `file` and the line.
bool ParseIniText(std::string_view text, const std::string& file, std::vector<IniLine>& lines,
                  std::string& error);

// The whole file, or false and an error naming it.
bool ReadWholeFile(const std::filesystem::path& path, std::string& text, std::string& error);

}  // namespace standin
