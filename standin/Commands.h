// The parts of the server commands that need no server state: reading the
// words of LANCEMAJCD and checking that a package landed in a base.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/Errors.h"

namespace standin {

struct UpgradeWords {
  std::string appDirectory;
  std::string drive;
  std::string baseDirectory;
};

// Splits "<appdir> <drive> VIDE <basedir>", the words after "LANCEMAJCD ".
// Both directories may hold blanks, so the split is made around " X VIDE ",
// with X a single character; false when that occurs nowhere, or more than once.
bool ParseUpgradeWords(std::string_view words, UpgradeWords& parsed);

// Whether every file directly in `package` lies in `target` too, under the same
// name compared without regard to case, with the same bytes. On failure the
// number is kPackageUnreadable or kPackageNotInPlace and `reason` says which
// file; the names in it are the Windows names given.
maj::ErrorNumber CheckPackage(const std::filesystem::path& package, const std::string& packageName,
                              const std::filesystem::path& target, const std::string& targetName,
                              std::string& reason);

}  // namespace standin
