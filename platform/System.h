// What the program reads of the system: its own file and folders, the
// operator, the computer, the clock, error texts and the code page.
//
// Texts are UTF-8. File contents are in the system's ANSI code page; ToAnsi
// and FromAnsi convert between that and UTF-8.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Errors.h"

namespace maj {

// The local date and time, and a clock for durations.
struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
  std::uint64_t tick = 0;  // milliseconds since some fixed moment, never going back
};

class System {
 public:
  virtual ~System() = default;

  // The folder that holds the program's executable, without a final backslash.
  [[nodiscard]] virtual ErrorNumber AppPath(std::string& folder) = 0;
  // The program's executable, its full path.
  [[nodiscard]] virtual ErrorNumber ProgramFile(std::string& path) = 0;
  // The process's current folder, which the system puts before a relative
  // path, without a final backslash (but "C:\" for a drive's root).
  [[nodiscard]] virtual ErrorNumber CurrentFolder(std::string& folder) = 0;
  // The name under which the operator is logged in to the system, read through
  // the ANSI code page (a character outside it arrives as the code page makes
  // it). False when it cannot be read.
  [[nodiscard]] virtual bool UserName(std::string& name) = 0;
  // The computer's name; false when it cannot be read.
  virtual bool ComputerName(std::string& name) = 0;
  virtual LocalTime Now() = 0;
  // The system's text for an error number, without a final line end; "" when
  // it has none.
  virtual std::string ErrorText(ErrorNumber number) = 0;
  virtual std::string ToAnsi(const std::string& utf8) = 0;
  virtual std::string FromAnsi(const std::string& ansi) = 0;
  // The upper case of a text by the system's rules for the user's locale.
  virtual std::string ToUpper(const std::string& utf8) = 0;
};

}  // namespace maj
