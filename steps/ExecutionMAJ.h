// The server-side upgrade of a base and its verification.
#pragma once

#include <string>

#include "contract/Dba.h"
#include "platform/System.h"
#include "state/RunState.h"

namespace maj {

inline constexpr const char* kVersion = "712";
inline constexpr const char* kVersionFile = "INSTALLMAJ";

// The upgrade command line for the server.
std::string UpgradeCommand(const std::string& appPath, const std::string& drive,
                           const std::string& basePath);

// Sends the upgrade command "LANCEMAJCD ..." for the open base and keeps the
// server's answer in W_Reponse. Ends at the first failure.
[[nodiscard]] ErrorNumber ExecutionMAJ(RunState& state, System& system, DbaFactory& dba);

// Sets `majOk` (G_MajOk): True only when the open base's file "INSTALLMAJ"
// holds the record of `version` (G_Version). Returns the first failure, the
// read's own included.
[[nodiscard]] ErrorNumber GestionMAJ(Database* database, const std::string& version,
                                     Boolean& majOk);

}  // namespace maj
