// What must hold before a base's first copy: xcopy can name every file it is
// given, and the destination is a folder. When either fails, xcopy would ask
// its "file or directory?" question in a window nobody sees and the run would
// wait for ever, or write over a file of the base: nothing is copied instead.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/FileQueries.h"
#include "platform/FileWrites.h"
#include "platform/System.h"

namespace maj {

// The longest full file name xcopy copies, in UTF-16 units: from 255 on it
// fails with "Insufficient memory", under the system's own MAX_PATH (260).
inline constexpr std::size_t kCopyNameLimit = 254;

// A copy whose source or destination file is longer than kCopyNameLimit.
inline constexpr ErrorNumber kErrCopyPathTooLong = FromWin32(206);  // ERROR_FILENAME_EXCED_RANGE
// A destination that exists but is not a folder.
inline constexpr ErrorNumber kErrCopyNotAFolder = FromWin32(267);  // ERROR_DIRECTORY

// The name the system makes of a path: a relative one behind the current
// folder (a rooted one behind its drive), repeated backslashes as one.
std::string SystemFileName(std::string_view path, std::string_view currentFolder);

// Whether xcopy can name that full file name.
bool FitsCopyLimit(std::string_view fullName);

// Whether every file can be named by xcopy, where it is and as it will be in
// the destination folder, both measured as the system will name them.
[[nodiscard]] ErrorNumber CheckCopyPaths(System& system, const std::vector<std::string>& files,
                                         const std::string& destination);

// Makes sure the destination is a folder: creates it when missing, refuses an
// entry of that name that is not a folder (and leaves it untouched).
[[nodiscard]] ErrorNumber PrepareDestination(FileQueries& files, FileWrites& writes,
                                             const std::string& destination);

// Whether the copy of a base was refused before it started, so the base
// cannot be upgraded with this package.
bool CopyRefused(ErrorNumber err);

}  // namespace maj
