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
// cannot be read adds nothing.
void AppendLines(RunState& state, const std::shared_ptr<DynArray>& list, std::string& text) {
  std::int16_t count = 0;
  if (Failed(state.Err, Count16(list, count))) return;
  for (int p = 1; p <= count; ++p) {
    std::string line;
    if (!Failed(state.Err, list->GetField(static_cast<std::int16_t>(p), line))) {
      text += line + kLineEnd;
    }
  }
}

}  // namespace

void RecordOutcome(RunState& state, Rapport& rapport, std::int16_t counter,
                   const std::string& entry) {
  if (state.G_MajOk == True) {
    if (!rapport.W_BasesMaj) {
      state.Err = kErrObjectRequired;
      return;
    }
    Absorb(state.Err, rapport.W_BasesMaj->PutField(counter, "Base " + entry + " : mise à jour."));
    return;
  }
  std::int16_t count = 0;
  if (!Failed(state.Err, Count16(rapport.W_BasesNonMaj, count))) {
    if (count == std::numeric_limits<std::int16_t>::max()) {
      state.Err = kErrOverflow;
    } else {
      const std::int16_t position = count == 0 ? 1 : static_cast<std::int16_t>(count + 1);
      Absorb(state.Err,
             rapport.W_BasesNonMaj->PutField(position, "Base " + entry + " : non mise à jour."));
    }
  }
  rapport.W_Erreur = True;
}

std::string SummaryText(RunState& state, const Rapport& rapport) {
  std::string text;
  if (rapport.W_Erreur != True) {
    text = std::string("Mise à jour du serveur terminée avec succès.") + kLineEnd + kLineEnd;
    AppendLines(state, rapport.W_BasesMaj, text);
    return text;
  }
  text = std::string("La mise à jour du serveur contient des erreurs.") + kLineEnd + kLineEnd;
  AppendLines(state, rapport.W_BasesMaj, text);
  text += kLineEnd;
  AppendLines(state, rapport.W_BasesNonMaj, text);
  text += std::string(kLineEnd) + "Veuillez contacter MERIDOXAN.";
  return text;
}

void ShowSummary(RunState& state, Platform& platform, const Rapport& rapport) {
  const int style = rapport.W_Erreur == True ? kMsgBoxCritical : kMsgBoxInformation;
  Absorb(state.Err, platform.MsgBox(SummaryText(state, rapport), style, kMessageTitle));
}

}  // namespace maj
