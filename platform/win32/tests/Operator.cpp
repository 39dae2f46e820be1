#include "platform/win32/tests/Operator.h"

#include <thread>

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

std::wstring TextOf(HWND window) {
  wchar_t text[1024] = L"";
  SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = L"";
  GetClassNameW(window, name, 256);
  return name;
}

HWND FocusIn(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
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

void PressKey(HWND dialog, WPARAM virtualKey) {
  const HWND target = FocusIn(dialog);
  PostMessageW(target ? target : dialog, WM_KEYDOWN, virtualKey, 1);
  PostMessageW(target ? target : dialog, WM_KEYUP, virtualKey, static_cast<LPARAM>(0xC0000001u));
}

void PressAltLetter(HWND dialog, wchar_t letter) {
  const HWND target = FocusIn(dialog);
  constexpr LPARAM kAltDown = 1 << 29;
  PostMessageW(target ? target : dialog, WM_SYSCHAR, letter, kAltDown | 1);
}

}  // namespace maj::win32::test
