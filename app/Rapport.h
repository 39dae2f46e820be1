// The outcome of each base, recorded during the run and shown in one summary
// box at its normal end.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/RunState.h"
#include "connection/Dba.h"
#include "platform/Platform.h"

namespace maj {

inline constexpr const char* kMessageTitle = "Message MERIDOXAN";

struct Rapport {
  std::shared_ptr<DynArray> W_BasesMaj;     // success lines, at the base's number
  std::shared_ptr<DynArray> W_BasesNonMaj;  // failure lines, packed from 1
  Boolean W_Erreur = False;
};

// Records the line of base `counter` after its verification, from G_MajOk.
void RecordOutcome(RunState& state, Rapport& rapport, std::int16_t counter,
                   const std::string& entry);

// The summary text: the success form, or the error form when a failure was recorded.
std::string SummaryText(RunState& state, const Rapport& rapport);

// Shows the summary box: information icon for success, critical icon otherwise.
void ShowSummary(RunState& state, Platform& platform, const Rapport& rapport);

}  // namespace maj
