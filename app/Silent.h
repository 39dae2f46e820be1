// The operator's side of a run nobody watches (MiseANiveau.exe /SILENCIEUX):
// a scheduled task, a remote command. Nothing is ever shown, no answer is
// ever waited for: each box goes to the log (its text, as every box's, then
// its icon), and the last one is kept for whoever started the program.
#pragma once

#include <string>

#include "platform/Operator.h"
#include "state/RunLog.h"

namespace maj {

class SilentOperator final : public Operator {
 public:
  // `pump` handles the window messages while the run waits; `log` takes
  // the boxes.
  SilentOperator(Operator& pump, RunLog& log) : pump_(pump), log_(log) {}

  // The text of the last box, "" when none came.
  const std::string& LastBox() const { return lastBox_; }

  bool Attended() const override { return false; }
  [[nodiscard]] ErrorNumber SetBusyPointer(bool) override { return kOk; }
  [[nodiscard]] ErrorNumber EnableMainWindow(bool) override { return kOk; }
  [[nodiscard]] ErrorNumber UnloadMainWindow() override { return pump_.UnloadMainWindow(); }
  void DoEvents() override { pump_.DoEvents(); }
  [[nodiscard]] ErrorNumber RefuseClose(bool) override { return kOk; }
  [[nodiscard]] ErrorNumber MsgBox(const std::string& text, BoxIcon icon,
                                   const std::string& title) override;
  // Never shown: nobody would answer.
  [[nodiscard]] ErrorNumber InputBox(const std::string& prompt, std::string& answer) override;
  [[nodiscard]] ErrorNumber ShowModal(DialogModel& dialog) override;
  void TaskbarProgress(TaskbarState, int, int) override {}
  void TaskbarPaused(bool) override {}

 private:
  Operator& pump_;
  RunLog& log_;
  std::string lastBox_;
};

}  // namespace maj
