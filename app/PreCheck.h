// The pre-check (MiseANiveau.exe /VERIFIER): the run up to the copy, with
// nothing copied, sent to the server or written, and one box that tells, base
// by base, whether the upgrade would go through.
#pragma once

#include <string>

#include "app/Run.h"
#include "state/RunState.h"

namespace maj {

// What the pre-check found for one base.
struct BaseReadiness {
  bool fails = false;
  std::string text;  // "prête", "déjà à jour", or why the upgrade would fail
};

// The open base of entry `counter`: its directory as the server gives it, the
// copy's checks, then its version record.
BaseReadiness CheckOpenBase(RunState& state, FileQueries& files, System& system);

// The whole pre-check, its ending in the run's record. It is handed no way
// to write a file or start a process.
void PreCheck(Run& run);

}  // namespace maj
