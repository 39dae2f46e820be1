// The program-wide busy pointer: the hourglass over every window of the
// program, shown at once (also when the mouse does not move) and kept while
// the pointer moves over the program's windows, message boxes included.
#pragma once

#include <windows.h>

#include "support/win32/Handles.h"

namespace maj::win32 {

class BusyPointer {
 public:
  BusyPointer() = default;
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;
  ~BusyPointer();

  // False when the hook that keeps the pointer over foreign windows (message
  // boxes) cannot be set; the pointer is then set all the same.
  bool Set(bool busy);
  static bool Active();

  // For WM_SETCURSOR in the program's own windows: shows the hourglass and
  // answers true while busy; false lets the default pointer be chosen.
  static bool AnswerSetCursor();

 private:
  HookOwner hook_;
};

}  // namespace maj::win32
