#include "app/PreCheck.h"

#include <cstdint>
#include <vector>

#include "app/Rapport.h"
#include "app/RunParts.h"
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

std::string Megabytes(std::uint64_t bytes) {
  return std::to_string(bytes / 1024 / 1024) + " MiB (" + std::to_string(bytes) + " bytes)";
}

}  // namespace

BaseReadiness CheckOpenBase(RunState& state, Platform& platform) {
  RunLog& log = state.Log;
  // The operator is never asked: a directory the server does not know is
  // the answer itself.
  const std::string directory = AskServerForDirectory(state);
  if (directory.empty()) {
    log.Line("Directory: the server gave none");
    return Fails("répertoire inconnu");
  }
  log.Line("Directory ", directory, " (server answer)");
  const CopyVerdict copy = CheckCopyWithoutWriting(state.G_Fso.get(), platform, directory);
  log.Line("Copy check: ", copy.where, ": ", log.Number(copy.number), ", package ",
           Megabytes(copy.needed), ", free ", Megabytes(copy.free));
  if (const std::string problem = CopyProblem(copy); !problem.empty()) return Fails(problem);
  Boolean upToDate = False;
  const ErrorNumber check = GestionMAJ(state.MyDatabase.get(), kVersion, upToDate);
  log.Line("Check of version ", kVersion, ": ", log.Number(check));
  return {false, upToDate == True ? "déjà à jour" : "prête"};
}

ExitCode PreCheck(RunState& state, Platform& platform, DbaFactory& dba) {
  state.Log.Line("Pre-check: nothing is copied, sent to the server or written");
  Rapport unused;  // the set-up makes the outcome lists; the pre-check has its own lines
  if (!SetUp(state, platform, dba, unused)) {
    ExitNoComponent(state, platform, state.Err);
    return ExitCode::NoComponent;
  }
  const int listed = BasesListed(state);
  if (listed == 0) {
    GiveBackWindow(platform);
    Critical(state, platform,
             std::string("Vérification impossible : aucune base dans ") +
                 R"(\\127.0.0.1\UNIDATA\BASES.TXT.)");
    CloseRun(state, platform);
    return ExitCode::NoBaseList;
  }

  std::vector<std::string> lines;
  bool failing = false;
  platform.TaskbarProgress(TaskbarState::Normal, 0, listed);
  for (std::int16_t counter = 1; counter <= listed; ++counter) {
    state.Log.Line("Base ", std::to_string(counter), ": ", state.Base(counter));
    state.Err = OpenBase(state, counter);  // a new base: earlier failures are behind it
    if (counter == 1 && (state.Err == kDbaOpenRefused || state.Err == kDbaLoginNeeded)) {
      if (!LoginBranch(state, platform, dba, counter)) {
        ExitLoginCancelled(state, platform);
        return ExitCode::LoginCancelled;
      }
    }
    // A base that does not open stops the run, or goes through it without
    // its directory: either way it would not be upgraded.
    const BaseReadiness found = state.Err != kOk ? Fails(WithNumber("ouverture refusée", state.Err))
                                                 : CheckOpenBase(state, platform);
    state.Log.Line("Pre-check outcome: ", found.text);
    lines.push_back("Base " + state.Base(counter) + " : " + found.text + ".");
    failing = failing || found.fails;
    ReleaseBase(state, dba);
    platform.TaskbarProgress(failing ? TaskbarState::Error : TaskbarState::Normal, counter, listed);
  }

  GiveBackWindow(platform);
  std::string text = failing ? "Vérification terminée : des bases ne seraient pas mises à jour."
                             : "Vérification terminée : la mise à jour peut être lancée.";
  text += std::string(kLineEnd) + kLineEnd;
  for (const std::string& line : lines) text += line + kLineEnd;
  state.Log.Line("Box: ", text);
  // The box is the pre-check's last act: nothing follows that could go otherwise.
  Unheeded(
      platform.MsgBox(text, failing ? BoxIcon::Critical : BoxIcon::Information, kMessageTitle));
  CloseRun(state, platform);
  return failing ? ExitCode::PreCheckFailed : ExitCode::Success;
}

}  // namespace maj
