// The pre-check (MiseANiveau.exe /VERIFIER): the run up to the copy, with
// nothing copied, sent to the server or written, and one box that tells, base
// by base, whether the upgrade would go through.
#pragma once

#include <string>

#include "app/ExitCode.h"
#include "contract/Dba.h"
#include "platform/Platform.h"
#include "state/RunState.h"

namespace maj {

// What the pre-check found for one base.
struct BaseReadiness {
  bool fails = false;
  std::string text;  // "prête", "déjà à jour", or why the upgrade would fail
};

// The open base of entry `counter`: its directory as the server gives it, the
// copy's checks, then its version record.
BaseReadiness CheckOpenBase(RunState& state, Platform& platform);

// The whole pre-check: Success when no base would fail, PreCheckFailed
// otherwise; the run's own codes for the ends it shares with it.
ExitCode PreCheck(RunState& state, Platform& platform, DbaFactory& dba);

}  // namespace maj
