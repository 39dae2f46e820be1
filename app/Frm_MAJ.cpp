#include "app/Frm_MAJ.h"

#include <cstdint>
#include <string>

#include "app/PreCheck.h"
#include "app/Rapport.h"
#include "app/SessionEnd.h"
#include "app/VersionFile.h"
#include "connection/Connexion.h"
#include "platform/Text.h"
#include "steps/BasePath.h"
#include "steps/CopieInstallMAJ.h"
#include "steps/CopyChecks.h"
#include "steps/ExecutionMAJ.h"

namespace maj {
namespace {

// One base after it opened: its directory, the package, the server's upgrade
// and the check. A base whose typed directory is unusable, or whose copy was
// refused before it started, holds none of this package: the server is not
// asked to upgrade it, and it is not upgraded.
BaseOutcome UpgradeBase(Run& run, const UpgradePieces& pieces, Rapport& rapport,
                        std::int16_t counter) {
  RunState& state = run.state;
  if (state.Err == kDbaOpenRefused) return BaseOutcome::OpenRefused;
  const BaseDirectory directory = ResolveBasePath(state, run.op, run.system, counter);
  if (directory == BaseDirectory::None) return BaseOutcome::NoDirectory;
  RunLog& log = state.Log;
  ErrorNumber copy = kOk;
  if (directory == BaseDirectory::Found) {
    const CopyPieces copying{run.op, run.files, pieces.writes, pieces.processes, run.system};
    copy = CopieInstallMAJ(state.G_Fso.get(), copying, state.W_CheminBase, &log);
    log.Line("Copy step: ", log.Number(copy));
  }
  if (directory == BaseDirectory::Unusable || directory == BaseDirectory::Unknown ||
      CopyRefused(copy)) {
    // Nothing was copied: the server is not asked to upgrade the base.
    state.G_MajOk = False;
  } else {
    // The base's outcome is G_MajOk alone: a copy or a command that failed
    // shows as a base without the new version record.
    const std::uint64_t start = log.Tick();
    const ErrorNumber upgrade = ExecutionMAJ(state, run.system, run.dba);
    log.Line("Upgrade command: ", log.Number(upgrade), ", ", Duration(log, start));
    const ErrorNumber check = GestionMAJ(state.MyDatabase.get(), state.G_Version, state.G_MajOk);
    log.Line("Check of version ", state.G_Version, ": ", log.Number(check));
  }
  log.Line("Outcome: ", state.G_MajOk == True ? "upgraded" : "not upgraded");
  // A line that cannot be recorded is missing from the summary, nothing more.
  Unheeded(RecordOutcome(state.G_MajOk, rapport, counter, state.Base(counter)));
  return state.G_MajOk == True ? BaseOutcome::Done : BaseOutcome::Failed;
}

}  // namespace

void TraitementMAJ(Run& run, const UpgradePieces& pieces) {
  Rapport rapport;
  if (!SetUp(run, rapport)) return;
  const auto upgrade = [&](std::int16_t counter) {
    return UpgradeBase(run, pieces, rapport, counter);
  };
  if (!WalkBases(run, BasesWalked(run.state.W_Bases), upgrade)) return;
  GiveBackWindow(run);
  // The summary and the marker file are the run's last acts: nothing follows
  // that could go otherwise.
  Unheeded(ShowSummary(run.op, rapport, &run.state.Log));
  run.state.Log.Line("Marker file: ",
                     run.state.Log.Number(VersionFileStep(run.files, pieces.writes, run.system)));
  CloseRun(run);
}

RunRecord Form_Load(RunState& state, const Pieces& pieces, DbaFactory& dba, RunMode mode) {
  Run run{state, pieces.op, pieces.guards, pieces.files, pieces.system, dba, {.mode = mode}};
  const LogPlace place = WhereTheLogGoes(pieces.system);
  // The pre-check appends its block and nothing else: its log is never
  // rotated.
  if (mode == RunMode::PreCheck) {
    state.Log.Open(pieces.logs, pieces.system, place.folders);
  } else {
    state.Log.OpenRotated(pieces.logs, pieces.writes, pieces.system, place.folders);
  }
  LogStart(run, place.program);
  const std::uint64_t start = state.Log.Tick();
  // Closing the window mid-run would hide a run that goes on: the window
  // closes when the run unloads it.
  // A window that cannot refuse closes as before; the run goes on either way.
  Unheeded(pieces.op.RefuseClose(true));
  if (mode == RunMode::PreCheck) {
    PreCheck(run);
  } else {
    KeepSessionForTheRun(state, pieces.guards);
    TraitementMAJ(run, {pieces.writes, pieces.processes});
  }
  state.Log.Line("End: ", Duration(state.Log, start));
  state.Log.Close();
  // Nothing needs the password once the run is over.
  SecureWipe(state.G_MotPasse);
  return run.record;
}

}  // namespace maj
