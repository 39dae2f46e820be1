#include "app/CommandLine.h"

#include "app/Rapport.h"
#include "platform/Text.h"

namespace maj {
namespace {

// Letter case of ASCII letters only: the switches are plain ASCII.
std::string AsciiUpper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

std::string Joined(const std::vector<std::string>& arguments) {
  std::string all;
  for (const std::string& argument : arguments) all += (all.empty() ? "" : " ") + argument;
  return all;
}

}  // namespace

RunMode ReadCommandLine(const std::vector<std::string>& arguments) {
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

ExitCode ShowUsage(Platform& platform, RunMode mode, const std::vector<std::string>& arguments) {
  if (mode == RunMode::Usage) {
    // The box is all there is to do: its answer changes nothing.
    Unheeded(platform.MsgBox(UsageText(), BoxIcon::Information, kMessageTitle));
    return ExitCode::Success;
  }
  Unheeded(platform.MsgBox(
      "Paramètre inconnu : " + Joined(arguments) + kLineEnd + kLineEnd + UsageText(),
      BoxIcon::Critical, kMessageTitle));
  return ExitCode::CommandLine;
}

}  // namespace maj
