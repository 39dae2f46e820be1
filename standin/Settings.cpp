#include "standin/Settings.h"

#include <array>

#include "standin/IniText.h"
#include "standin/Text.h"

namespace standin {

namespace {

struct NamedOperation {
  Operation operation;
  std::string_view name;
};
constexpr std::array<NamedOperation, 9> kOperations = {{
    {Operation::Create, "Create"},
    {Operation::Connect, "Connect"},
    {Operation::Disconnect, "Disconnect"},
    {Operation::OpenDatabase, "OpenDatabase"},
    {Operation::OpenFile, "OpenFile"},
    {Operation::Execute, "Execute"},
    {Operation::Read, "Read"},
    {Operation::Qui, "QUI"},
    {Operation::LanceMajCd, "LANCEMAJCD"},
}};

constexpr unsigned kMaxDelayMilliseconds = 600000;

bool HasBase(Operation operation) {
  return operation != Operation::Create && operation != Operation::Connect &&
         operation != Operation::Disconnect;
}

bool ParseFailureNumber(std::string_view text, ErrorNumber& number) {
  unsigned long long value = 0;
  if (!ParseNumber(text, value) || value < 0x80000000ULL || value > 0xFFFFFFFFULL) return false;
  number = static_cast<ErrorNumber>(value);
  return true;
}

const char* const kBadNumber =
    "expected an error number from 0x80000000 to 0xFFFFFFFF (a failure HRESULT), found ";

// A section as it is being read, with the line numbers its checks report.
struct PendingBase {
  BaseSettings base;
  int line = 0;
  bool hasStore = false;
  std::vector<int> refusalLines;
};

struct PendingFault {
  FaultRule rule;
  int line = 0;
  int baseLine = 0;
  bool hasCall = false;
  int kinds = 0;
  std::vector<std::string> keys;  // keys already given, to refuse repeats
};

enum class Section { None, Server, Users, Base, Fault };

class Parser {
 public:
  Parser(const std::string& file, std::string& error) : file_(file), error_(error) {}

  bool Run(std::string_view text, Settings& settings) {
    std::vector<IniLine> lines;
    if (!ParseIniText(text, file_, lines, error_)) return false;
    for (const IniLine& line : lines) {
      if (!(line.section ? StartSection(line) : Entry(line))) return false;
    }
    if (!EndSection() || !CheckReferences()) return false;
    for (PendingBase& base : bases_) settings_.bases.push_back(std::move(base.base));
    for (PendingFault& fault : faults_) settings_.faults.push_back(std::move(fault.rule));
    settings = std::move(settings_);
    return true;
  }

 private:
  bool Fail(int line, std::string_view message) {
    error_ = Located(file_, line, message);
    return false;
  }

  bool StartSection(const IniLine& line) {
    if (!EndSection()) return false;
    seenKeys_.clear();
    const std::string title = FoldCase(line.key);
    if (title == "server") {
      section_ = Section::Server;
    } else if (title == "users") {
      section_ = Section::Users;
    } else if (title == "fault") {
      section_ = Section::Fault;
      faults_.emplace_back();
      faults_.back().line = line.number;
    } else if (title == "base") {
      return Fail(line.number, "[base] needs an entry name: [base ENTRY]");
    } else if (title.starts_with("base ") || title.starts_with("base\t")) {
      section_ = Section::Base;
      PendingBase base;
      base.base.entry = Trim(std::string_view(line.key).substr(5));
      base.line = line.number;
      for (const PendingBase& other : bases_) {
        if (EqualNoCase(other.base.entry, base.base.entry)) {
          return Fail(line.number, "base \"" + base.base.entry + "\" is already given on line " +
                                       std::to_string(other.line));
        }
      }
      bases_.push_back(std::move(base));
    } else {
      return Fail(line.number, "unknown section [" + line.key +
                                   "] (expected [server], [users], [base ENTRY] or [fault])");
    }
    return true;
  }

  // Refuses a key given twice in one section (refuse may repeat).
  bool Once(const IniLine& line) {
    const std::string key = FoldCase(line.key);
    for (const std::string& seen : seenKeys_) {
      if (seen == key) return Fail(line.number, "\"" + line.key + "\" is given twice");
    }
    seenKeys_.push_back(key);
    return true;
  }

  bool Entry(const IniLine& line) {
    switch (section_) {
      case Section::None:
        return Fail(line.number, "\"" + line.key + "\" comes before any [section]");
      case Section::Server:
        return ServerEntry(line);
      case Section::Users:
        return UserEntry(line);
      case Section::Base:
        return BaseEntry(line, bases_.back());
      case Section::Fault:
        return FaultEntry(line, faults_.back());
    }
    return false;
  }

