// Processes the program starts and waits for.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Errors.h"

namespace maj {

// How a started process shows its first window. NoConsoleWindow: a console
// program gets a console of its own that is never shown, so nothing appears
// and the focus stays where it was.
enum class StartWindow { Normal, Minimised, NoConsoleWindow };

// A started process. Owns every handle opened for it; they are closed with it.
class Process {
 public:
  virtual ~Process() = default;
  // Waits until the process ends, a window message arrives for this thread
  // (or one is already waiting), or `milliseconds` pass, whichever comes
  // first; `ended` tells whether the process has ended. A process that ended
  // with exit code 259 (STILL_ACTIVE) counts as ended.
  [[nodiscard]] virtual ErrorNumber WaitForEnd(std::uint32_t milliseconds, bool& ended) = 0;
  // The exit code of a process that has ended.
  [[nodiscard]] virtual ErrorNumber ExitCode(std::uint32_t& code) = 0;
};

class Processes {
 public:
  virtual ~Processes() = default;
  [[nodiscard]] virtual ErrorNumber StartProcess(const std::string& commandLine, StartWindow window,
                                                 std::unique_ptr<Process>& process) = 0;
  // Starts `program`, a file of the system folder ("xcopy.exe"), named by its
  // full path so that no file of that name elsewhere runs instead; the command
  // line goes as it is.
  [[nodiscard]] virtual ErrorNumber StartSystemProcess(const std::string& program,
                                                       const std::string& commandLine,
                                                       StartWindow window,
                                                       std::unique_ptr<Process>& process) = 0;
};

}  // namespace maj
