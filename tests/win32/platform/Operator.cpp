#include "tests/win32/platform/Operator.h"

#include <thread>

#include "tests/win32/operator/Act.h"

namespace maj::win32::test {

void WithOperator(const std::function<void()>& operate, const std::function<void()>& ui) {
  std::thread operatorThread(operate);
  ui();
  operatorThread.join();
}

bool WaitUntil(const std::function<bool()>& done, DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  while (!done()) {
    if (GetTickCount64() > end) return done();
    Sleep(20);
  }
  return true;
}

HWND WaitForWindow(const wchar_t* windowClass, const std::wstring& title, DWORD ms) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        found = FindWindowW(windowClass, title.c_str());
        return found && IsWindowVisible(found);
      },
      ms);
  return found;
}

RECT ChildRect(HWND child) {
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

LOGFONTW FontOf(HWND window) {
  return FontOf(reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
}

LOGFONTW FontOf(HFONT font) {
  LOGFONTW described{};
  if (font) GetObjectW(font, sizeof described, &described);
  return described;
}

bool PressKey(HWND window, std::wstring_view key) {
  std::string error;
  return op::PressKey(window, key, error);
}

}  // namespace maj::win32::test
