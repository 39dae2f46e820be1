// What shows on the screen while a program's copies run: the copy processes
// it started, and every window another process showed meanwhile (a copy's
// console window included), seen from outside by polling.
#pragma once

#include <windows.h>

#include <set>
#include <string>
#include <vector>

namespace op {

struct Sighting {
  DWORD pid = 0;
  std::string program;  // the executable's file name, UTF-8
  std::string className;
  std::string title;
};

class WindowWatch {
 public:
  // `parent`: the program whose children named `child` are counted and whose
  // own windows are kept apart; this process's windows and those visible
  // already are left out.
  WindowWatch(DWORD parent, std::wstring child);
  // One look at the processes and the visible top-level windows.
  void Look();
  // Each distinct child seen running.
  std::size_t ChildrenSeen() const { return children_.size(); }
  // Each window seen once, in the order they appeared.
  const std::vector<Sighting>& Windows() const { return windows_; }
  // Each window of `parent` itself seen once (those visible already left out).
  const std::vector<Sighting>& OwnWindows() const { return own_; }
  // Looks seen with the foreground window in another process than `parent`.
  int ForeignForeground() const { return foreignForeground_; }
  // Prints "children N", "windows N", one "window" line each, "foreground-elsewhere N",
  // "own-windows N" and one "own-window" line each.
  void Print() const;

 private:
  DWORD parent_;
  std::wstring child_;
  std::set<HWND> known_;
  std::set<DWORD> children_;
  std::vector<Sighting> windows_;
  std::vector<Sighting> own_;
  int foreignForeground_ = 0;
};

}  // namespace op
