#include "platform/win32/WindowStates.h"

#include "platform/win32/Callbacks.h"

namespace maj::win32 {
namespace {

BOOL CALLBACK Record(HWND window, LPARAM list) {
  // A list that cannot grow stops the enumeration; the constructor throws it.
  return Guarded<BOOL>(FALSE, [&] {
    reinterpret_cast<std::vector<std::pair<HWND, bool>>*>(list)->emplace_back(
        window, IsWindowEnabled(window) != FALSE);
    return TRUE;
  });
}

}  // namespace

WindowStates::WindowStates() {
  EnumThreadWindows(GetCurrentThreadId(), Record, reinterpret_cast<LPARAM>(&windows_));
  ThrowKept();
}

void WindowStates::DisableAllBut(HWND keep) {
  for (const auto& [window, enabled] : windows_) {
    if (window != keep && enabled && IsWindowVisible(window)) EnableWindow(window, FALSE);
  }
}

void WindowStates::Restore() {
  for (const auto& [window, enabled] : windows_) {
    if (IsWindow(window) && (IsWindowEnabled(window) != FALSE) != enabled) {
      EnableWindow(window, enabled ? TRUE : FALSE);
    }
  }
}

}  // namespace maj::win32
