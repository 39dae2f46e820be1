// What the operator does to another program's window: typing, keys, buttons.
// Everything is posted to the target's own message queue, as keyboard input
// would be, so its dialog handling (default and cancel buttons, access keys,
// the tab order) decides what happens. The functions return once the input is
// posted; Settle or WaitGone then waits for its effect.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace op {

// Types the text into the control that has the focus in the window's thread.
bool TypeText(HWND window, std::wstring_view text, std::string& error);

// Presses a key on the focused control: "Enter", "Escape", "Tab",
// "Alt+X" (an access key), or "Close" (the title bar's close button).
bool PressKey(HWND window, std::wstring_view key, std::string& error);

// Clicks the button of that label (access marks ignored: "Annuler" finds
// "A&nnuler").
bool PressButton(HWND window, std::wstring_view label, std::string& error);

// Returns once the window's thread has handled what was posted to it so far,
// or after a bounded wait when it does not answer.
void Settle(HWND window);

// Waits until the window is destroyed or hidden; false after the time limit.
bool WaitGone(HWND window, DWORD milliseconds);

}  // namespace op
