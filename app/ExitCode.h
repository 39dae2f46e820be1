// The program's exit code: how the run ended, for the script or scheduled
// task that started it. The operator sees the same boxes whatever the code.
// One function, ExitCodeOf, turns the record of a run into its code.
#pragma once

#include "steps/Recup_Base.h"

namespace maj {

enum class ExitCode : int {
  Success = 0,  // every base upgraded; the pre-check found none that would fail; usage asked
  SomeNotUpgraded = 1,  // some base listed was not upgraded
  NoBaseList = 2,       // the base list gave no base, whatever followed
  LoginCancelled = 3,   // the operator cancelled the login dialog
  NoDirectory = 4,      // a base's directory was not obtained
  NoComponent = 5,      // the database-access component cannot be created
  AnotherRun = 6,       // another run goes on on this machine
  PreCheckFailed = 7,   // the pre-check found a base that would fail
  OpenRefused = 8,      // a base after the first refused to open: the run stopped there
  CommandLine = 9,      // an argument the program does not know: usage shown, nothing done
  Unexpected = 10,      // anything else that ended the program
  LoginNeeded = 11,     // a run nobody watches needed a login: nobody could be asked
};

inline int AsInt(ExitCode code) {
  return static_cast<int>(code);
}

// What the program was asked to do.
enum class RunMode { Upgrade, PreCheck, Usage, Unknown };

// Where the program stopped.
enum class Ending {
  Summary,          // every base walked, then the last box
  NoComponent,      // the component could not be created
  NoBaseList,       // the pre-check had no base to check
  LoginCancelled,   // the login dialog was cancelled
  LoginNeeded,      // the first base refused the administrator, and nobody may be asked
  NoDirectory,      // a base's directory was not obtained
  OpenRefused,      // a base after the first refused to open
  AnotherRun,       // another run holds the machine
  Usage,            // the usage box, as asked
  UnknownArgument,  // the usage box, for an argument the program does not know
  Unexpected,       // anything else
};

// How a run ended: all the exit code depends on.
struct RunRecord {
  RunMode mode = RunMode::Upgrade;
  Ending end = Ending::Unexpected;
  ListState list = ListState::Read;
  int done = 0;    // bases upgraded, or found ready
  int failed = 0;  // bases not upgraded, or that would fail
};

ExitCode ExitCodeOf(const RunRecord& record);

}  // namespace maj
