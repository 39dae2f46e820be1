#include "app/Frm_MAJ.h"

#include <cstdint>
#include <string>

#include "app/PreCheck.h"
#include "app/Rapport.h"
#include "app/RunParts.h"
#include "app/SessionEnd.h"
#include "app/VersionFile.h"
#include "connection/Connexion.h"
#include "connection/Frm_Connexion.h"
#include "platform/Text.h"
#include "steps/BasePath.h"
#include "steps/CopieInstallMAJ.h"
#include "steps/CopyChecks.h"
#include "steps/ExecutionMAJ.h"
#include "steps/Recup_Base.h"

namespace maj {
namespace {

inline constexpr const char* kDatabaseName = "MERIDOXAN";
inline constexpr const char* kProgramVersion = MAJ_PROGRAM_VERSION;
inline constexpr std::int16_t kPastLastBase = kMaxBases + 1;

// The pointer, the window's state and the boxes are for the operator: the
// run goes on whether they could be shown or not.
void Pointer(Platform& platform, bool busy) {
  Unheeded(platform.SetBusyPointer(busy));
}

void MainWindow(Platform& platform, bool enabled) {
  Unheeded(platform.EnableMainWindow(enabled));
}

// The folder of a file's path, without the final backslash; "" for none.
std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

void GiveBackWindow(Platform& platform) {
  platform.DoEvents();
  Pointer(platform, false);
  MainWindow(platform, true);
}

void Critical(RunState& state, Platform& platform, const std::string& text) {
  state.Log.Line("Box: ", text);
  Unheeded(platform.MsgBox(text, BoxIcon::Critical, kMessageTitle));
}

int BasesListed(RunState& state) {
  int listed = 0;
  while (listed < kMaxBases && !state.Base(listed + 1).empty()) ++listed;
  return listed;
}

int BasesWalked(RunState& state) {
  int walked = 1;
  while (walked < kMaxBases && !state.Base(walked + 1).empty()) ++walked;
  return walked;
}

// The log's first line. The login name is read whether the log opened or
// not, so that a run without a log makes the very same calls.
void StartLog(RunState& state, Platform& platform) {
  std::string program;
  if (platform.ProgramFile(program) != kOk) program.clear();
  state.Log.Open(platform, {kVersionFolder, FolderOf(program)});
  std::string computer;
  if (!platform.ComputerName(computer)) computer.assign(1, '?');
  std::string login;
  if (!platform.UserName(login)) login.assign(1, '?');
  state.Log.Line("Start: ", program, " version ", kProgramVersion, ", computer ", computer,
                 ", login ", login);
}

// The window is unloaded, which ends the program.
void CloseRun(RunState& state, Platform& platform) {
  platform.TaskbarProgress(TaskbarState::None, 0, 0);
  Desinitialisation(state);
  platform.ReleaseSessionEnd();
  // The program ends either way.
  Unheeded(platform.UnloadMainWindow());
}

ErrorNumber OpenBase(RunState& state, std::int16_t counter) {
  if (!state.MyClient) return kErrObjectRequired;
  std::shared_ptr<Database> database;
  const ErrorNumber err =
      state.MyClient->OpenDatabase(kDatabaseName, state.Base(counter), database);
  state.Log.Line("Open ", state.Base(counter), " as ", state.G_Utilisateur, ": ",
                 state.Log.Number(err));
  if (err == kOk) state.MyDatabase = database;
  return err;
}

// The first base refused the administrator.
bool LoginBranch(RunState& state, Platform& platform, DbaFactory& dba, std::int16_t counter) {
  state.G_Utilisateur = GetUser(platform);
  state.G_Annuler = False;
  platform.DoEvents();
  Pointer(platform, false);
  MainWindow(platform, true);
  while (state.Err != kOk) {
    state.Err = kOk;  // each attempt is judged on its own login and open
    Frm_Connexion dialog(state);
    state.Log.Line("Login dialog shown");
    // A dialog that cannot be shown cannot be answered either: it counts as a
    // cancel rather than a login retried forever without the operator.
    if (Failed(state.Err, platform.ShowModal(dialog))) {
      state.Log.Line("Login dialog not shown: ", state.Log.Number(state.Err));
      return false;
    }
    if (state.G_Annuler == True) {
      state.Log.Line("Login dialog cancelled");
      return false;
    }
    // The user name only: nothing of the password box goes to the log.
    state.Log.Line("Login dialog confirmed, user ", state.G_Utilisateur);
    Initialisation2(state, dba);
    Absorb(state.Err, OpenBase(state, counter));
  }
  return true;
}

namespace {

void ExitNoDirectory(RunState& state, Platform& platform) {
  Critical(state, platform,
           "PB DANS LA RECUPERATION DU CHEMIN DE LA BASE DE DONNEES. MERCI D'APPELER MERIDOXAN");
  platform.DoEvents();
  Pointer(platform, false);
  MainWindow(platform, true);
  CloseRun(state, platform);
}

void ExitOpenRefused(RunState& state, Platform& platform, const std::string& entry) {
  Critical(state, platform,
           "Problème dans l'ouverture de la Base de données : " + entry + kLineEnd +
               "Merci de contacter MERIDOXAN");
  platform.DoEvents();
  Pointer(platform, false);
  MainWindow(platform, true);
  CloseRun(state, platform);
}

}  // namespace

// The component could not be created at all (not installed, not registered,
// or registered for the other bitness): without it no base can be opened, so
// the run stops before anything is asked, copied or written.
void ExitNoComponent(RunState& state, Platform& platform, ErrorNumber number) {
  Critical(state, platform,
           "Le composant d'accès aux bases de données DBA n'a pas pu être chargé (erreur " +
               HexNumber(number) + ")." + kLineEnd +
               "Aucune base n'a été mise à jour. Merci de contacter MERIDOXAN");
  platform.DoEvents();
  Pointer(platform, false);
  MainWindow(platform, true);
  CloseRun(state, platform);
}

void ExitLoginCancelled(RunState& state, Platform& platform) {
  Critical(state, platform, "Les bases de données n'ont pas été mise a jour.");
  CloseRun(state, platform);
}

// Between two bases, and after the last.
void ReleaseBase(RunState& state, DbaFactory& dba) {
  state.MyDatabase.reset();
  // A client that cannot disconnect is replaced by the reconnection all the same.
  if (state.MyClient) Unheeded(state.MyClient->Disconnect());
  Initialisation2(state, dba);
}

namespace {

// One base after it opened: its directory, the package, the server's upgrade
// and the check. False when no directory was obtained, which ends the run. A
// base whose typed directory is unusable, or whose copy was refused before it
// started, holds none of this package: the server is not asked to upgrade it,
// and it is not upgraded.
bool UpgradeBase(RunState& state, Platform& platform, DbaFactory& dba, Rapport& rapport,
                 std::int16_t counter) {
  const BaseDirectory directory = ResolveBasePath(state, platform, counter);
  if (directory == BaseDirectory::None) return false;
  RunLog& log = state.Log;
  ErrorNumber copy = kOk;
  if (directory == BaseDirectory::Found) {
    copy = CopieInstallMAJ(state.G_Fso.get(), platform, state.W_CheminBase, &log);
    log.Line("Copy step: ", log.Number(copy));
  }
  if (directory == BaseDirectory::Unusable || CopyRefused(copy)) {
    // Nothing was copied: the server is not asked to upgrade the base.
    state.G_MajOk = False;
  } else {
    // The base's outcome is G_MajOk alone: a copy or a command that failed
    // shows as a base without the new version record.
    const std::uint64_t start = log.Tick();
    const ErrorNumber upgrade = ExecutionMAJ(state, platform, dba);
    log.Line("Upgrade command: ", log.Number(upgrade), ", ", Duration(log, start));
    const ErrorNumber check = GestionMAJ(state.MyDatabase.get(), state.G_Version, state.G_MajOk);
    log.Line("Check of version ", state.G_Version, ": ", log.Number(check));
  }
  log.Line("Outcome: ", state.G_MajOk == True ? "upgraded" : "not upgraded");
  // A line that cannot be recorded is missing from the summary, nothing more.
  Unheeded(RecordOutcome(state.G_MajOk, rapport, counter, state.Base(counter)));
  return true;
}

}  // namespace

// Whatever fails here shows later, base by base, except a component that
// cannot be created at all: then nothing more is prepared.
bool SetUp(RunState& state, Platform& platform, DbaFactory& dba, Rapport& rapport) {
  Unheeded(dba.CreateDynArray(rapport.W_BasesMaj));
  Unheeded(dba.CreateDynArray(rapport.W_BasesNonMaj));
  Unheeded(platform.CreateFileSystemObject(state.G_Fso));
  Pointer(platform, true);
  MainWindow(platform, false);
  Initialisation(state, dba);
  if (!state.MyClient) {
    state.Log.Line("Component: ", state.Log.Number(state.Err));
    return false;
  }
  Unheeded(dba.CreateDynArray(state.W_Params));
  const ErrorNumber list = Recup_Base(state.W_Bases, platform);
  const std::string listed = std::to_string(BasesListed(state));
  if (list == kOk) {
    state.Log.Line("Base list: ", listed, " entries read");
  } else {
    state.Log.Line("Base list: ", listed, " entries read, then ", state.Log.Number(list));
  }
  return true;
}

ExitCode TraitementMAJ(RunState& state, Platform& platform, DbaFactory& dba) {
  Rapport rapport;
  if (!SetUp(state, platform, dba, rapport)) {
    ExitNoComponent(state, platform, state.Err);
    return ExitCode::NoComponent;
  }

  const int listed = BasesListed(state);
  // Without a list the run still tries its first entry once; however that
  // ends, the list is what the caller must hear of.
  const auto end = [listed](ExitCode code) { return listed == 0 ? ExitCode::NoBaseList : code; };
  const int walked = BasesWalked(state);
  int done = 0;
  bool failed = false;
  platform.TaskbarProgress(TaskbarState::Normal, done, walked);
  std::int16_t counter = 1;
  for (;;) {
    state.Log.Line("Base ", std::to_string(counter), ": ", state.Base(counter));
    state.Err = OpenBase(state, counter);  // a new base: earlier failures are behind it
    if (counter == 1 && (state.Err == kDbaOpenRefused || state.Err == kDbaLoginNeeded)) {
      if (!LoginBranch(state, platform, dba, counter)) {
        ExitLoginCancelled(state, platform);
        return end(ExitCode::LoginCancelled);
      }
    }
    if (state.Err == kDbaOpenRefused) {
      ExitOpenRefused(state, platform, state.Base(counter));
      return end(ExitCode::OpenRefused);
    }
    if (!UpgradeBase(state, platform, dba, rapport, counter)) {
      ExitNoDirectory(state, platform);
      return end(ExitCode::NoDirectory);
    }
    ReleaseBase(state, dba);
    ++done;
    // Once a base has failed the button stays red to the end.
    if (rapport.W_Erreur == True) failed = true;
    platform.TaskbarProgress(failed ? TaskbarState::Error : TaskbarState::Normal, done, walked);

    ++counter;
    if (counter == kPastLastBase || state.Base(counter).empty()) break;
  }

  platform.DoEvents();
  Pointer(platform, false);
  MainWindow(platform, true);
  // The summary and the marker file are the run's last acts: nothing follows
  // that could go otherwise.
  Unheeded(ShowSummary(platform, rapport, &state.Log));
  state.Log.Line("Marker file: ", state.Log.Number(VersionFileStep(platform)));
  CloseRun(state, platform);
  return end(rapport.W_Erreur == True ? ExitCode::SomeNotUpgraded : ExitCode::Success);
}

ExitCode Form_Load(RunState& state, Platform& platform, DbaFactory& dba, RunMode mode) {
  StartLog(state, platform);
  const std::uint64_t start = state.Log.Tick();
  // Closing the window mid-run would hide a run that goes on: the window
  // closes when the run unloads it.
  // A window that cannot refuse closes as before; the run goes on either way.
  Unheeded(platform.RefuseClose(true));
  if (mode == RunMode::Upgrade) KeepSessionForTheRun(state, platform);
  const ExitCode code = mode == RunMode::PreCheck ? PreCheck(state, platform, dba)
                                                  : TraitementMAJ(state, platform, dba);
  state.Log.Line("End: ", Duration(state.Log, start));
  state.Log.Close();
  // Nothing needs the password once the run is over.
  SecureWipe(state.G_MotPasse);
  return code;
}

}  // namespace maj
