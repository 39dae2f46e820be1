// Message boxes, the input box and the rendered dialogs.
#include <string>

#include "platform/win32/Callbacks.h"
#include "platform/win32/DialogView.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WindowStates.h"
#include "support/win32/ComOwners.h"
#include "support/win32/Win32Errors.h"

namespace maj::win32 {
namespace {

// The input box: the prompt at the top left, "OK" and "Annuler" at the right,
// the answer box across the bottom; the focus starts in the answer box.
// Measures in twips.
class InputBoxModel final : public DialogModel {
 public:
  explicit InputBoxModel(const std::string& prompt) {
    design_.caption = kApplicationTitle;
    design_.clientWidth = 5850;
    design_.clientHeight = 2160;
    design_.controls = {
        {"Prompt", ControlKind::Label, prompt, 180, 180, 4200, 1290, 3},
        {"Answer", ControlKind::TextBox, "", 180, 1665, 5490, 300, 0},
        {"OK", ControlKind::PushButton, "OK", 4545, 180, 1125, 375, 1, true, false},
        {"Annuler", ControlKind::PushButton, "Annuler", 4545, 630, 1125, 375, 2, false, true},
    };
  }

  const DialogDesign& Design() const override { return design_; }
  TextBoxState* Box(const std::string& name) override {
    return name == "Answer" ? &answer_ : nullptr;
  }
  void Form_Load() override {}
  void Click(const std::string& button) override {
    accepted_ = button == "OK";
    unloadRequested = true;
  }

  // What the operator typed; "" when the box was cancelled or closed.
  std::string Answer() const { return accepted_ ? answer_.text : std::string(); }

 private:
  DialogDesign design_;
  TextBoxState answer_;
  bool accepted_ = false;
};

}  // namespace

ErrorNumber Win32Operator::MsgBox(const std::string& text, BoxIcon icon, const std::string& title) {
  const UINT style = icon == BoxIcon::Critical ? MB_ICONERROR : MB_ICONINFORMATION;
  // Owned by the main window so it stays in front of it. The system enables
  // the owner again when the box closes; the recorded states put back a
  // window that was disabled before the box.
  WindowStates states;
  AttractOperator();
  const int answer =
      MessageBoxW(main_.Handle(), com::Widen(text).c_str(), com::Widen(title).c_str(), style);
  const ErrorNumber failed = answer == 0 ? LastError() : kOk;
  states.Restore();
  ThrowKept();
  return failed;
}

ErrorNumber Win32Operator::InputBox(const std::string& prompt, std::string& answer) {
  InputBoxModel box(prompt);
  AttractOperator();
  const ErrorNumber failed = RunModal(box, main_.Handle(), Placement::UpperThird);
  if (failed == kOk) answer = box.Answer();
  return failed;
}

ErrorNumber Win32Operator::ShowModal(DialogModel& dialog) {
  AttractOperator();
  return RunModal(dialog, nullptr);
}

}  // namespace maj::win32
