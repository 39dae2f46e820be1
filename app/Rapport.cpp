#include "app/Rapport.h"

#include <limits>

#include "platform/Text.h"

namespace maj {
namespace {

// DCount read once and turned into a 16-bit count.
ErrorNumber Count16(const std::shared_ptr<DynArray>& list, std::int16_t& count) {
  if (!list) return kErrObjectRequired;
  std::int32_t n = 0;
  if (const ErrorNumber err = list->DCount(n)) return err;
  if (n < std::numeric_limits<std::int16_t>::min() ||
      n > std::numeric_limits<std::int16_t>::max()) {
    return kErrOverflow;
  }
  count = static_cast<std::int16_t>(n);
  return kOk;
}

// Appends each position of the list followed by a line end; a position that
// cannot be read adds nothing. Answers the last failure.
ErrorNumber AppendLines(const std::shared_ptr<DynArray>& list, std::string& text) {
  std::int16_t count = 0;
  if (const ErrorNumber err = Count16(list, count)) return err;
  ErrorNumber last = kOk;
  for (int p = 1; p <= count; ++p) {
    std::string line;
    if (!Failed(last, list->GetField(static_cast<std::int16_t>(p), line))) {
      text += line + kLineEnd;
    }
  }
  return last;
}

// A failure line goes after the last one written.
ErrorNumber AppendFailure(const std::shared_ptr<DynArray>& list, const std::string& line) {
  std::int16_t count = 0;
  if (const ErrorNumber err = Count16(list, count)) return err;
  if (count == std::numeric_limits<std::int16_t>::max()) return kErrOverflow;
  const std::int16_t position = count == 0 ? 1 : static_cast<std::int16_t>(count + 1);
  return list->PutField(position, line);
}

// The success form: no base failed, none of the list was left out.
bool AllUpgraded(const Rapport& rapport) {
  return rapport.W_Erreur != True && rapport.notTaken.empty();
}

}  // namespace

ErrorNumber RecordOutcome(Boolean majOk, Rapport& rapport, std::int16_t counter,
                          const std::string& entry) {
  if (majOk == True) {
    if (!rapport.W_BasesMaj) return kErrObjectRequired;
    return rapport.W_BasesMaj->PutField(counter, "Base " + entry + " : mise à jour.");
  }
  // The summary takes the error form even when the line cannot be written.
  rapport.W_Erreur = True;
  return AppendFailure(rapport.W_BasesNonMaj, "Base " + entry + " : non mise à jour.");
}

std::string NotTakenLine(ListState list, const BaseList& bases, const ListTail& tail) {
  if (list == ListState::Incomplete) {
    const int listed = BasesListed(bases);
    return "Liste des bases lue en partie : les bases après " +
           bases.at(static_cast<std::size_t>(listed - 1)) + " ne sont pas traitées.";
  }
  if (list != ListState::TooMany) return {};
  std::string names;
  for (const std::string& name : tail.names) names += (names.empty() ? "" : ", ") + name;
  if (names.empty()) return "Bases au-delà de la trentième non traitées.";
  return "Bases au-delà de la trentième non traitées : " + names +
         (tail.more ? " et d'autres." : ".");
}

ErrorNumber SummaryText(const Rapport& rapport, std::string& text) {
  ErrorNumber last = kOk;
  if (AllUpgraded(rapport)) {
    text = std::string("Mise à jour du serveur terminée avec succès.") + kLineEnd + kLineEnd;
    Absorb(last, AppendLines(rapport.W_BasesMaj, text));
    return last;
  }
  text = std::string("La mise à jour du serveur contient des erreurs.") + kLineEnd + kLineEnd;
  Absorb(last, AppendLines(rapport.W_BasesMaj, text));
  text += kLineEnd;
  Absorb(last, AppendLines(rapport.W_BasesNonMaj, text));
  if (!rapport.notTaken.empty()) text += rapport.notTaken + kLineEnd;
  text += std::string(kLineEnd) + "Veuillez contacter MERIDOXAN.";
  return last;
}

ErrorNumber ShowSummary(Operator& op, const Rapport& rapport, RunLog* log) {
  std::string text;
  // A list that cannot be read leaves its lines out; the box is shown all the same.
  Unheeded(SummaryText(rapport, text));
  if (log) log->Line("Box: ", text);
  const BoxIcon icon = AllUpgraded(rapport) ? BoxIcon::Information : BoxIcon::Critical;
  return op.MsgBox(text, icon, kMessageTitle);
}

}  // namespace maj
