#include "app/VersionFile.h"

#include <cstdint>

#include "platform/Text.h"
#include "platform/TextInput.h"

namespace maj {
namespace {

// Every line of the file, each behind a line end. Ends at a failing read.
ErrorNumber GatherLines(Platform& platform, TextInput& file, std::string& gathered) {
  std::uint64_t length = 0;
  if (const ErrorNumber err = platform.FileLength(kVersionFilePath, length)) return err;
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

ErrorNumber ControleRepertoire(Platform& platform, const std::string& folder, Boolean& existed) {
  bool found = false;
  if (const ErrorNumber err = platform.FindEntry(folder, found)) return err;
  if (found) {
    existed = True;
    return kOk;
  }
  if (const ErrorNumber err = platform.CreateFolder(folder)) return err;
  existed = False;
  return kOk;
}

Boolean ControleFichier(Platform& platform, const std::string& file) {
  {
    TextInput probe;
    if (probe.Open(platform, file) == kOk) return True;
  }
  // Whether the file could be created shows at the next open, which reports it.
  Unheeded(platform.OpenForAppend(file));
  return False;
}

ErrorNumber VersionFileStep(Platform& platform) {
  Boolean existed = False;
  // A folder that cannot be made leaves the file missing: its open below fails.
  Unheeded(ControleRepertoire(platform, kVersionFolder, existed));
  ControleFichier(platform, kVersionFilePath);
  std::string gathered;
  {
    TextInput file;
    if (const ErrorNumber err = file.Open(platform, kVersionFilePath)) return err;
    // Anything that failed since the file was ensured leaves it untouched.
    if (const ErrorNumber err = GatherLines(platform, file, gathered)) return err;
  }
  return platform.RewriteFile(kVersionFilePath, platform.ToAnsi(gathered + kLineEnd));
}

}  // namespace maj
