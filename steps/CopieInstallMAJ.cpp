#include "steps/CopieInstallMAJ.h"

#include <memory>
#include <vector>

#include "steps/CheminBase.h"
#include "steps/ControleCopie.h"

namespace maj {
namespace {

constexpr std::uint32_t kPollMilliseconds = 100;
constexpr const char* kXcopy = "xcopy.exe";

// Polls the started process every 100 ms, from `nextPoll` on, until it has ended.
void WaitFor(Platform& platform, Process& process, std::uint64_t nextPoll) {
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
    if (process.HasEnded(ended) != kOk) ended = true;
  } while (!ended);
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
  // xcopy asks "file or directory?" about a destination it cannot see, in a
  // minimised window nobody answers: every path is checked, and the folder
  // made, before the first copy.
  if (const ErrorNumber err = ControleCheminsCopie(files, destination)) return err;
  if (const ErrorNumber err = PrepareDestination(platform, destination)) return err;
  for (const std::string& file : files) {
    if (!IsQuotablePath(file)) return kErrInvalidCall;
    const std::string command = CopyCommand(file, destination);
    if (const ErrorNumber err = ShellAndWait(platform, kXcopy, command)) return err;
  }
  return kOk;
}

ErrorNumber ShellAndWait(Platform& platform, const std::string& commandLine) {
  // The polls keep a 100 ms beat counted from the start of the command, so the
  // time spent starting it and pumping messages does not add up pass after pass.
  const std::uint64_t start = platform.Milliseconds();
  std::unique_ptr<Process> process;
  if (const ErrorNumber err = platform.StartProcess(commandLine, kShowMinimized, process)) {
    return err;
  }
  WaitFor(platform, *process, start);
  return kOk;
}

ErrorNumber ShellAndWait(Platform& platform, const std::string& program,
                         const std::string& commandLine) {
  const std::uint64_t start = platform.Milliseconds();
  std::unique_ptr<Process> process;
  if (const ErrorNumber err =
          platform.StartSystemProcess(program, commandLine, kShowMinimized, process)) {
    return err;
  }
  WaitFor(platform, *process, start);
  return kOk;
}

}  // namespace maj
