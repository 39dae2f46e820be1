#include "app/Frm_MAJ.h"

#include <cstdint>
#include <string>

#include "app/Rapport.h"
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
inline constexpr std::int16_t kPastLastBase = kMaxBases + 1;

// The pointer, the window's state and the boxes are for the operator: the
// run goes on whether they could be shown or not.
void Pointer(Platform& platform, bool busy) {
  Unheeded(platform.SetBusyPointer(busy));
}

void MainWindow(Platform& platform, bool enabled) {
  Unheeded(platform.EnableMainWindow(enabled));
}

void Critical(Platform& platform, const std::string& text) {
  Unheeded(platform.MsgBox(text, BoxIcon::Critical, kMessageTitle));
}

// Every way out of the run ends here: the connection is closed, then the
// window is unloaded, which ends the program.
void CloseRun(RunState& state, Platform& platform) {
  Desinitialisation(state);
  // The program ends either way.
  Unheeded(platform.UnloadMainWindow());
}

// Opens entry `counter`; a refusal leaves MyDatabase as it was.
ErrorNumber OpenBase(RunState& state, std::int16_t counter) {
  if (!state.MyClient) return kErrObjectRequired;
  std::shared_ptr<Database> database;
  const ErrorNumber err =
      state.MyClient->OpenDatabase(kDatabaseName, state.Base(counter), database);
  if (err == kOk) state.MyDatabase = database;
  return err;
}

// The first base refused the administrator: the operator logs in through the
// dialog until the base opens. False when the operator cancelled.
bool LoginBranch(RunState& state, Platform& platform, DbaFactory& dba, std::int16_t counter) {
  state.G_Utilisateur = GetUser(platform);
  state.G_Annuler = False;
  platform.DoEvents();
  Pointer(platform, false);
  MainWindow(platform, true);
  while (state.Err != kOk) {
    state.Err = kOk;  // each attempt is judged on its own login and open
    Frm_Connexion dialog(state);
    // A dialog that cannot be shown cannot be answered either: it counts as a
    // cancel rather than a login retried forever without the operator.
    if (Failed(state.Err, platform.ShowModal(dialog)) || state.G_Annuler == True) return false;
    Initialisation2(state, dba);
    Absorb(state.Err, OpenBase(state, counter));
  }
  return true;
}

void ExitNoDirectory(RunState& state, Platform& platform) {
  Critical(platform,
           "PB DANS LA RECUPERATION DU CHEMIN DE LA BASE DE DONNEES. MERCI D'APPELER MERIDOXAN");
  platform.DoEvents();
  Pointer(platform, false);
  MainWindow(platform, true);
  CloseRun(state, platform);
}

void ExitOpenRefused(RunState& state, Platform& platform, const std::string& entry) {
  Critical(platform, "Problème dans l'ouverture de la Base de données : " + entry + kLineEnd +
                         "Merci de contacter MERIDOXAN");
  platform.DoEvents();
  Pointer(platform, false);
  MainWindow(platform, true);
  CloseRun(state, platform);
}

// The component could not be created at all (not installed, not registered,
// or registered for the other bitness): without it no base can be opened, so
// the run stops before anything is asked, copied or written.
void ExitNoComponent(RunState& state, Platform& platform, ErrorNumber number) {
  Critical(platform,
           "Le composant d'accès aux bases de données DBA n'a pas pu être chargé (erreur " +
               HexNumber(number) + ")." + kLineEnd +
               "Aucune base n'a été mise à jour. Merci de contacter MERIDOXAN");
  platform.DoEvents();
  Pointer(platform, false);
  MainWindow(platform, true);
  CloseRun(state, platform);
}

void ExitLoginCancelled(RunState& state, Platform& platform) {
  Critical(platform, "Les bases de données n'ont pas été mise a jour.");
  CloseRun(state, platform);
}

