// The settings of the simulated server, read from the data folder's
// settings.txt (format in standin/README.md).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Errors.h"
#include "standin/StandInErrors.h"

namespace standin {

// The calls a fault can aim at; QUI and LANCEMAJCD are the two commands of Execute.
enum class Operation {
  Create,
  Connect,
  Disconnect,
  OpenDatabase,
  OpenFile,
  Execute,
  Read,
  Qui,
  LanceMajCd
};
std::string_view OperationName(Operation operation);

struct User {
  std::string name;  // compared without regard to case
  std::string password;
};

// OpenDatabase of the base answers `number`; for the listed users only, or for
// everyone when the list is empty.
struct Refusal {
  ErrorNumber number = 0;
  std::vector<std::string> users;
};

struct BaseSettings {
  std::string entry;      // the base entry, as OpenDatabase receives it
  std::string directory;  // the base directory, a Windows path (the answer to QUI)
  std::string store;      // folder of its database files under bases/
  std::vector<Refusal> refusals;
};

enum class FaultKind { Error, EmptyAnswer, Delay };

struct FaultRule {
  Operation operation = Operation::Connect;
  std::optional<std::string> base;  // any base when absent
  FaultKind kind = FaultKind::Error;
  ErrorNumber number = 0;              // Error
  unsigned delayMilliseconds = 0;      // Delay
  std::optional<unsigned long> times;  // the first n calls; every call when absent
};

struct Settings {
  std::string databaseName = "MERIDOXAN";
  ErrorNumber notConnected = kDefaultNotConnected;
  // Journal lines end with when the call began and how long it took.
  bool timing = false;
  // Journal lines end with what the host's census reports (DBA.dll: its live
  // objects and the process's heap bytes in use).
  bool census = false;
  std::vector<User> users;
  std::vector<BaseSettings> bases;
  std::vector<FaultRule> faults;

  const User* FindUser(std::string_view name) const;
  const BaseSettings* FindBase(std::string_view entry) const;
};

// Parses the settings text; on any fault returns false and one error line
// "file:line: message". `file` is only used in messages.
bool ParseSettings(std::string_view text, const std::string& file, Settings& settings,
                   std::string& error);

// Whether `name` can be a folder name on every system: letters, digits,
// blanks and . _ - only, not starting or ending with a blank or a dot.
bool IsPlainFileName(std::string_view name);

}  // namespace standin
