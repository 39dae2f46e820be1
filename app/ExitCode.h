// The program's exit code: how the run ended, for the script or scheduled
// task that started it. The operator sees the same boxes whatever the code.
#pragma once

namespace maj {

enum class ExitCode : int {
  Success = 0,  // every base upgraded; the pre-check found none that would fail; usage asked
  SomeNotUpgraded = 1,  // the summary listed a base not upgraded
  NoBaseList = 2,       // the base list gave no base, whatever followed
  LoginCancelled = 3,   // the operator cancelled the login dialog
  NoDirectory = 4,      // a base's directory was not obtained
  NoComponent = 5,      // the database-access component cannot be created
  AnotherRun = 6,       // another run goes on on this machine
  PreCheckFailed = 7,   // the pre-check found a base that would fail
  OpenRefused = 8,      // a base after the first refused to open: the run stopped there
  CommandLine = 9,      // an argument the program does not know: usage shown, nothing done
  Unexpected = 10,      // anything else that ended the program
};

inline int AsInt(ExitCode code) {
  return static_cast<int>(code);
}

}  // namespace maj
