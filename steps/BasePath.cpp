#include "steps/BasePath.h"

#include <memory>

#include "platform/Text.h"

namespace maj {
namespace {

// Rebuilds W_Params as the query field 1 "P", field 2 "QUI". A field that
// cannot be written is left as it was: the query goes with what W_Params holds.
void PrepareQuery(DynArray& params) {
  Unheeded(params.PutValue(""));
  Unheeded(params.PutField(1, "P"));
  Unheeded(params.PutField(2, "QUI"));
}

// One "QUI" query. Only the answer of this very query counts: a failed query,
// or an answer whose field 1 cannot be read, gives the empty text, never an
// earlier answer (which may belong to another base).
std::string QueryBaseDirectory(RunState& state) {
  if (!state.W_Params) return {};
  PrepareQuery(*state.W_Params);
  if (!state.MyDatabase) return {};
  std::string command;
  if (state.W_Params->GetValue(command) != kOk) return {};
  std::shared_ptr<DynArray> answer;
  if (state.MyDatabase->Execute(command, "", state.W_Statut, answer) != kOk) return {};
  state.W_Reponse = answer;
  std::string directory;
  if (!answer || answer->GetField(1, directory) != kOk) return {};
  return directory;
}

}  // namespace

std::string BasePathPrompt(const std::string& entry) {
  return "Saisir le chemin de la base " + entry + "." + kLineEnd +
         R"((ex:D:\BASESCLIENTS\BASEAFA))";
}

std::string WithoutOuterQuotes(const std::string& typed) {
  // No Windows path holds a double quote: every one at either end goes.
  const std::size_t first = typed.find_first_not_of('"');
  if (first == std::string::npos) return {};
  return typed.substr(first, typed.find_last_not_of('"') - first + 1);
}

std::string AskServerForDirectory(RunState& state) {
  std::string directory;
  // The same query twice: a server may answer only the second time.
  for (int query = 0; query < 2 && directory.empty(); ++query) {
    directory = QueryBaseDirectory(state);
    // A directory that cannot be quoted safely counts as no answer.
    if (!IsQuotablePath(directory)) directory.clear();
  }
  return directory;
}

BaseDirectory ResolveBasePath(RunState& state, Operator& op, System& system, std::int16_t counter) {
  std::string directory = AskServerForDirectory(state);
  const char* source = "server answer";
  if (directory.empty() && !op.Attended()) {
    state.Log.Line(
        "Directory unknown: the server gave none and nobody may be asked; the base is "
        "skipped");
    return BaseDirectory::Unknown;
  }
  if (directory.empty()) {
    std::string typed;
    const std::string prompt = BasePathPrompt(state.Base(counter));
    state.Log.Line("Directory: the server gave none; input box: ", prompt);
    // A box that cannot be shown gives no answer, as an empty one does.
    Unheeded(op.InputBox(prompt, typed));
    state.W_Lecteur = system.ToUpper(WithoutOuterQuotes(typed));
    if (state.W_Lecteur.empty()) {
      state.Log.Line("Directory: none typed");
      return BaseDirectory::None;
    }
    if (!IsQuotablePath(state.W_Lecteur)) {
      // Only an empty answer ends the run: this base alone goes without.
      state.Log.Line("Directory: unusable, typed ", state.W_Lecteur, "; the base is skipped");
      state.W_CheminBase.clear();
      state.W_Lecteur.clear();
      return BaseDirectory::Unusable;
    }
    directory = state.W_Lecteur;
    source = "typed";
  }
  state.Log.Line("Directory ", directory, " (", source, ")");
  state.W_CheminBase = directory;
  state.W_Lecteur = FirstCharacter(state.W_CheminBase);
  return BaseDirectory::Found;
}

}  // namespace maj
