// Opening and closing the connection to the database-access component.
// None of them reports to its caller: what happened is left in the run state
// and in its last error.
#pragma once

#include "contract/Dba.h"
#include "state/RunState.h"

namespace maj {

// Logs in with the built-in administrator account ("ADM", empty password).
void Initialisation(RunState& state, DbaFactory& dba);

// Logs in again with the credentials G_Utilisateur and G_MotPasse hold now.
void Initialisation2(RunState& state, DbaFactory& dba);

// Drops the run's objects (W_Params, W_Reponse, MyDatabase) and disconnects
// MyClient, which stays held until it is replaced or the program ends.
void Desinitialisation(RunState& state);

}  // namespace maj
