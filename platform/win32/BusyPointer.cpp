#include "platform/win32/BusyPointer.h"

namespace maj::win32 {
namespace {

// One pointer for the whole program, as the system has one per thread; the
// hook procedure can reach no object.
bool busyNow = false;

void ShowPointer() {
  SetCursor(LoadCursorW(nullptr, busyNow ? IDC_WAIT : IDC_ARROW));
}

// Runs after each window procedure of the thread has handled a message:
// whatever pointer a foreign window chose, the hourglass replaces it.
LRESULT CALLBACK AfterWindowProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && busyNow) {
    const auto* message = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (message->message == WM_SETCURSOR) ShowPointer();
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

BusyPointer::~BusyPointer() {
  busyNow = false;
}

bool BusyPointer::Set(bool busy) {
  busyNow = busy;
  bool hooked = true;
  if (busy && !hook_) {
    hook_.Reset(
        SetWindowsHookExW(WH_CALLWNDPROCRET, AfterWindowProc, nullptr, GetCurrentThreadId()));
    hooked = static_cast<bool>(hook_);
  } else if (!busy) {
    hook_.Reset();
  }
  ShowPointer();
  return hooked;
}

bool BusyPointer::Active() {
  return busyNow;
}

bool BusyPointer::AnswerSetCursor() {
  if (!busyNow) return false;
  ShowPointer();
  return true;
}

}  // namespace maj::win32
