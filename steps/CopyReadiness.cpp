#include "steps/CopyReadiness.h"

#include <vector>

#include "steps/CopyChecks.h"

namespace maj {
namespace {

CopyVerdict Verdict(Readiness readiness, const std::string& where, ErrorNumber number = kOk) {
  CopyVerdict verdict;
  verdict.readiness = readiness;
  verdict.where = where;
  verdict.number = number;
  return verdict;
}

}  // namespace

CopyVerdict CheckCopyWithoutWriting(FileSystemObject* fso, FileQueries& queries, System& system,
                                    const std::string& basePath) {
  std::string appPath;
  if (const ErrorNumber err = system.AppPath(appPath)) {
    return Verdict(Readiness::NoPackage, "", err);
  }
  const std::string package = appPath + R"(\INSTALLMAJ)";
  if (!fso) return Verdict(Readiness::NoPackage, package, kErrObjectRequired);
  std::vector<std::string> files;
  if (const ErrorNumber err = fso->GetFolderFiles(package, files)) {
    return Verdict(Readiness::NoPackage, package, err);
  }

  EntryKind kind = EntryKind::Missing;
  if (const ErrorNumber err = queries.FindEntryKind(basePath, kind)) {
    return Verdict(Readiness::Unreadable, basePath, err);
  }
  if (kind != EntryKind::Folder) return Verdict(Readiness::NoDirectory, basePath);
  const std::string destination = basePath + R"(\INSTALLMAJ)";
  if (const ErrorNumber err = queries.FindEntryKind(destination, kind)) {
    return Verdict(Readiness::Unreadable, destination, err);
  }
  if (kind == EntryKind::Other) return Verdict(Readiness::DestinationIsAFile, destination);
  if (CheckCopyPaths(system, files, destination) != kOk) {
    return Verdict(Readiness::PathTooLong, destination);
  }

  // The copy adds files to INSTALLMAJ, or first makes it in the base's folder.
  const bool made = kind == EntryKind::Folder;
  const std::string target = made ? destination : basePath;
  bool allowed = false;
  if (const ErrorNumber err =
          queries.WriteAllowed(target, made ? FolderWrite::File : FolderWrite::Folder, allowed)) {
    return Verdict(Readiness::Unreadable, target, err);
  }
  if (!allowed) return Verdict(Readiness::WriteRefused, target);

  // Files the copy replaces free their room first; the whole package is
  // asked for all the same, the safer side.
  CopyVerdict verdict = Verdict(Readiness::Ready, basePath);
  for (const std::string& file : files) {
    std::uint64_t length = 0;
    if (const ErrorNumber err = queries.FileLength(file, length)) {
      return Verdict(Readiness::NoPackage, file, err);
    }
    verdict.needed += length;
  }
  if (const ErrorNumber err = queries.FreeSpace(basePath, verdict.free)) {
    return Verdict(Readiness::Unreadable, basePath, err);
  }
  if (verdict.free < verdict.needed) verdict.readiness = Readiness::NoRoom;
  return verdict;
}

}  // namespace maj
