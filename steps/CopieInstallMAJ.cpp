#include "steps/CopieInstallMAJ.h"

#include <memory>
#include <vector>

#include "platform/Text.h"

namespace maj {
namespace {

constexpr std::uint32_t kPollMilliseconds = 100;

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
  // The polls keep a 100 ms beat counted from the start of the command, so the
  // time spent starting it and pumping messages does not add up pass after pass.
  std::uint64_t nextPoll = platform.Milliseconds();
  std::unique_ptr<Process> process;
  if (const ErrorNumber err = platform.StartProcess(commandLine, StartWindow::Minimised, process)) {
    return err;
  }
  // The process is asked after each pause rather than before it: one that has
  // ended is then noticed without a further idle pause. When it cannot be
  // asked, the wait ends after this pass.
  bool ended = false;
  do {
    platform.DoEvents();
    nextPoll += kPollMilliseconds;
    const std::uint64_t now = platform.Milliseconds();
    if (nextPoll <= now) nextPoll = now + kPollMilliseconds;  // fell behind: a whole pause
    platform.Sleep(static_cast<std::uint32_t>(nextPoll - now));
    if (process->HasEnded(ended) != kOk) ended = true;
  } while (!ended);
  return kOk;
}

}  // namespace maj
