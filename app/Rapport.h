// The outcome of each base, recorded during the run and shown in one summary
// box at its normal end.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "contract/Dba.h"
#include "platform/Operator.h"
#include "state/RunState.h"
#include "steps/Recup_Base.h"

namespace maj {

inline constexpr const char* kMessageTitle = "Message MERIDOXAN";

struct Rapport {
  std::shared_ptr<DynArray> W_BasesMaj;     // success lines, at the base's number
  std::shared_ptr<DynArray> W_BasesNonMaj;  // failure lines, packed from 1
  Boolean W_Erreur = False;
  // The bases of the list the run did not take, when there are any: one more
  // line of the summary, which then takes the error form.
  std::string notTaken;
};

// The line naming the bases of the list the run does not take; "" when it
// takes them all.
std::string NotTakenLine(ListState list, const BaseList& bases, const ListTail& tail);

// Records the line of base `counter` after its verification, from G_MajOk.
[[nodiscard]] ErrorNumber RecordOutcome(Boolean majOk, Rapport& rapport, std::int16_t counter,
                                        const std::string& entry);

// The summary text: the success form, or the error form when a failure was
// recorded. A line that cannot be read is left out; the last such failure is
// returned.
[[nodiscard]] ErrorNumber SummaryText(const Rapport& rapport, std::string& text);

// Shows the summary box: information icon for success, critical icon otherwise.
[[nodiscard]] ErrorNumber ShowSummary(Operator& op, const Rapport& rapport, RunLog* log = nullptr);

}  // namespace maj
