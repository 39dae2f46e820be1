#include "connection/Connexion.h"

#include <string>

#include "platform/Text.h"

namespace maj {
namespace {

// A new client replaces the one held, which is released without a Disconnect.
// When the creation fails the held client stays.
void CreateClient(RunState& state, DbaFactory& dba) {
  std::shared_ptr<CClient> client;
  if (!Failed(state.Err, dba.CreateClient(kDbaClientProgId, client))) state.MyClient = client;
}

void Connect(RunState& state) {
  // Without a client the call fails with what explains it: the failed
  // creation's number when there was one (the last error was cleared just
  // before it), "object required" otherwise.
  if (!state.MyClient) {
    if (state.Err == kOk) state.Err = kErrObjectRequired;
    return;
  }
  std::int16_t result = False;
  const std::string third;  // a fresh empty text at each call
  if (!Failed(state.Err,
              state.MyClient->Connect(state.G_Utilisateur, state.G_MotPasse, third, result))) {
    state.G_Bool = result;
  }
}

}  // namespace

void Initialisation(RunState& state, DbaFactory& dba) {
  state.G_Utilisateur = "ADM";
  SecureWipe(state.G_MotPasse);
  Initialisation2(state, dba);
}

void Initialisation2(RunState& state, DbaFactory& dba) {
  state.Err = kOk;
  CreateClient(state, dba);
  Connect(state);
}

void Desinitialisation(RunState& state) {
  state.Err = kOk;
  state.W_Params.reset();
  state.W_Reponse.reset();
  state.MyDatabase.reset();
  if (!state.MyClient) {
    state.Err = kErrObjectRequired;
    return;
  }
  Absorb(state.Err, state.MyClient->Disconnect());
}

}  // namespace maj
