// The operator's side of the run: the main window, the pointer, the boxes and
// dialogs, and the taskbar button. Nothing here touches a file or a process.
//
// Modal rules every implementation keeps: a request to quit the program is
// remembered, never shown to a box or a dialog, and never ends one; whatever
// a window's or dialog's own handler throws reaches the caller of the call
// that showed it.
#pragma once

#include <string>

#include "platform/Dialog.h"
#include "platform/Errors.h"

namespace maj {

// The icon of a message box.
enum class BoxIcon { Critical, Information };

// What the program's taskbar button shows.
enum class TaskbarState { None, Normal, Error };

class Operator {
 public:
  virtual ~Operator() = default;

  // Whether someone may be asked: false for a run nobody watches, which
  // then never waits for an answer.
  virtual bool Attended() const = 0;

  // The main window and the pointer.
  [[nodiscard]] virtual ErrorNumber SetBusyPointer(bool busy) = 0;
  [[nodiscard]] virtual ErrorNumber EnableMainWindow(bool enabled) = 0;
  [[nodiscard]] virtual ErrorNumber UnloadMainWindow() = 0;
  // Handles every window message already queued, then returns.
  virtual void DoEvents() = 0;
  // While refused, a request to close the main window (its title bar, Alt+F4,
  // a close message) does nothing; UnloadMainWindow still closes it.
  [[nodiscard]] virtual ErrorNumber RefuseClose(bool refuse) = 0;

  // Modal boxes. The answer of a message box is never used.
  [[nodiscard]] virtual ErrorNumber MsgBox(const std::string& text, BoxIcon icon,
                                           const std::string& title) = 0;
  // Shows the prompt with the application's title; "" when cancelled.
  [[nodiscard]] virtual ErrorNumber InputBox(const std::string& prompt, std::string& answer) = 0;
  // Creates the dialog, runs its Form_Load, shows it modally with no owner, and
  // returns once it has closed (by a handler, or by any other close request).
  [[nodiscard]] virtual ErrorNumber ShowModal(DialogModel& dialog) = 0;

  // The taskbar button: bases done out of the bases listed, in the state
  // given (None clears it). Where the system has no such button, nothing.
  virtual void TaskbarProgress(TaskbarState state, int done, int total) = 0;
  // The button paused (yellow) while something waits longer than it should,
  // then back to its state.
  virtual void TaskbarPaused(bool paused) = 0;
};

}  // namespace maj
