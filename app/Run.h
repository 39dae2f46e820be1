// The walk of the bases that the upgrade run and the pre-check share: the
// log's first line, the set-up, each base opened (the login dialog for the
// first), handed to the caller's work, released, and the taskbar; and the one
// way a run ends with a box. The run and the pre-check differ only in what
// they do with an open base and in their last box.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/ExitCode.h"
#include "app/Rapport.h"
#include "contract/Dba.h"
#include "platform/FileQueries.h"
#include "platform/Operator.h"
#include "platform/RunGuards.h"
#include "platform/System.h"
#include "state/RunState.h"

namespace maj {

// What every run reaches, and the record of how it goes. Nothing here writes
// a file or starts a process.
struct Run {
  RunState& state;
  Operator& op;
  RunGuards& guards;
  FileQueries& files;
  System& system;
  DbaFactory& dba;
  RunRecord record;
};

// The log's folders, in the order it tries them, and the program's file.
struct LogPlace {
  std::string program;
  std::vector<std::string> folders;
};
LogPlace WhereTheLogGoes(System& system);
// The log's first line, once it is open (or not).
void LogStart(Run& run, const std::string& program);

// The outcome lists, the file-system object, the first login and the base
// list. False when the component cannot be created: the run has then ended.
bool SetUp(Run& run, Rapport& rapport);

// What became of one open base. The last two end the walk there.
enum class BaseOutcome { Done, Failed, NoDirectory, OpenRefused };
using BaseWork = std::function<BaseOutcome(std::int16_t counter)>;

// Bases 1 to `count`, each handed to `work` once open. False when the run
// ended on the way (its box shown, the window unloaded).
bool WalkBases(Run& run, int count, const BaseWork& work);

// The bases the upgrade walks: entry 1 always (even empty: an empty first
// line, a list that could not be read), then each entry up to the first
// empty one.
int BasesWalked(const BaseList& bases);

// Pending messages handled, the default pointer, the main window enabled.
void GiveBackWindow(Run& run);

// Ends the run early with its critical box. `detail` goes into the box's
// text: the component's number for NoComponent, the base for OpenRefused.
void EndEarly(Run& run, Ending end, const std::string& detail = {});

// Shows a box for the operator and logs its text.
void ShowBox(Run& run, const std::string& text, BoxIcon icon);

// Every way out ends here: the connection closed, the window unloaded.
void CloseRun(Run& run);

}  // namespace maj