// Between two bases, and after the last: the base is released and the client
// reconnected afresh.
void ReleaseBase(RunState& state, DbaFactory& dba) {
  state.MyDatabase.reset();
  // A client that cannot disconnect is replaced by the reconnection all the same.
  if (state.MyClient) Unheeded(state.MyClient->Disconnect());
  Initialisation2(state, dba);
}

// One base after it opened: its directory, the package, the server's upgrade
// and the check. False when no directory was obtained, which ends the run. A
// base whose copy was refused before it started holds none of this package:
// the server is not asked to upgrade it, and it is not upgraded.
bool UpgradeBase(RunState& state, Platform& platform, DbaFactory& dba, Rapport& rapport,
                 std::int16_t counter) {
  if (!ResolveBasePath(state, platform, counter)) return false;
  if (CopyRefused(CopieInstallMAJ(state.G_Fso.get(), platform, state.W_CheminBase))) {
    state.G_MajOk = False;
  } else {
    // The base's outcome is G_MajOk alone: a copy or a command that failed
    // shows as a base without the new version record.
    Unheeded(ExecutionMAJ(state, platform, dba));
    Unheeded(GestionMAJ(state.MyDatabase.get(), state.G_Version, state.G_MajOk));
  }
  // A line that cannot be recorded is missing from the summary, nothing more.
  Unheeded(RecordOutcome(state.G_MajOk, rapport, counter, state.Base(counter)));
  return true;
}

// The outcome lists, the file-system object, the first login and the base
// list. Whatever fails here shows later, base by base, except a component
// that cannot be created at all: then false, with its number in the last
// error, and nothing more is prepared.
bool SetUp(RunState& state, Platform& platform, DbaFactory& dba, Rapport& rapport) {
  Unheeded(dba.CreateDynArray(rapport.W_BasesMaj));
  Unheeded(dba.CreateDynArray(rapport.W_BasesNonMaj));
  Unheeded(platform.CreateFileSystemObject(state.G_Fso));
  Pointer(platform, true);
  MainWindow(platform, false);
  Initialisation(state, dba);
  if (!state.MyClient) return false;
  Unheeded(dba.CreateDynArray(state.W_Params));
  Unheeded(Recup_Base(state.W_Bases, platform));
  return true;
}

}  // namespace

void TraitementMAJ(RunState& state, Platform& platform, DbaFactory& dba) {
  Rapport rapport;
  if (!SetUp(state, platform, dba, rapport)) {
    ExitNoComponent(state, platform, state.Err);
    return;
  }

  std::int16_t counter = 1;
  for (;;) {
    state.Err = OpenBase(state, counter);  // a new base: earlier failures are behind it
    if (counter == 1 && (state.Err == kDbaOpenRefused || state.Err == kDbaLoginNeeded)) {
      if (!LoginBranch(state, platform, dba, counter)) {
        ExitLoginCancelled(state, platform);
        return;
      }
    }
    if (state.Err == kDbaOpenRefused) {
      ExitOpenRefused(state, platform, state.Base(counter));
      return;
    }
    if (!UpgradeBase(state, platform, dba, rapport, counter)) {
      ExitNoDirectory(state, platform);
      return;
    }
    ReleaseBase(state, dba);

    ++counter;
    if (counter == kPastLastBase || state.Base(counter).empty()) break;
  }

  platform.DoEvents();
  Pointer(platform, false);
  MainWindow(platform, true);
  // The summary and the marker file are the run's last acts: nothing follows
  // that could go otherwise.
  Unheeded(ShowSummary(platform, rapport));
  Unheeded(VersionFileStep(platform));
  CloseRun(state, platform);
}

void Form_Load(RunState& state, Platform& platform, DbaFactory& dba) {
  // Closing the window mid-run would hide a run that goes on: the window
  // closes when the run unloads it.
  // A window that cannot refuse closes as before; the run goes on either way.
  Unheeded(platform.RefuseClose(true));
  TraitementMAJ(state, platform, dba);
  // Nothing needs the password once the run is over.
  SecureWipe(state.G_MotPasse);
}

}  // namespace maj
