// The whole outside world, one piece per concern, as the program's entry
// composes it. Only the run's driver holds all of it; each step is handed the
// pieces it uses.
#pragma once

#include "platform/FileQueries.h"
#include "platform/FileWrites.h"
#include "platform/LogFiles.h"
#include "platform/Operator.h"
#include "platform/Processes.h"
#include "platform/RunGuards.h"
#include "platform/System.h"

namespace maj {

struct Pieces {
  Operator& op;
  RunGuards& guards;
  FileQueries& files;
  FileWrites& writes;
  LogFiles& logs;
  Processes& processes;
  System& system;

  // The same world seen through another operator's side (a run nobody
  // watches).
  Pieces With(Operator& other) const {
    return {other, guards, files, writes, logs, processes, system};
  }
};

}  // namespace maj
