#include "steps/ControleCopie.h"

#include "platform/Text.h"

namespace maj {
namespace {

std::string_view FileName(std::string_view path) {
  const std::size_t slash = path.find_last_of('\\');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool FitsMaxPath(std::string_view path) {
  return Utf16Length(path) < kMaxPath;
}

ErrorNumber ControleCheminsCopie(const std::vector<std::string>& files,
                                 const std::string& destination) {
  for (const std::string& file : files) {
    // xcopy names the copy as the destination folder, a backslash, the name.
    const std::string copy = destination + "\\" + std::string(FileName(file));
    if (!FitsMaxPath(file) || !FitsMaxPath(copy)) return kErrCopyPathTooLong;
  }
  return kOk;
}

ErrorNumber PrepareDestination(Platform& platform, const std::string& destination) {
  EntryKind kind = EntryKind::Missing;
  if (const ErrorNumber err = platform.FindEntryKind(destination, kind)) return err;
  switch (kind) {
    case EntryKind::Folder:
      return kOk;
    case EntryKind::Missing:
      return platform.CreateFolder(destination);
    case EntryKind::Other:
      break;
  }
  return kErrCopyNotAFolder;
}

bool CopyRefused(ErrorNumber err) {
  return err == kErrCopyPathTooLong || err == kErrCopyNotAFolder;
}

}  // namespace maj
