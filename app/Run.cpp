#include "app/Run.h"

#include <memory>

#include "app/VersionFile.h"
#include "connection/Connexion.h"
#include "connection/Frm_Connexion.h"
#include "platform/Text.h"

namespace maj {
namespace {

inline constexpr const char* kDatabaseName = "MERIDOXAN";
inline constexpr const char* kProgramVersion = MAJ_PROGRAM_VERSION;

// The pointer, the window's state and the boxes are for the operator: the
// run goes on whether they could be shown or not.
void Pointer(Run& run, bool busy) {
  Unheeded(run.op.SetBusyPointer(busy));
}

void MainWindow(Run& run, bool enabled) {
  Unheeded(run.op.EnableMainWindow(enabled));
}

// The folder of a file's path, without the final backslash; "" for none.
std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Opens entry `counter`; a refusal leaves MyDatabase as it was.
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

// The first base refused the administrator: the operator logs in through the
// dialog until the base opens. False when the operator cancelled.
bool LoginBranch(Run& run, std::int16_t counter) {
  RunState& state = run.state;
  state.G_Utilisateur = GetUser(run.system);
  state.G_Annuler = False;
  GiveBackWindow(run);
  while (state.Err != kOk) {
    state.Err = kOk;  // each attempt is judged on its own login and open
    Frm_Connexion dialog(state);
    state.Log.Line("Login dialog shown");
    // A dialog that cannot be shown cannot be answered either: it counts as a
    // cancel rather than a login retried forever without the operator.
    if (Failed(state.Err, run.op.ShowModal(dialog))) {
      state.Log.Line("Login dialog not shown: ", state.Log.Number(state.Err));
      return false;
    }
    if (state.G_Annuler == True) {
      state.Log.Line("Login dialog cancelled");
      return false;
    }
    // The user name only: nothing of the password box goes to the log.
    state.Log.Line("Login dialog confirmed, user ", state.G_Utilisateur);
    Initialisation2(state, run.dba);
    Absorb(state.Err, OpenBase(state, counter));
  }
  return true;
}

// Between two bases, and after the last: the base released, the client
// disconnected and connected afresh.
void ReleaseBase(RunState& state, DbaFactory& dba) {
  state.MyDatabase.reset();
  // A client that cannot disconnect is replaced by the reconnection all the same.
  if (state.MyClient) Unheeded(state.MyClient->Disconnect());
  Initialisation2(state, dba);
}

std::string EndText(Ending end, const std::string& detail) {
  switch (end) {
    case Ending::NoComponent:
      return "Le composant d'accès aux bases de données DBA n'a pas pu être chargé (erreur " +
             detail + ")." + kLineEnd +
             "Aucune base n'a été mise à jour. Merci de contacter MERIDOXAN";
    case Ending::NoBaseList:
      return std::string("Vérification impossible : aucune base dans ") + kBaseListPath + ".";
    case Ending::LoginCancelled:
      return "Les bases de données n'ont pas été mise a jour.";
    case Ending::LoginNeeded:
      return "Connexion demandée, mais personne ne peut la saisir : aucune base n'a été mise "
             "à jour.";
    case Ending::NoDirectory:
      return "PB DANS LA RECUPERATION DU CHEMIN DE LA BASE DE DONNEES. MERCI D'APPELER MERIDOXAN";
    case Ending::OpenRefused:
      return "Problème dans l'ouverture de la Base de données : " + detail + kLineEnd +
             "Merci de contacter MERIDOXAN";
    default:
      return {};  // the other ends have boxes of their own
  }
}

}  // namespace

LogPlace WhereTheLogGoes(System& system) {
  LogPlace place;
  if (system.ProgramFile(place.program) != kOk) place.program.clear();
  place.folders = {kVersionFolder, FolderOf(place.program)};
  return place;
}

// The login name is read whether the log opened or not, so that a run
// without a log makes the very same calls.
void LogStart(Run& run, const std::string& program) {
  std::string computer;
  if (!run.system.ComputerName(computer)) computer.assign(1, '?');
  std::string login;
  if (!run.system.UserName(login)) login.assign(1, '?');
  run.state.Log.Line("Start: ", program, " version ", kProgramVersion, ", computer ", computer,
                     ", login ", login);
}

// Whatever fails here shows later, base by base, except a component that
// cannot be created at all: then nothing more is prepared.
bool SetUp(Run& run, Rapport& rapport) {
  RunState& state = run.state;
  Unheeded(run.dba.CreateDynArray(rapport.W_BasesMaj));
  Unheeded(run.dba.CreateDynArray(rapport.W_BasesNonMaj));
  Unheeded(run.files.CreateFileSystemObject(state.G_Fso));
  Pointer(run, true);
  MainWindow(run, false);
  Initialisation(state, run.dba);
  if (!state.MyClient) {
    // Not installed, not registered, or registered for the other bitness:
    // COM's own numbers, with the system's text for them.
    state.Log.Line("Component: ", state.Log.SystemNumber(state.Err));
    EndEarly(run, Ending::NoComponent, HexNumber(state.Err));
    return false;
  }
  Unheeded(run.dba.CreateDynArray(state.W_Params));
  ListTail tail;
  const ErrorNumber read = Recup_Base(state.W_Bases, run.files, run.system, tail);
  run.record.list = BaseListState(state.W_Bases, read, tail);
  rapport.notTaken = NotTakenLine(run.record.list, state.W_Bases, tail);
  const std::string listed = std::to_string(BasesListed(state.W_Bases));
  if (read == kOk) {
    state.Log.Line("Base list: ", listed, " entries read");
  } else {
    state.Log.Line("Base list: ", listed, " entries read, then ", state.Log.Number(read));
  }
  return true;
}

bool WalkBases(Run& run, int count, const BaseWork& work) {
  RunState& state = run.state;
  run.op.TaskbarProgress(TaskbarState::Normal, 0, count);
  for (std::int16_t counter = 1; counter <= count; ++counter) {
    state.Log.Line("Base ", std::to_string(counter), ": ", state.Base(counter));
    state.Err = OpenBase(state, counter);  // a new base: earlier failures are behind it
    if (counter == 1 && (state.Err == kDbaOpenRefused || state.Err == kDbaLoginNeeded)) {
      if (!run.op.Attended()) {
        state.Log.Line("Login needed: nobody may be asked; the run stops here");
        EndEarly(run, Ending::LoginNeeded);
        return false;
      }
      if (!LoginBranch(run, counter)) {
        EndEarly(run, Ending::LoginCancelled);
        return false;
      }
    }
    switch (work(counter)) {
      case BaseOutcome::NoDirectory:
        EndEarly(run, Ending::NoDirectory);
        return false;
      case BaseOutcome::OpenRefused:
        EndEarly(run, Ending::OpenRefused, state.Base(counter));
        return false;
      case BaseOutcome::Failed:
        ++run.record.failed;
        break;
      case BaseOutcome::Done:
        ++run.record.done;
        break;
    }
    ReleaseBase(state, run.dba);
    // Once a base has failed the button stays red to the end.
    run.op.TaskbarProgress(run.record.failed > 0 ? TaskbarState::Error : TaskbarState::Normal,
                           counter, count);
  }
  run.record.end = Ending::Summary;
  return true;
}

int BasesWalked(const BaseList& bases) {
  int walked = 1;
  while (walked < kMaxBases && !bases.at(static_cast<std::size_t>(walked)).empty()) ++walked;
  return walked;
}

void GiveBackWindow(Run& run) {
  run.op.DoEvents();
  Pointer(run, false);
  MainWindow(run, true);
}

void ShowBox(Run& run, const std::string& text, BoxIcon icon) {
  run.state.Log.Line("Box: ", text);
  Unheeded(run.op.MsgBox(text, icon, kMessageTitle));
}

void EndEarly(Run& run, Ending end, const std::string& detail) {
  run.record.end = end;
  const std::string text = EndText(end, detail);
  // The pre-check holds the machine for nothing once its box is up: a box
  // left open must not keep an upgrade from starting.
  if (run.record.mode == RunMode::PreCheck) run.guards.ReleaseSingleRun();
  ShowBox(run, text, BoxIcon::Critical);
  // After a cancelled login the window is the operator's already.
  if (end != Ending::LoginCancelled) GiveBackWindow(run);
  CloseRun(run);
}

void CloseRun(Run& run) {
  run.op.TaskbarProgress(TaskbarState::None, 0, 0);
  Desinitialisation(run.state);
  run.guards.ReleaseSessionEnd();
  // The program ends either way.
  Unheeded(run.op.UnloadMainWindow());
}

}  // namespace maj
