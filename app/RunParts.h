// The pieces of the upgrade run that the pre-check goes through in the same
// way: the log's first line, the set-up, opening a base with its login
// dialog, releasing it, and the ends that stop before any base is looked at.
#pragma once

#include <cstdint>
#include <string>

#include "app/Rapport.h"
#include "contract/Dba.h"
#include "platform/Platform.h"
#include "state/RunState.h"

namespace maj {

void StartLog(RunState& state, Platform& platform);

// The outcome lists, the file-system object, the first login and the base
// list. False when the component cannot be created: its number is then in
// the last error.
bool SetUp(RunState& state, Platform& platform, DbaFactory& dba, Rapport& rapport);

// The bases the run goes through: the entries up to the first empty one.
int BasesListed(RunState& state);

// The bases the loop walks: entry 1 always (even empty: an empty first line, a
// list that could not be read), then each entry up to the first empty one.
int BasesWalked(RunState& state);

// Opens entry `counter`; a refusal leaves MyDatabase as it was.
[[nodiscard]] ErrorNumber OpenBase(RunState& state, std::int16_t counter);

// The operator logs in through the dialog until the base opens. False when
// the operator cancelled.
bool LoginBranch(RunState& state, Platform& platform, DbaFactory& dba, std::int16_t counter);

// The base released, the client disconnected and connected afresh.
void ReleaseBase(RunState& state, DbaFactory& dba);

// Pending messages handled, the default pointer, the main window enabled.
void GiveBackWindow(Platform& platform);

// A critical box, its text in the log.
void Critical(RunState& state, Platform& platform, const std::string& text);

// Every way out ends here: the connection closed, the window unloaded.
void CloseRun(RunState& state, Platform& platform);

void ExitNoComponent(RunState& state, Platform& platform, ErrorNumber number);
void ExitLoginCancelled(RunState& state, Platform& platform);

}  // namespace maj
