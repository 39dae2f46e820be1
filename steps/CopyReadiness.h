// Whether the package could be copied into a base, told without writing
// anything: no folder made, no file written, no copy started.
#pragma once

#include <cstdint>
#include <string>

#include "platform/FileQueries.h"
#include "platform/System.h"

namespace maj {

enum class Readiness {
  Ready,
  NoPackage,           // the package folder cannot be listed
  NoDirectory,         // the base's directory is not a folder that exists
  DestinationIsAFile,  // <directory>\INSTALLMAJ is a plain file
  PathTooLong,         // a copy could not name its files
  WriteRefused,        // the operator may not add to the folder
  NoRoom,              // the disk's free space is smaller than the package
  Unreadable,          // a folder could not be looked at
};

struct CopyVerdict {
  Readiness readiness = Readiness::Ready;
  ErrorNumber number = kOk;  // the failure behind NoPackage and Unreadable
  std::string where;         // the folder the verdict is about
  std::uint64_t needed = 0;  // the package's bytes
  std::uint64_t free = 0;    // the disk's free bytes, once read
};

// The checks the copy of the package into `basePath` makes, and those it
// would meet, in order; the first that fails gives the verdict.
CopyVerdict CheckCopyWithoutWriting(FileSystemObject* fso, FileQueries& queries, System& system,
                                    const std::string& basePath);

}  // namespace maj
