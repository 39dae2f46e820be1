#include "steps/CopyChecks.h"

#include "platform/Text.h"

namespace maj {
namespace {

std::string_view FileName(std::string_view path) {
  const std::size_t slash = path.find_last_of('\\');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string SystemFileName(std::string_view path, std::string_view currentFolder) {
  const auto isSlash = [](char c) { return c == '\\' || c == '/'; };
  const bool drive = path.size() >= 2 && path[1] == ':';
  std::string full;
  if (path.size() >= 2 && isSlash(path[0]) && isSlash(path[1])) {
    full = std::string(path);  // \\server\share\...: already whole
  } else if (drive && path.size() >= 3 && isSlash(path[2])) {
    full = std::string(path);
  } else if (drive) {
    // "D:X" is relative to that drive's current folder: ours when it is on
    // D, else (as a program that never went there finds it) D's root.
    const bool sameDrive = currentFolder.size() >= 2 && currentFolder[1] == ':' &&
                           UpperCase(currentFolder.substr(0, 1)) == UpperCase(path.substr(0, 1));
    full = (sameDrive ? std::string(currentFolder) : std::string(path.substr(0, 2))) + "\\" +
           std::string(path.substr(2));
  } else if (!path.empty() && isSlash(path[0])) {
    // Rooted on the current folder's drive (or share).
    std::string_view root = currentFolder.substr(0, 2);
    if (currentFolder.starts_with("\\\\")) {
      const std::size_t share = currentFolder.find('\\', currentFolder.find('\\', 2) + 1);
      root = currentFolder.substr(0, share);
    }
    full = std::string(root) + std::string(path);
  } else {
    full = std::string(currentFolder) + "\\" + std::string(path);
  }
  // Repeated separators count once, except the two that open a share name.
  std::string collapsed;
  for (std::size_t i = 0; i < full.size(); ++i) {
    const char c = isSlash(full[i]) ? '\\' : full[i];
    if (c == '\\' && i >= 2 && !collapsed.empty() && collapsed.back() == '\\') continue;
    collapsed += c;
  }
  return collapsed;
}

bool FitsCopyLimit(std::string_view fullName) {
  return Utf16Length(fullName) <= kCopyNameLimit;
}

ErrorNumber CheckCopyPaths(System& system, const std::vector<std::string>& files,
                           const std::string& destination) {
  std::string current;
  const auto whole = [&](const std::string& path) -> std::string {
    const bool absolute = path.starts_with("\\\\") || (path.size() >= 3 && path[1] == ':' &&
                                                       (path[2] == '\\' || path[2] == '/'));
    // The current folder is asked for only when a path needs it; one that
    // cannot be told leaves the path as it is.
    if (!absolute && current.empty() && system.CurrentFolder(current) != kOk) current.clear();
    return SystemFileName(path, current);
  };
  for (const std::string& file : files) {
    // xcopy names the copy as the destination folder, a backslash, the name.
    const std::string copy = destination + "\\" + std::string(FileName(file));
    if (!FitsCopyLimit(whole(file)) || !FitsCopyLimit(whole(copy))) return kErrCopyPathTooLong;
  }
  return kOk;
}

ErrorNumber PrepareDestination(FileQueries& files, FileWrites& writes,
                               const std::string& destination) {
  EntryKind kind = EntryKind::Missing;
  if (const ErrorNumber err = files.FindEntryKind(destination, kind)) return err;
  switch (kind) {
    case EntryKind::Folder:
      return kOk;
    case EntryKind::Missing:
      return writes.CreateFolder(destination);
    case EntryKind::Other:
      break;
  }
  return kErrCopyNotAFolder;
}

bool CopyRefused(ErrorNumber err) {
  return err == kErrCopyPathTooLong || err == kErrCopyNotAFolder;
}

}  // namespace maj
