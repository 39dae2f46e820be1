// The enabled state of the program's top-level windows around a modal box: a
// box disables what it must and, when it closes, puts every window back in the
// state it had, so a window meant to stay disabled is never re-enabled.
#pragma once

#include <windows.h>

#include <utility>
#include <vector>

namespace maj::win32 {

class WindowStates {
 public:
  // Records every top-level window of the calling thread.
  WindowStates();
  WindowStates(const WindowStates&) = delete;
  WindowStates& operator=(const WindowStates&) = delete;
  ~WindowStates() { Restore(); }

  // Disables every recorded visible window but `keep` (which the system disables
  // itself when it owns the box).
  void DisableAllBut(HWND keep);
  // Puts each recorded window that still exists back in its recorded state.
  void Restore();

 private:
  std::vector<std::pair<HWND, bool>> windows_;
};

}  // namespace maj::win32
