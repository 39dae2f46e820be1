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
// waited on, the wait ends after this pass.
void WaitFor(Platform& platform, Process& process) {
  bool ended = false;
  do {
    platform.DoEvents();
    if (process.WaitForEnd(kPumpMilliseconds, ended) != kOk) ended = true;
  } while (!ended);
}

}  // namespace

std::string CopyCommand(const std::string& file, const std::string& destination) {
  // Both paths quoted, so that spaces stay inside them; neither ends with a
  // backslash, which would escape the closing quote for many parsers.
  return "xcopy \"" + file + "\" \"" + destination + "\" /C /Y";
}

ErrorNumber CopieInstallMAJ(FileSystemObject* fso, Platform& platform,
                            const std::string& basePath) {
  std::string appPath;
  if (const ErrorNumber err = platform.AppPath(appPath)) return err;
  const std::string package = appPath + R"(\INSTALLMAJ)";
  if (!fso) return kErrObjectRequired;
  std::vector<std::string> files;
  if (const ErrorNumber err = fso->GetFolderFiles(package, files)) return err;
  if (files.empty()) return kOk;

  if (basePath.empty() || !IsQuotablePath(basePath)) return kErrInvalidCall;
  const std::string destination = basePath + R"(\INSTALLMAJ)";
  // xcopy asks "file or directory?" about a destination it cannot see, in a
  // minimised window nobody answers: every path is checked, and the folder
  // made, before the first copy.
  if (const ErrorNumber err = CheckCopyPaths(files, destination)) return err;
  if (const ErrorNumber err = PrepareDestination(platform, destination)) return err;
  for (const std::string& file : files) {
    if (!IsQuotablePath(file)) return kErrInvalidCall;
    const std::string command = CopyCommand(file, destination);
    if (const ErrorNumber err = ShellAndWait(platform, kXcopy, command)) return err;
  }
  return kOk;
}

ErrorNumber ShellAndWait(Platform& platform, const std::string& commandLine) {
  std::unique_ptr<Process> process;
  if (const ErrorNumber err = platform.StartProcess(commandLine, StartWindow::Minimised, process)) {
    return err;
  }
  WaitFor(platform, *process);
  return kOk;
}

ErrorNumber ShellAndWait(Platform& platform, const std::string& program,
                         const std::string& commandLine) {
  std::unique_ptr<Process> process;
  if (const ErrorNumber err =
          platform.StartSystemProcess(program, commandLine, StartWindow::Minimised, process)) {
    return err;
  }
  WaitFor(platform, *process);
  return kOk;
}

}  // namespace maj
