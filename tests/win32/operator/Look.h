// Finding the top-level windows of another program and reading what they show:
// title, texts, controls, focus, selection, the icon of a message box.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace op {

struct Criteria {
  std::optional<std::wstring> title;      // exact caption
  std::optional<std::wstring> className;  // exact window class
  DWORD pid = 0;                          // 0: any process but this one
  std::vector<HWND> except;               // windows already known, left out
};

// The visible top-level windows that match, topmost first. This program's own
// windows and console windows are left out.
std::vector<HWND> TopWindows(const Criteria& criteria);

// The window's text, asked of its own thread (WM_GETTEXT), with a time limit.
std::wstring TextOf(HWND window);
std::wstring ClassOf(HWND window);

// The control that has the keyboard focus in the thread of the window, or null.
HWND FocusOf(HWND window);

// The window's children, at any depth, in Z order.
std::vector<HWND> ControlsOf(HWND window);

// A button's label without the "&" marks of its access key ("A&nnuler" gives
// "Annuler"; "&&" gives "&").
std::wstring WithoutAccessMarks(std::wstring_view label);

// Prints everything the operator can see of the window, one fact a line.
void Describe(HWND window);

}  // namespace op
