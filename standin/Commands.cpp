#include "standin/Commands.h"

#include <fstream>
#include <map>
#include <system_error>
#include <vector>

#include "standin/StandInErrors.h"
#include "standin/Text.h"

namespace standin {

namespace {

namespace fs = std::filesystem;

bool IsOneCharacter(std::string_view text) {
  int starts = 0;
  for (const char c : text) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++starts;
  }
  return starts == 1 && text != " ";
}

// The regular files directly in `folder`, by their case-folded name.
bool ListFiles(const fs::path& folder, std::map<std::string, fs::path>& files) {
  std::error_code failure;
  if (folder.empty() || !fs::is_directory(folder, failure)) return false;
  fs::directory_iterator entries(folder, failure);
  if (failure) return false;
  for (const fs::directory_entry& entry : entries) {
    if (entry.is_regular_file(failure)) {
      files.emplace(FoldCase(Utf8FromPath(entry.path().filename())), entry.path());
    }
  }
  return true;
}

bool SameBytes(const fs::path& a, const fs::path& b) {
  std::error_code failure;
  const auto size = fs::file_size(a, failure);
  if (failure || fs::file_size(b, failure) != size || failure) return false;
  std::ifstream first(a, std::ios::binary);
  std::ifstream second(b, std::ios::binary);
  if (!first || !second) return false;
  std::vector<char> one(64 * 1024);
  std::vector<char> two(one.size());
  while (first && second) {
    first.read(one.data(), static_cast<std::streamsize>(one.size()));
    second.read(two.data(), static_cast<std::streamsize>(two.size()));
    if (first.gcount() != second.gcount() ||
        !std::equal(one.begin(), one.begin() + first.gcount(), two.begin())) {
      return false;
    }
  }
  return first.eof() && second.eof();
}

}  // namespace

bool ParseUpgradeWords(std::string_view words, UpgradeWords& parsed) {
  constexpr std::string_view kVide = " VIDE ";
  int found = 0;
  UpgradeWords candidate;
  for (auto at = words.find(kVide); at != std::string_view::npos; at = words.find(kVide, at + 1)) {
    const auto blank = words.rfind(' ', at == 0 ? 0 : at - 1);
    if (at == 0 || blank == std::string_view::npos) continue;
    const std::string_view drive = words.substr(blank + 1, at - blank - 1);
    const std::string_view app = words.substr(0, blank);
    const std::string_view base = words.substr(at + kVide.size());
    if (!IsOneCharacter(drive) || app.empty() || base.empty()) continue;
    ++found;
    candidate = {std::string(app), std::string(drive), std::string(base)};
  }
  if (found != 1) return false;
  parsed = std::move(candidate);
  return true;
}

maj::ErrorNumber CheckPackage(const fs::path& package, const std::string& packageName,
                              const fs::path& target, const std::string& targetName,
                              std::string& reason) {
  std::map<std::string, fs::path> packageFiles;
  if (!ListFiles(package, packageFiles)) {
    reason = "the package folder " + packageName + " cannot be listed";
    return kPackageUnreadable;
  }
  if (packageFiles.empty()) return maj::kOk;
  std::map<std::string, fs::path> targetFiles;
  if (!ListFiles(target, targetFiles)) {
    reason = targetName + " cannot be listed";
    return kPackageNotInPlace;
  }
  for (const auto& [name, path] : packageFiles) {
    const std::string shown = Utf8FromPath(path.filename());
    const auto copy = targetFiles.find(name);
    if (copy == targetFiles.end()) {
      reason = shown + " is missing from " + targetName;
      return kPackageNotInPlace;
    }
    if (!SameBytes(path, copy->second)) {
      reason = shown + " differs in " + targetName;
      return kPackageNotInPlace;
    }
  }
  return maj::kOk;
}

}  // namespace standin
