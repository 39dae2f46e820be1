// Renders a DialogModel as a modal Windows dialog.
//
// What an operator (or the helper of the end-to-end tests) finds on screen:
// - the dialog: window class "#32770", title the model's caption;
// - each control: a child window whose ID is kFirstControlId + its index in
//   the model's creation order, whose window text is its text (buttons keep
//   their "&"), of class "Button", "Edit" or "Static". The login dialog:
//   Cmd_Annuler 100, Cmd_Ok 101, Txt_MotPasse 102, Txt_Utilisateur 103,
//   Etq_MotPasse 104, Etq_Utilisateur 105.
#pragma once

#include <windows.h>

#include "platform/Dialog.h"
#include "platform/Errors.h"
#include "platform/win32/Layout.h"

namespace maj::win32 {

inline constexpr int kFirstControlId = 100;

// Creates the dialog, runs the model's Form_Load, shows it and returns once it
// has closed: when a handler set unloadRequested, or on a close request from
// the title bar or Alt+F4 (which runs no handler). `owner` may be null. Every
// other window of the program takes no input while the dialog is open, and
// gets its own enabled state back when the dialog closes.
[[nodiscard]] ErrorNumber RunModal(DialogModel& dialog, HWND owner,
                                   Placement placement = Placement::Centre);

}  // namespace maj::win32
