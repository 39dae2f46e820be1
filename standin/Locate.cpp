// Path helpers of the hosts: the folder mapper of the native tests and the
// data folder of DBA.dll.
#include <vector>

#include "standin/IniText.h"
#include "standin/StandIn.h"
#include "standin/Text.h"

namespace standin {

namespace fs = std::filesystem;

PathMapper FolderMapper(fs::path root) {
  return [root = std::move(root)](const std::string& windowsPath) -> fs::path {
    std::vector<std::string> parts = Split(windowsPath, '\\');
    fs::path mapped = root;
    std::size_t first = 1;
    if (windowsPath.starts_with("\\\\")) {
      // "", "", host, share, ...
      if (parts.size() < 4 || parts[2].empty() || parts[3].empty()) return {};
      mapped /= PathFromUtf8(parts[2]);
      first = 3;
    } else if (windowsPath.size() >= 2 && windowsPath[1] == ':' &&
               ((windowsPath[0] >= 'A' && windowsPath[0] <= 'Z') ||
                (windowsPath[0] >= 'a' && windowsPath[0] <= 'z'))) {
      if (parts[0].size() != 2) return {};  // "D:x" is relative to a current folder
      mapped /= std::string(1, static_cast<char>(windowsPath[0] & ~0x20));
    } else {
      return {};
    }
    for (std::size_t i = first; i < parts.size(); ++i) {
      if (parts[i].empty() || parts[i] == ".") continue;
      if (parts[i] == ".." || parts[i].find('/') != std::string::npos) return {};
      mapped /= PathFromUtf8(parts[i]);
    }
    return mapped;
  };
}

bool LocateDataFolder(const fs::path& dllFolder, const std::string& iniText,
                      const std::string& iniFile, fs::path& dataFolder, std::string& error) {
  std::vector<IniLine> lines;
  if (!ParseIniText(iniText, iniFile, lines, error)) return false;
  fs::path found = dllFolder / "DBA-data";
  bool given = false;
  for (const IniLine& line : lines) {
    if (line.section || !EqualNoCase(line.key, "data")) {
      error = Located(iniFile, line.number, "expected only a line data = FOLDER");
      return false;
    }
    if (given) {
      error = Located(iniFile, line.number, "data is given twice");
      return false;
    }
    if (line.value.empty()) {
      error = Located(iniFile, line.number, "the data folder is empty");
      return false;
    }
    found = dllFolder / PathFromUtf8(line.value);  // an absolute value replaces dllFolder
    given = true;
  }
  dataFolder = found;
  return true;
}

}  // namespace standin