  bool ServerEntry(const IniLine& line) {
    if (!Once(line)) return false;
    const std::string key = FoldCase(line.key);
    if (key == "database") {
      if (line.value.empty()) return Fail(line.number, "the database name is empty");
      settings_.databaseName = line.value;
    } else if (key == "not-connected") {
      if (!ParseFailureNumber(line.value, settings_.notConnected)) {
        return Fail(line.number, kBadNumber + Quote(line.value));
      }
    } else if (key == "timing") {
      return Switch(line, settings_.timing);
    } else if (key == "census") {
      return Switch(line, settings_.census);
    } else {
      return Fail(line.number, "unknown key \"" + line.key +
                                   "\" in [server] (database, not-connected, timing, census)");
    }
    return true;
  }

  bool Switch(const IniLine& line, bool& value) {
    const std::string word = FoldCase(line.value);
    if (word != "on" && word != "off") {
      return Fail(line.number, "expected on or off, found " + Quote(line.value));
    }
    value = word == "on";
    return true;
  }

  bool UserEntry(const IniLine& line) {
    if (settings_.FindUser(line.key)) {
      return Fail(line.number, "user \"" + line.key + "\" is given twice");
    }
    settings_.users.push_back({line.key, line.value});
    return true;
  }

  bool BaseEntry(const IniLine& line, PendingBase& base) {
    const std::string key = FoldCase(line.key);
    if (key == "refuse") return Refuse(line, base);
    if (!Once(line)) return false;
    if (key == "directory") {
      if (line.value.empty()) return Fail(line.number, "the base directory is empty");
      base.base.directory = line.value;
    } else if (key == "store") {
      if (!IsPlainFileName(line.value)) {
        return Fail(line.number,
                    "store " + Quote(line.value) +
                        " is not a plain folder name (letters, digits, blanks, . _ -)");
      }
      base.base.store = line.value;
      base.hasStore = true;
    } else {
      return Fail(line.number, "unknown key \"" + line.key + "\" in [base " + base.base.entry +
                                   "] (directory, store, refuse)");
    }
    return true;
  }

  // refuse = NUMBER [for USER, USER...]
  bool Refuse(const IniLine& line, PendingBase& base) {
    const std::string_view value = line.value;
    const auto blank = value.find_first_of(" \t");
    Refusal refusal;
    if (!ParseFailureNumber(value.substr(0, blank), refusal.number)) {
      return Fail(line.number, kBadNumber + Quote(value.substr(0, blank)));
    }
    if (blank != std::string_view::npos) {
      const std::string_view rest = Trim(value.substr(blank));
      if (!(FoldCase(rest.substr(0, 4)) == "for " || FoldCase(rest.substr(0, 4)) == "for\t")) {
        return Fail(line.number,
                    "expected \"for USER, USER...\" after the number, found " + Quote(rest));
      }
      for (const std::string& user : Split(rest.substr(4), ',')) {
        const std::string_view name = Trim(user);
        if (name.empty()) return Fail(line.number, "empty user name in the refuse list");
        refusal.users.emplace_back(name);
      }
    }
    base.base.refusals.push_back(std::move(refusal));
    base.refusalLines.push_back(line.number);
    return true;
  }

  bool FaultEntry(const IniLine& line, PendingFault& fault) {
    if (!Once(line)) return false;
    const std::string key = FoldCase(line.key);
    FaultRule& rule = fault.rule;
    if (key == "call") {
      bool known = false;
      for (const NamedOperation& named : kOperations) {
        if (EqualNoCase(line.value, named.name)) {
          rule.operation = named.operation;
          known = true;
        }
      }
      if (!known) {
        return Fail(line.number, "unknown call " + Quote(line.value) +
                                     " (Create, Connect, Disconnect, OpenDatabase, OpenFile, "
                                     "Execute, Read, QUI, LANCEMAJCD)");
      }
      fault.hasCall = true;
    } else if (key == "base") {
      rule.base = line.value;
      fault.baseLine = line.number;
    } else if (key == "error") {
      if (!ParseFailureNumber(line.value, rule.number)) {
        return Fail(line.number, kBadNumber + Quote(line.value));
      }
      rule.kind = FaultKind::Error;
      ++fault.kinds;
    } else if (key == "delay") {
      unsigned long long value = 0;
      if (!ParseNumber(line.value, value) || value > kMaxDelayMilliseconds) {
        return Fail(line.number, "expected a delay in milliseconds from 0 to 600000, found " +
                                     Quote(line.value));
      }
      rule.delayMilliseconds = static_cast<unsigned>(value);
      rule.kind = FaultKind::Delay;
      ++fault.kinds;
    } else if (key == "answer") {
      if (!EqualNoCase(line.value, "empty")) {
        return Fail(line.number,
                    "the only answer a fault can give is \"empty\", found " + Quote(line.value));
      }
      rule.kind = FaultKind::EmptyAnswer;
      ++fault.kinds;
    } else if (key == "times") {
      unsigned long long value = 0;
      if (!ParseNumber(line.value, value) || value < 1 || value > 1000000000ULL) {
        return Fail(line.number,
                    "expected a number of calls from 1 up, found " + Quote(line.value));
      }
      rule.times = static_cast<unsigned long>(value);
    } else {
      return Fail(line.number, "unknown key \"" + line.key +
                                   "\" in [fault] (call, base, error, delay, answer, times)");
    }
    return true;
  }

