#include "app/ExitCode.h"

namespace maj {

ExitCode ExitCodeOf(const RunRecord& record) {
  switch (record.end) {
    case Ending::Usage:
      return ExitCode::Success;
    case Ending::UnknownArgument:
      return ExitCode::CommandLine;
    case Ending::AnotherRun:
      return ExitCode::AnotherRun;
    case Ending::NoComponent:
      return ExitCode::NoComponent;
    case Ending::Unexpected:
      return ExitCode::Unexpected;
    default:
      break;
  }
  // Without a list the run still tries its first entry once; however that
  // ends, the list is what the caller must hear of.
  if (record.list == ListState::NoBase) return ExitCode::NoBaseList;
  switch (record.end) {
    case Ending::NoBaseList:
      return ExitCode::NoBaseList;
    case Ending::LoginCancelled:
      return ExitCode::LoginCancelled;
    case Ending::LoginNeeded:
      return ExitCode::LoginNeeded;
    case Ending::NoDirectory:
      return ExitCode::NoDirectory;
    case Ending::OpenRefused:
      return ExitCode::OpenRefused;
    default:
      break;
  }
  // A base left out of the list is a base not upgraded.
  const bool leftOut = record.failed > 0 || record.list != ListState::Read;
  if (!leftOut) return ExitCode::Success;
  return record.mode == RunMode::PreCheck ? ExitCode::PreCheckFailed : ExitCode::SomeNotUpgraded;
}

}  // namespace maj
