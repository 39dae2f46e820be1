// An operator for the window tests: a second thread that finds the windows
// the program shows, reads them and presses keys and buttons, while the
// program's own thread sits in its modal loop.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace maj::win32::test {

// Runs `ui` on this thread while `operate` runs on another; returns when both
// are done. The operator must close whatever `ui` waits for.
void WithOperator(const std::function<void()>& operate, const std::function<void()>& ui);

// Polls until `done` holds or `ms` have passed; answers `done` at the end.
bool WaitUntil(const std::function<bool()>& done, DWORD ms = 10000);

// The first visible top-level window of that class and title, waited for.
HWND WaitForWindow(const wchar_t* windowClass, const std::wstring& title, DWORD ms = 10000);

std::wstring TextOf(HWND window);
std::wstring ClassOf(HWND window);

// The window with the keyboard focus in the thread that owns `window`.
HWND FocusIn(HWND window);

// The rectangle of a child in its parent's client coordinates.
RECT ChildRect(HWND child);

// The font a window draws with (WM_GETFONT), or that font itself. Fonts are
// read inside the program: a font handle means nothing in another process.
LOGFONTW FontOf(HWND window);
LOGFONTW FontOf(HFONT font);

// A key pressed in the window that has the focus, as the keyboard would
// deliver it (WM_KEYDOWN, or WM_SYSCHAR for Alt + a letter).
void PressKey(HWND dialog, WPARAM virtualKey);
void PressAltLetter(HWND dialog, wchar_t letter);

}  // namespace maj::win32::test
