#include "steps/CopieInstallMAJ.h"

#include <memory>
#include <vector>

#include "platform/Text.h"
#include "steps/CopyChecks.h"

namespace maj {
namespace {

// The longest the window goes without its messages being handled while a
// copy runs: well within what the system tolerates before it calls a window
// "not responding".
constexpr std::uint32_t kPumpMilliseconds = 100;
constexpr const char* kXcopy = "xcopy.exe";

// Sleeps until the copy ends or a message arrives, so the end is noticed at
// once and messages are handled as they come. When the process cannot be
// waited on, the wait ends after this pass, and its exit code is unknown.
void WaitFor(Operator& op, Process& process, std::uint64_t& exitCode,
             const std::function<void()>& onWake) {
  bool ended = false;
  bool waited = true;
  do {
    op.DoEvents();
    if (onWake) onWake();
    if (process.WaitForEnd(kPumpMilliseconds, ended) != kOk) waited = false;
  } while (waited && !ended);
  std::uint32_t code = 0;
  exitCode = waited && process.ExitCode(code) == kOk ? code : kNoExitCode;
}

// A copy that takes long, shown to the operator and to support.
class StallWatch {
 public:
  StallWatch(const CopyPieces& pieces, RunLog& log, const std::string& commandLine)
      : pieces_(pieces), log_(log), commandLine_(commandLine), start_(pieces.system.Now().tick) {}
  StallWatch(const StallWatch&) = delete;
  StallWatch& operator=(const StallWatch&) = delete;
  ~StallWatch() {
    if (paused_) pieces_.op.TaskbarPaused(false);
  }

  void Look() {
    const std::uint64_t elapsed = pieces_.system.Now().tick - start_;
    if (elapsed < next_) return;
    log_.Line("Copy ", commandLine_, ": still running after ", std::to_string(elapsed / 60000),
              " min");
    next_ = (elapsed / kCopyStallEveryMs + 1) * kCopyStallEveryMs;
    if (!paused_) pieces_.op.TaskbarPaused(true);
    paused_ = true;
  }

 private:
  const CopyPieces& pieces_;
  RunLog& log_;
  const std::string& commandLine_;
  const std::uint64_t start_;
  std::uint64_t next_ = kCopyStallMs;
  bool paused_ = false;
};

// One copy, its command line, exit code and duration in the log.
ErrorNumber LoggedCopy(RunLog& log, const CopyPieces& pieces, const std::string& commandLine) {
  const std::uint64_t start = log.Tick();
  std::uint64_t exitCode = kNoExitCode;
  StallWatch watch(pieces, log, commandLine);
  const ErrorNumber err = ShellAndWait(pieces.op, pieces.processes, kXcopy, commandLine, exitCode,
                                       [&watch] { watch.Look(); });
  if (err != kOk) {
    log.Line("Copy ", commandLine, ": not started, ", log.Number(err));
  } else if (exitCode == kNoExitCode) {
    log.Line("Copy ", commandLine, ": exit code unknown, ", Duration(log, start));
  } else {
    log.Line("Copy ", commandLine, ": exit code ", HexNumber(static_cast<std::uint32_t>(exitCode)),
             ", ", Duration(log, start));
  }
  return err;
}

}  // namespace

std::string CopyCommand(const std::string& file, const std::string& destination, bool hidden) {
  // Both paths quoted, so that spaces stay inside them; neither ends with a
  // backslash, which would escape the closing quote for many parsers.
  return "xcopy \"" + file + "\" \"" + destination + "\" /C /Y" + (hidden ? " /H" : "");
}

ErrorNumber CopieInstallMAJ(FileSystemObject* fso, const CopyPieces& pieces,
                            const std::string& basePath, RunLog* log) {
  RunLog none;  // never opened: its lines go nowhere
  RunLog& target = log ? *log : none;
  std::string appPath;
  if (const ErrorNumber err = pieces.system.AppPath(appPath)) return err;
  const std::string package = appPath + R"(\INSTALLMAJ)";
  if (!fso) return kErrObjectRequired;
  std::vector<std::string> files;
  if (const ErrorNumber err = fso->GetFolderFiles(package, files)) return err;
  if (files.empty()) return kOk;

  if (basePath.empty() || !IsQuotablePath(basePath)) return kErrInvalidCall;
  const std::string destination = basePath + R"(\INSTALLMAJ)";
  // xcopy asks "file or directory?" about a destination it cannot see, in a
  // console nobody sees: every path is checked, and the folder
  // made, before the first copy.
  if (const ErrorNumber err = CheckCopyPaths(pieces.system, files, destination)) return err;
  if (const ErrorNumber err = PrepareDestination(pieces.files, pieces.writes, destination))
    return err;
  for (const std::string& file : files) {
    if (!IsQuotablePath(file)) return kErrInvalidCall;
    // A file whose marks cannot be read is copied as any other.
    bool hidden = false;
    if (pieces.files.HiddenOrSystem(file, hidden) != kOk) hidden = false;
    if (const ErrorNumber err =
            LoggedCopy(target, pieces, CopyCommand(file, destination, hidden))) {
      return err;
    }
  }
  return kOk;
}

ErrorNumber ShellAndWait(Operator& op, Processes& processes, const std::string& commandLine) {
  std::unique_ptr<Process> process;
  if (const ErrorNumber err =
          processes.StartProcess(commandLine, StartWindow::NoConsoleWindow, process)) {
    return err;
  }
  std::uint64_t exitCode = kNoExitCode;
  WaitFor(op, *process, exitCode, {});
  return kOk;
}

ErrorNumber ShellAndWait(Operator& op, Processes& processes, const std::string& program,
                         const std::string& commandLine) {
  std::uint64_t exitCode = kNoExitCode;
  return ShellAndWait(op, processes, program, commandLine, exitCode);
}

ErrorNumber ShellAndWait(Operator& op, Processes& processes, const std::string& program,
                         const std::string& commandLine, std::uint64_t& exitCode,
                         const std::function<void()>& onWake) {
  exitCode = kNoExitCode;
  std::unique_ptr<Process> process;
  if (const ErrorNumber err = processes.StartSystemProcess(program, commandLine,
                                                           StartWindow::NoConsoleWindow, process)) {
    return err;
  }
  WaitFor(op, *process, exitCode, onWake);
  return kOk;
}

}  // namespace maj
