#include "app/CommandLine.h"

#include <algorithm>

#include "app/Rapport.h"
#include "platform/Text.h"

namespace maj {
namespace {

constexpr const char* kSilent = "/SILENCIEUX";

// Letter case of ASCII letters only: the switches are plain ASCII.
std::string AsciiUpper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

}  // namespace

bool AsksForSilence(const std::vector<std::string>& arguments) {
  return std::any_of(arguments.begin(), arguments.end(),
                     [](const std::string& word) { return AsciiUpper(word) == kSilent; });
}

RunMode ReadCommandLine(std::vector<std::string> arguments) {
  // The switch of silence goes with the upgrade or the pre-check, once.
  const auto silence =
      std::find_if(arguments.begin(), arguments.end(),
                   [](const std::string& word) { return AsciiUpper(word) == kSilent; });
  if (silence != arguments.end()) {
    arguments.erase(silence);
    if (arguments.empty()) return RunMode::Upgrade;
    if (AsciiUpper(arguments.front()) == "/?") return RunMode::Unknown;
  }
  if (arguments.empty()) return RunMode::Upgrade;
  if (arguments.size() > 1) return RunMode::Unknown;
  const std::string word = AsciiUpper(arguments.front());
  if (word == "/VERIFIER") return RunMode::PreCheck;
  if (word == "/?") return RunMode::Usage;
  // A mistyped switch must not start an upgrade the operator did not ask for.
  return RunMode::Unknown;
}

std::string UsageText() {
  return std::string("MiseANiveau.exe : met à jour les bases de ") +
         R"(\\127.0.0.1\UNIDATA\BASES.TXT.)" + kLineEnd +
         "MiseANiveau.exe /VERIFIER : vérifie les bases sans rien modifier." + kLineEnd +
         "MiseANiveau.exe /? : affiche cette aide.";
}

std::string ArgumentsAsTyped(const std::string& commandLine) {
  // The program's name ends at its closing quote, or at the first blank when
  // it is not quoted; the system splits it so.
  std::size_t at = 0;
  if (commandLine.starts_with('"')) {
    at = commandLine.find('"', 1);
    at = at == std::string::npos ? commandLine.size() : at + 1;
  }
  at = commandLine.find_first_of(" \t", at);
  if (at == std::string::npos) return {};
  at = commandLine.find_first_not_of(" \t", at);
  return at == std::string::npos ? std::string() : commandLine.substr(at);
}

Ending ShowUsage(Operator& op, RunMode mode, const std::string& typed) {
  if (mode == RunMode::Usage) {
    // The box is all there is to do: its answer changes nothing.
    Unheeded(op.MsgBox(UsageText(), BoxIcon::Information, kMessageTitle));
    return Ending::Usage;
  }
  Unheeded(op.MsgBox("Paramètre inconnu : " + typed + kLineEnd + kLineEnd + UsageText(),
                     BoxIcon::Critical, kMessageTitle));
  return Ending::UnknownArgument;
}

}  // namespace maj
