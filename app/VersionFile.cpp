#include "app/VersionFile.h"

#include <cstdint>

#include "platform/Text.h"
#include "platform/TextInput.h"

namespace maj {
namespace {

// Every line of the file, each behind a line end. Ends at a failing read.
ErrorNumber GatherLines(FileQueries& files, TextInput& file, std::string& gathered) {
  std::uint64_t length = 0;
  if (const ErrorNumber err = files.FileLength(kVersionFilePath, length)) return err;
  if (length == 0) return kOk;
  bool atEnd = false;
  do {
    std::string line;
    if (const ErrorNumber err = file.LineInput(line)) return err;
    gathered += kLineEnd + line;
    if (const ErrorNumber err = file.Eof(atEnd)) return err;
  } while (!atEnd);
  return kOk;
}

}  // namespace

ErrorNumber ControleRepertoire(FileQueries& files, FileWrites& writes, const std::string& folder,
                               Boolean& existed) {
  bool found = false;
  if (const ErrorNumber err = files.FindEntry(folder, found)) return err;
  if (found) {
    existed = True;
    return kOk;
  }
  if (const ErrorNumber err = writes.CreateFolder(folder)) return err;
  existed = False;
  return kOk;
}

Boolean ControleFichier(FileQueries& files, FileWrites& writes, System& system,
                        const std::string& file) {
  {
    TextInput probe;
    if (probe.Open(files, system, file) == kOk) return True;
  }
  // Whether the file could be created shows at the next open, which reports it.
  Unheeded(writes.OpenForAppend(file));
  return False;
}

ErrorNumber VersionFileStep(FileQueries& files, FileWrites& writes, System& system) {
  Boolean existed = False;
  // A folder that cannot be made leaves the file missing: its open below fails.
  Unheeded(ControleRepertoire(files, writes, kVersionFolder, existed));
  ControleFichier(files, writes, system, kVersionFilePath);
  std::string gathered;
  {
    TextInput file;
    if (const ErrorNumber err = file.Open(files, system, kVersionFilePath)) return err;
    // Anything that failed since the file was ensured leaves it untouched.
    if (const ErrorNumber err = GatherLines(files, file, gathered)) return err;
  }
  return writes.RewriteFile(kVersionFilePath, system.ToAnsi(gathered + kLineEnd));
}

}  // namespace maj
