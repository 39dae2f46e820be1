// What keeps a run whole while it goes on: one run per machine, and a session
// that waits for the run to end. Each guard has its release.
#pragma once

#include <functional>
#include <string>

#include "platform/Errors.h"

namespace maj {

// What became of a request to end the session: asked (the system was asked
// to wait), then, once the operator chose, ended all the same or called off.
enum class SessionEnd { Asked, Ends, CalledOff };

class RunGuards {
 public:
  virtual ~RunGuards() = default;

  // Claims the one upgrade run this machine may hold at a time, until
  // ReleaseSingleRun or the program's end. `alone` is false when another run
  // holds it; a refused claim then holds nothing, so that a later start is
  // refused only while a run goes on. A run that ended without letting go
  // (killed) holds nothing.
  [[nodiscard]] virtual ErrorNumber ClaimSingleRun(bool& alone) = 0;
  virtual void ReleaseSingleRun() = 0;

  // From now on, a request to end the operator's session (log-off, restart,
  // shutdown) is answered by asking the system to wait, with `reason` shown
  // to whoever ends it from the start, and `onRequest` is told of each
  // request and of its outcome. ReleaseSessionEnd, or the main window's
  // unloading, lets the session end as usual again.
  [[nodiscard]] virtual ErrorNumber HoldSessionEnd(const std::string& reason,
                                                   std::function<void(SessionEnd)> onRequest) = 0;
  virtual void ReleaseSessionEnd() = 0;
};

}  // namespace maj
