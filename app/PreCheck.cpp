#include "app/PreCheck.h"

#include <cstdint>
#include <vector>

#include "app/Rapport.h"
#include "platform/Text.h"
#include "steps/BasePath.h"
#include "steps/CopyReadiness.h"
#include "steps/ExecutionMAJ.h"

namespace maj {
namespace {

BaseReadiness Fails(std::string text) {
  return {true, std::move(text)};
}

std::string WithNumber(const std::string& text, ErrorNumber number) {
  return text + " (erreur " + HexNumber(number) + ")";
}

// Why the copy would fail, in the operator's words; "" when it would not.
std::string CopyProblem(const CopyVerdict& verdict) {
  switch (verdict.readiness) {
    case Readiness::Ready:
      return {};
    case Readiness::NoPackage:
      return WithNumber("paquet d'installation illisible", verdict.number);
    case Readiness::NoDirectory:
      return "répertoire " + verdict.where + " introuvable";
    case Readiness::DestinationIsAFile:
      return verdict.where + " est un fichier";
    case Readiness::PathTooLong:
      return "chemin trop long pour la copie";
    case Readiness::WriteRefused:
      return "écriture refusée dans " + verdict.where;
    case Readiness::NoRoom:
      return "place insuffisante sur le disque";
    case Readiness::Unreadable:
      return WithNumber(verdict.where + " inaccessible", verdict.number);
  }
  return "?";
}

// The verdict in the log's words.
const char* VerdictName(Readiness readiness) {
  switch (readiness) {
    case Readiness::Ready:
      return "ready";
    case Readiness::NoPackage:
      return "package unreadable";
    case Readiness::NoDirectory:
      return "no directory";
    case Readiness::DestinationIsAFile:
      return "destination is a file";
    case Readiness::PathTooLong:
      return "path too long";
    case Readiness::WriteRefused:
      return "write refused";
    case Readiness::NoRoom:
      return "no room";
    case Readiness::Unreadable:
      return "unreadable";
  }
  return "?";
}

std::string Megabytes(std::uint64_t bytes) {
  return std::to_string(bytes / 1024 / 1024) + " MiB (" + std::to_string(bytes) + " bytes)";
}

}  // namespace

BaseReadiness CheckOpenBase(RunState& state, FileQueries& files, System& system) {
  RunLog& log = state.Log;
  // The operator is never asked: a directory the server does not know is
  // the answer itself.
  const std::string directory = AskServerForDirectory(state);
  if (directory.empty()) {
    log.Line("Directory: the server gave none");
    return Fails("répertoire inconnu");
  }
  log.Line("Directory ", directory, " (server answer)");
  const CopyVerdict copy = CheckCopyWithoutWriting(state.G_Fso.get(), files, system, directory);
  log.Line("Copy check: ", copy.where, ": ", VerdictName(copy.readiness), ", ",
           log.Number(copy.number), ", package ", Megabytes(copy.needed), ", free ",
           Megabytes(copy.free));
  if (const std::string problem = CopyProblem(copy); !problem.empty()) return Fails(problem);
  Boolean upToDate = False;
  const ErrorNumber check = GestionMAJ(state.MyDatabase.get(), kVersion, upToDate);
  log.Line("Check of version ", kVersion, ": ", log.Number(check));
  if (upToDate == True) return {false, "déjà à jour"};
  // Only a record that is not there says the upgrade is still to do; a
  // record that cannot be read fails the run's own check as well.
  if (check != kDbaKeyNotFound) return Fails(WithNumber("version illisible", check));
  return {false, "prête"};
}

void PreCheck(Run& run) {
  RunState& state = run.state;
  state.Log.Line("Pre-check: nothing is copied, sent to the server or written");
  Rapport rapport;  // the set-up makes the outcome lists; the pre-check has its own lines
  if (!SetUp(run, rapport)) return;
  const int listed = BasesListed(state.W_Bases);
  if (listed == 0) {
    EndEarly(run, Ending::NoBaseList);
    return;
  }
  std::vector<std::string> lines;
  const auto check = [&](std::int16_t counter) {
    // A base that does not open stops the run, or goes through it without
    // its directory: either way it would not be upgraded.
    const BaseReadiness found = state.Err != kOk ? Fails(WithNumber("ouverture refusée", state.Err))
                                                 : CheckOpenBase(state, run.files, run.system);
    state.Log.Line("Pre-check outcome: ", found.text);
    lines.push_back("Base " + state.Base(counter) + " : " + found.text + ".");
    return found.fails ? BaseOutcome::Failed : BaseOutcome::Done;
  };
  if (!WalkBases(run, listed, check)) return;

  GiveBackWindow(run);
  const bool failing = ExitCodeOf(run.record) != ExitCode::Success;
  std::string text = failing ? "Vérification terminée : des bases ne seraient pas mises à jour."
                             : "Vérification terminée : la mise à jour peut être lancée.";
  text += std::string(kLineEnd) + kLineEnd;
  for (const std::string& line : lines) text += line + kLineEnd;
  if (!rapport.notTaken.empty()) text += rapport.notTaken + kLineEnd;
  // Nothing the pre-check does needs the machine once its box is up: a box
  // left open must not keep an upgrade from starting.
  run.guards.ReleaseSingleRun();
  // The box is the pre-check's last act: nothing follows that could go otherwise.
  ShowBox(run, text, failing ? BoxIcon::Critical : BoxIcon::Information);
  CloseRun(run);
}

}  // namespace maj
