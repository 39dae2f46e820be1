// The marker file \\127.0.0.1\UNIDATA\MERIDOXAN\VERSION.txt, ensured and
// rewritten at the normal end of every run.
#pragma once

#include <string>

#include "platform/FileQueries.h"
#include "platform/FileWrites.h"
#include "platform/System.h"
#include "state/RunState.h"

namespace maj {

inline constexpr const char* kVersionFolder = R"(\\127.0.0.1\UNIDATA\MERIDOXAN)";
inline constexpr const char* kVersionFilePath = R"(\\127.0.0.1\UNIDATA\MERIDOXAN\VERSION.txt)";

// True when an entry of that name exists already (folder or file); false when
// it did not and the folder was created. Ends at the first failure.
[[nodiscard]] ErrorNumber ControleRepertoire(FileQueries& files, FileWrites& writes,
                                             const std::string& folder, Boolean& existed);

// True when the file could be opened for reading; otherwise creates it empty
// when it is missing and answers false. Its failures stay inside.
Boolean ControleFichier(FileQueries& files, FileWrites& writes, System& system,
                        const std::string& file);

// Ensures the folder and the file, then rewrites the file as an empty line
// followed by the lines it held. The file is left untouched when anything fails.
[[nodiscard]] ErrorNumber VersionFileStep(FileQueries& files, FileWrites& writes, System& system);

}  // namespace maj
