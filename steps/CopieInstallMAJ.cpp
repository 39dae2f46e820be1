#include "steps/CopieInstallMAJ.h"

#include <memory>
#include <vector>

#include "platform/Text.h"

namespace maj {
namespace {

// The longest the window goes without its messages being handled while a
// copy runs: well within what the system tolerates before it calls a window
// "not responding".
constexpr std::uint32_t kPumpMilliseconds = 100;

// xcopy asks whether an absent destination is a file or a folder, and waits
// for an answer nobody can give in its minimised window: the folder must exist
// before the first copy.
ErrorNumber EnsureFolder(Platform& platform, const std::string& folder) {
  bool found = false;
  if (const ErrorNumber err = platform.FindEntry(folder, found)) return err;
  return found ? kOk : platform.CreateFolder(folder);
}

}  // namespace

std::string CopyCommand(const std::string& file, const std::string& destination) {
  // Both paths quoted, so that spaces stay inside them; neither ends with a
  // backslash, which would escape the closing quote for many parsers.
  return "xcopy \"" + file + "\" \"" + destination + "\" /C /Y";
}

ErrorNumber CopieInstallMAJ(RunState& state, Platform& platform, const std::string& basePath) {
  std::string appPath;
  if (const ErrorNumber err = platform.AppPath(appPath)) return err;
  const std::string package = appPath + R"(\INSTALLMAJ)";
  if (!state.G_Fso) return kErrObjectRequired;
  std::vector<std::string> files;
  if (const ErrorNumber err = state.G_Fso->GetFolderFiles(package, files)) return err;
  if (files.empty()) return kOk;

  if (basePath.empty() || !IsQuotablePath(basePath)) return kErrInvalidCall;
  const std::string destination = basePath + R"(\INSTALLMAJ)";
  if (const ErrorNumber err = EnsureFolder(platform, destination)) return err;
  for (const std::string& file : files) {
    if (!IsQuotablePath(file)) return kErrInvalidCall;
    if (const ErrorNumber err = ShellAndWait(platform, CopyCommand(file, destination))) return err;
  }
  return kOk;
}

ErrorNumber ShellAndWait(Platform& platform, const std::string& commandLine) {
  std::unique_ptr<Process> process;
  if (const ErrorNumber err = platform.StartProcess(commandLine, StartWindow::Minimised, process)) {
    return err;
  }
  // The wait sleeps until the copy ends or a message arrives, so the end is
  // noticed at once and messages are handled as they come. When the process
  // cannot be waited on, the wait ends after this pass.
  bool ended = false;
  do {
    platform.DoEvents();
    if (process->WaitForEnd(kPumpMilliseconds, ended) != kOk) ended = true;
  } while (!ended);
  return kOk;
}

}  // namespace maj
