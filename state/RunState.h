// The run state: the fields of the main window Frm_MAJ and the program's
// globals, in one plain struct owned by the program and passed by
// reference to every step.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "contract/Dba.h"
#include "platform/Errors.h"
#include "platform/FileQueries.h"
#include "state/RunLog.h"

namespace maj {

// 16 bits, True stored as -1; tests compare with exactly True.
using Boolean = std::int16_t;
inline constexpr Boolean True = -1;
inline constexpr Boolean False = 0;

inline constexpr int kMaxBases = 30;

// The base entries of the list file, entry n at index n - 1.
using BaseList = std::array<std::string, kMaxBases>;

struct RunState {
  // Fields of Frm_MAJ, in their order; the first four are public.
  std::shared_ptr<CClient> MyClient;
  std::shared_ptr<Database> MyDatabase;
  Boolean G_Bool = False;
  std::shared_ptr<DynArray> W_Params;
  BaseList W_Bases;  // entries 1 to 30: see Base()
  std::int32_t W_Statut = 0;
  std::shared_ptr<DynArray> W_Reponse;
  std::string W_CheminBase;
  std::string W_Lecteur;

  // The program's globals.
  std::string G_Utilisateur;
  std::string G_MotPasse;
  Boolean G_Annuler = False;
  std::shared_ptr<FileSystemObject> G_Fso;
  Boolean G_MajOk = False;
  std::string G_Version;

  // The last error shared by the driver and every step it calls.
  ErrorNumber Err = kOk;

  // The run log, for support; it never changes the run.
  RunLog Log;

  // Entry n of W_Bases, n from 1 to 30.
  std::string& Base(int n) { return W_Bases.at(static_cast<std::size_t>(n - 1)); }
};

}  // namespace maj
