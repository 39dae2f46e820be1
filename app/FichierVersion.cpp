#include "app/FichierVersion.h"

#include <cstdint>

#include "platform/Text.h"
#include "platform/TextInput.h"

namespace maj {
namespace {

// Every line of the file, each behind a line end. Stops at a failing read.
std::string GatherLines(RunState& state, Platform& platform, TextInput& file) {
  std::string gathered;
  std::uint64_t length = 0;
  if (Failed(state.Err, platform.FileLength(kVersionFilePath, length)) || length == 0) {
    return gathered;
  }
  bool atEnd = false;
  do {
    std::string line;
    if (Failed(state.Err, file.LineInput(line))) break;
    gathered += kLineEnd + line;
  } while (!Failed(state.Err, file.Eof(atEnd)) && !atEnd);
  return gathered;
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

Boolean ControleFichier(RunState& state, Platform& platform, const std::string& file) {
  state.Err = kOk;
  {
    TextInput probe;
    Absorb(state.Err, probe.Open(platform, file));
  }
  if (state.Err == kOk) return True;
  Absorb(state.Err, platform.OpenForAppend(file));
  state.Err = kOk;
  return False;
}

void VersionFileStep(RunState& state, Platform& platform) {
  Boolean existed = False;
  Absorb(state.Err, ControleRepertoire(platform, kVersionFolder, existed));
  ControleFichier(state, platform, kVersionFilePath);
  std::string gathered;
  {
    TextInput file;
    if (!Failed(state.Err, file.Open(platform, kVersionFilePath))) {
      gathered = GatherLines(state, platform, file);
    }
  }
  if (state.Err != kOk) return;  // something failed since the file was ensured
  Absorb(state.Err, platform.RewriteFile(kVersionFilePath, platform.ToAnsi(gathered + kLineEnd)));
}

}  // namespace maj