  bool EndSection() {
    if (section_ == Section::Base) {
      PendingBase& base = bases_.back();
      if (base.base.directory.empty()) {
        return Fail(base.line, "[base " + base.base.entry + "] has no directory = line");
      }
      if (!base.hasStore) {
        if (!IsPlainFileName(base.base.entry)) {
          return Fail(base.line, "[base " + base.base.entry +
                                     "]: the entry is not a plain folder name; give store = NAME");
        }
        base.base.store = base.base.entry;
      }
      for (const PendingBase& other : bases_) {
        if (&other != &base && EqualNoCase(other.base.store, base.base.store)) {
          return Fail(base.line, "[base " + base.base.entry + "] uses the store \"" +
                                     base.base.store + "\" of line " + std::to_string(other.line));
        }
      }
    } else if (section_ == Section::Fault) {
      const PendingFault& fault = faults_.back();
      if (!fault.hasCall) return Fail(fault.line, "[fault] has no call = line");
      if (fault.kinds != 1) {
        return Fail(fault.line, "[fault] needs exactly one of error =, delay =, answer = empty");
      }
      if (fault.rule.kind == FaultKind::EmptyAnswer && fault.rule.operation != Operation::Qui) {
        return Fail(fault.line, "answer = empty is only for call = QUI");
      }
      if (fault.rule.base && !HasBase(fault.rule.operation)) {
        return Fail(fault.baseLine, std::string("call = ") +
                                        std::string(OperationName(fault.rule.operation)) +
                                        " concerns no base; remove base =");
      }
    }
    section_ = Section::None;
    return true;
  }

  // Names that must refer to something declared elsewhere in the file.
  bool CheckReferences() {
    for (const PendingBase& base : bases_) {
      for (std::size_t i = 0; i < base.base.refusals.size(); ++i) {
        for (const std::string& user : base.base.refusals[i].users) {
          if (!settings_.FindUser(user)) {
            return Fail(base.refusalLines[i], "user \"" + user + "\" is not in [users]");
          }
        }
      }
    }
    for (PendingFault& fault : faults_) {
      if (!fault.rule.base) continue;
      bool known = false;
      for (const PendingBase& base : bases_) {
        if (EqualNoCase(base.base.entry, *fault.rule.base)) {
          fault.rule.base = base.base.entry;
          known = true;
        }
      }
      if (!known) {
        return Fail(fault.baseLine, "base \"" + *fault.rule.base + "\" has no [base] section");
      }
    }
    return true;
  }

  const std::string& file_;
  std::string& error_;
  Settings settings_;
  Section section_ = Section::None;
  std::vector<std::string> seenKeys_;
  std::vector<PendingBase> bases_;
  std::vector<PendingFault> faults_;
};

}  // namespace

std::string_view OperationName(Operation operation) {
  for (const NamedOperation& named : kOperations) {
    if (named.operation == operation) return named.name;
  }
  return "?";
}

const User* Settings::FindUser(std::string_view name) const {
  for (const User& user : users) {
    if (EqualNoCase(user.name, name)) return &user;
  }
  return nullptr;
}

const BaseSettings* Settings::FindBase(std::string_view entry) const {
  for (const BaseSettings& base : bases) {
    if (EqualNoCase(base.entry, entry)) return &base;
  }
  return nullptr;
}

bool ParseSettings(std::string_view text, const std::string& file, Settings& settings,
                   std::string& error) {
  return Parser(file, error).Run(text, settings);
}

bool IsPlainFileName(std::string_view name) {
  if (name.empty() || name.size() > 100) return false;
  if (name.front() == ' ' || name.front() == '.' || name.back() == ' ' || name.back() == '.') {
    return false;
  }
  for (const char ch : name) {
    const auto c = static_cast<unsigned char>(ch);
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == ' ' || c == '.' || c == '_' || c == '-' ||
                       c >= 0x80;  // letters of UTF-8 texts
    if (!plain) return false;
  }
  // The device names Windows reserves, with or without an extension.
  const std::string stem = FoldCase(name.substr(0, name.find('.')));
  for (const char* device : {"con", "prn", "aux", "nul"}) {
    if (stem == device) return false;
  }
  if (stem.size() == 4 && (stem.starts_with("com") || stem.starts_with("lpt")) && stem[3] >= '1' &&
      stem[3] <= '9') {
    return false;
  }
  return true;
}

}  // namespace standin
