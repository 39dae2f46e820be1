#include "app/Silent.h"

namespace maj {

// A box not shown is no failure: the run goes on as after a box answered.
// Its text is the line before, as for every box.
ErrorNumber SilentOperator::MsgBox(const std::string& text, BoxIcon icon, const std::string&) {
  log_.Line("Box not shown, nobody watches: ",
            icon == BoxIcon::Critical ? "critical icon" : "information icon");
  lastBox_ = text;
  return kOk;
}

ErrorNumber SilentOperator::InputBox(const std::string&, std::string& answer) {
  answer.clear();
  return kErrInvalidCall;
}

ErrorNumber SilentOperator::ShowModal(DialogModel&) {
  return kErrInvalidCall;
}

}  // namespace maj
