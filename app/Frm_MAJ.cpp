#include "app/Frm_MAJ.h"

#include <cstdint>
#include <string>

#include "app/FichierVersion.h"
#include "app/Rapport.h"
#include "connection/Connexion.h"
#include "connection/Frm_Connexion.h"
#include "platform/Text.h"
#include "steps/CheminBase.h"
#include "steps/ControleCopie.h"
#include "steps/CopieInstallMAJ.h"
#include "steps/ExecutionMAJ.h"
#include "steps/Recup_Base.h"

namespace maj {
namespace {

inline constexpr const char* kDatabaseName = "MERIDOXAN";
inline constexpr std::int16_t kPastLastBase = kMaxBases + 1;

void Pointer(RunState& state, Platform& platform, bool busy) {
  Absorb(state.Err, platform.SetBusyPointer(busy));
}

void MainWindow(RunState& state, Platform& platform, bool enabled) {
  Absorb(state.Err, platform.EnableMainWindow(enabled));
}

void Critical(RunState& state, Platform& platform, const std::string& text) {
  Absorb(state.Err, platform.MsgBox(text, kMsgBoxCritical, kMessageTitle));
}

// Every way out of the run ends here: the connection is closed, then the
// window is unloaded, which ends the program.
void CloseRun(RunState& state, Platform& platform) {
  Desinitialisation(state);
  Absorb(state.Err, platform.UnloadMainWindow());
}

// Opens entry `counter`; a refusal leaves MyDatabase as it was.
void OpenBase(RunState& state, std::int16_t counter) {
  if (!state.MyClient) {
    state.Err = kErrObjectRequired;
    return;
  }
  std::shared_ptr<Database> database;
  if (!Failed(state.Err,
              state.MyClient->OpenDatabase(kDatabaseName, state.Base(counter), database))) {
    state.MyDatabase = database;
  }
}

// The first base refused the administrator: the operator logs in through the
// dialog until the base opens. False when the operator cancelled.
bool LoginBranch(RunState& state, Platform& platform, DbaFactory& dba, std::int16_t counter) {
  state.G_Utilisateur = GetUser(platform);
  state.G_Annuler = False;
  platform.DoEvents();
  Pointer(state, platform, false);
  MainWindow(state, platform, true);
  while (state.Err != kOk) {
    state.Err = kOk;
    Frm_Connexion dialog(state);
    // A dialog that cannot be shown cannot be answered either: it counts as a
    // cancel rather than a login retried forever without the operator.
    if (Failed(state.Err, platform.ShowModal(dialog)) || state.G_Annuler == True) return false;
    Initialisation2(state, dba);
    OpenBase(state, counter);
  }
  return true;
}

void ExitNoDirectory(RunState& state, Platform& platform) {
  Critical(state, platform,
           "PB DANS LA RECUPERATION DU CHEMIN DE LA BASE DE DONNEES. MERCI D'APPELER MERIDOXAN");
  platform.DoEvents();
  Pointer(state, platform, false);
  MainWindow(state, platform, true);
  CloseRun(state, platform);
}

void ExitOpenRefused(RunState& state, Platform& platform, const std::string& entry) {
  Critical(state, platform,
           "Problème dans l'ouverture de la Base de données : " + entry + kLineEnd +
               "Merci de contacter MERIDOXAN");
  state.Err = kOk;
  platform.DoEvents();
  Pointer(state, platform, false);
  MainWindow(state, platform, true);
  CloseRun(state, platform);
}

// The component could not be created at all (not installed, not registered,
// or registered for the other bitness): without it no base can be opened, so
// the run stops before anything is asked, copied or written.
void ExitNoComponent(RunState& state, Platform& platform, ErrorNumber number) {
  Critical(state, platform,
           "Le composant d'accès aux bases de données DBA n'a pas pu être chargé (erreur " +
               HexNumber(number) + ")." + kLineEnd +
               "Aucune base n'a été mise à jour. Merci de contacter MERIDOXAN");
  platform.DoEvents();
  Pointer(state, platform, false);
  MainWindow(state, platform, true);
  CloseRun(state, platform);
}

void ExitLoginCancelled(RunState& state, Platform& platform) {
  Critical(state, platform, "Les bases de données n'ont pas été mise a jour.");
  CloseRun(state, platform);
}

// Between two bases, and after the last: the base is released and the client
// reconnected afresh.
void ReleaseBase(RunState& state, DbaFactory& dba) {
  state.MyDatabase.reset();
  if (!state.MyClient) {
    state.Err = kErrObjectRequired;
  } else {
    Absorb(state.Err, state.MyClient->Disconnect());
  }
  Initialisation2(state, dba);
}

// The package, then the server's upgrade and its check. A base whose copy was
// refused before it started holds none of this package: the server is not
// asked to upgrade it, and it is not upgraded.
void UpgradeBase(RunState& state, Platform& platform, DbaFactory& dba) {
  const ErrorNumber copied = CopieInstallMAJ(state, platform, state.W_CheminBase);
  Absorb(state.Err, copied);
  if (CopyRefused(copied)) {
    state.G_MajOk = False;
    return;
  }
  Absorb(state.Err, ExecutionMAJ(state, platform, dba));
  Absorb(state.Err, GestionMAJ(state));
}

}  // namespace

void TraitementMAJ(RunState& state, Platform& platform, DbaFactory& dba) {
  Rapport rapport;
  Absorb(state.Err, dba.CreateDynArray(rapport.W_BasesMaj));
  Absorb(state.Err, dba.CreateDynArray(rapport.W_BasesNonMaj));
  Absorb(state.Err, platform.CreateFileSystemObject(state.G_Fso));
  Pointer(state, platform, true);
  MainWindow(state, platform, false);
  Initialisation(state, dba);
  if (!state.MyClient) {
    ExitNoComponent(state, platform, state.Err);
    return;
  }
  Absorb(state.Err, dba.CreateDynArray(state.W_Params));
  Absorb(state.Err, Recup_Base(state, platform));

  std::int16_t counter = 1;
  for (;;) {
    state.Err = kOk;
    OpenBase(state, counter);
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
    if (!ResolveBasePath(state, platform, counter)) {
      ExitNoDirectory(state, platform);
      return;
    }
    UpgradeBase(state, platform, dba);
    RecordOutcome(state, rapport, counter, state.Base(counter));
    ReleaseBase(state, dba);

    ++counter;
    if (counter == kPastLastBase || state.Base(counter).empty()) break;
  }

  platform.DoEvents();
  Pointer(state, platform, false);
  MainWindow(state, platform, true);
  ShowSummary(state, platform, rapport);
  VersionFileStep(state, platform);
  CloseRun(state, platform);
}

void Form_Load(RunState& state, Platform& platform, DbaFactory& dba) {
  // Closing the window mid-run would hide a run that goes on: the window
  // closes when the run unloads it.
  Absorb(state.Err, platform.RefuseClose(true));
  TraitementMAJ(state, platform, dba);
  // Nothing needs the password once the run is over.
  SecureWipe(state.G_MotPasse);
}

}  // namespace maj
