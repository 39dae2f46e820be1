// Copying the install package into a base, one xcopy process per file.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/FileQueries.h"
#include "platform/FileWrites.h"
#include "platform/Operator.h"
#include "platform/Processes.h"
#include "platform/System.h"
#include "state/RunLog.h"

namespace maj {

// Copies every file that the file-system object `fso` (G_Fso) lists directly
// in <application directory>\INSTALLMAJ into <basePath>\INSTALLMAJ, in the
// folder's enumeration order, each copy awaited before the next starts. Ends
// at the first failure. Copies nothing when a copy could not name its files or
// the destination is not a folder (CopyRefused, steps/CopyChecks.h).
// Each copy's command line, exit code and duration go to `log` when given.
// What the copy of a base reaches: the window is kept answering while each
// copy runs, the destination checked and made, the copies started.
struct CopyPieces {
  Operator& op;
  FileQueries& files;
  FileWrites& writes;
  Processes& processes;
  System& system;
};

[[nodiscard]] ErrorNumber CopieInstallMAJ(FileSystemObject* fso, const CopyPieces& pieces,
                                          const std::string& basePath, RunLog* log = nullptr);

// The copy command line of one file into a destination folder; `hidden` for a
// file marked hidden or system, which xcopy copies only when told to.
std::string CopyCommand(const std::string& file, const std::string& destination,
                        bool hidden = false);

// A copy still running after this long is logged, then each minute after,
// and the taskbar button turns paused until it ends. It is never ended: a
// large file on a slow link may take long.
inline constexpr std::uint64_t kCopyStallMs = 2 * 60 * 1000;
inline constexpr std::uint64_t kCopyStallEveryMs = 60 * 1000;

// Starts the command line without a console window (a minimised console per
// copy took the focus from the main window and cost more than the rest of the
// run) and returns as soon as its process has ended, handling window messages
// as they arrive (and at least every 100 ms) meanwhile.
[[nodiscard]] ErrorNumber ShellAndWait(Operator& op, Processes& processes,
                                       const std::string& commandLine);
// The same for `program` of the system folder, named by its full path.
[[nodiscard]] ErrorNumber ShellAndWait(Operator& op, Processes& processes,
                                       const std::string& program, const std::string& commandLine);
// The same, telling the process's exit code: kNoExitCode when it could not be
// read (or the wait was given up).
inline constexpr std::uint64_t kNoExitCode = ~std::uint64_t{0};
// `onWake` runs at each wake of the wait.
[[nodiscard]] ErrorNumber ShellAndWait(Operator& op, Processes& processes,
                                       const std::string& program, const std::string& commandLine,
                                       std::uint64_t& exitCode,
                                       const std::function<void()>& onWake = {});

}  // namespace maj
