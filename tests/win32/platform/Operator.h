// An operator for the window tests: a second thread that finds the windows
// the program shows, reads them and presses keys and buttons, while the
// program's own thread sits in its modal loop. Reading and pressing are the
// window operator's (tests/win32/operator), which the end-to-end helper uses too.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "tests/win32/operator/Look.h"

namespace maj::win32::test {

// Runs `ui` on this thread while `operate` runs on another; returns when both
// are done. The operator must close whatever `ui` waits for.
void WithOperator(const std::function<void()>& operate, const std::function<void()>& ui);

// Polls until `done` holds or `ms` have passed; answers `done` at the end.
bool WaitUntil(const std::function<bool()>& done, DWORD ms = 10000);

// The first visible top-level window of that class and title, waited for.
HWND WaitForWindow(const wchar_t* windowClass, const std::wstring& title, DWORD ms = 10000);

using op::ClassOf;
using op::FocusOf;
using op::TextOf;

// The rectangle of a child in its parent's client coordinates.
RECT ChildRect(HWND child);

// The font a window draws with (WM_GETFONT), or that font itself. Fonts are
// read inside the program: a font handle means nothing in another process.
LOGFONTW FontOf(HWND window);
LOGFONTW FontOf(HFONT font);

// A key pressed in the control that has the focus, as the keyboard would
// deliver it: "Enter", "Escape", "Tab", "Alt+X" or "Close". False when it
// could not be posted.
bool PressKey(HWND window, std::wstring_view key);

}  // namespace maj::win32::test
