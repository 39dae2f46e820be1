#include "standin/Server.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <system_error>
#include <thread>

#include "standin/Commands.h"
#include "standin/DynArray.h"
#include "standin/IniText.h"
#include "standin/StandIn.h"
#include "standin/Text.h"

namespace standin {

namespace fs = std::filesystem;

namespace {

constexpr const char* kInstallFile = "INSTALLMAJ";
constexpr const char* kVersionKey = "712";

std::string Masked(const std::string& password) {
  return password.empty() ? "\"\"" : "\"***\"";
}

std::string ClientCall(const Session& session, const std::string& call) {
  return "client " + std::to_string(session.client) + ": " + call;
}

std::string BaseCall(const std::string& base, const std::string& call) {
  return "base " + base + ": " + call;
}

using Clock = std::chrono::steady_clock;

// When the call being served on this thread began: a call's journal line is
// written at its end, from wherever it ends.
thread_local Clock::time_point t_callBegan;

void BeginCall() {
  t_callBegan = Clock::now();
}

// " [at=S.SSSSSSs took=M.MMMms]": the call's start in seconds since the
// server was loaded, and its length up to now.
std::string Timing(Clock::time_point loaded) {
  using Seconds = std::chrono::duration<double>;
  using Milliseconds = std::chrono::duration<double, std::milli>;
  char text[64];
  std::snprintf(text, sizeof text, " [at=%.6fs took=%.3fms]", Seconds(t_callBegan - loaded).count(),
                Milliseconds(Clock::now() - t_callBegan).count());
  return text;
}

bool RefusedFor(const Refusal& refusal, const std::string& user) {
  if (refusal.users.empty()) return true;
  for (const std::string& name : refusal.users) {
    if (EqualNoCase(name, user)) return true;
  }
  return false;
}

}  // namespace

Server::Server(Key, fs::path dataFolder, PathMapper mapper, Settings settings,
               std::map<std::string, BaseStore> stores)
    : dataFolder_(std::move(dataFolder)),
      mapper_(std::move(mapper)),
      settings_(std::move(settings)),
      stores_(std::move(stores)) {
  for (const FaultRule& rule : settings_.faults) faults_.push_back({rule, 0});
}

std::vector<std::string> Server::Journal() const {
  std::lock_guard lock(mutex_);
  return journal_;
}

Server::Injection Server::Inject(Operation operation, const std::string* base) {
  Injection injection;
  {
    std::lock_guard lock(mutex_);
    for (ActiveFault& fault : faults_) {
      const FaultRule& rule = fault.rule;
      if (rule.operation != operation) continue;
      if (rule.base && (!base || !EqualNoCase(*rule.base, *base))) continue;
      if (rule.times && fault.used >= *rule.times) continue;
      if (rule.kind == FaultKind::Delay) {
        injection.delayMilliseconds += rule.delayMilliseconds;
      } else if (!injection.hit) {
        injection.hit = true;
        injection.rule = rule;
      } else {
        continue;  // only the first error or empty answer applies
      }
      ++fault.used;
    }
  }
  if (injection.delayMilliseconds > 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(injection.delayMilliseconds));
    injection.notes.push_back("delayed " + std::to_string(injection.delayMilliseconds) + " ms");
  }
  if (injection.hit) {
    injection.notes.push_back(
        injection.rule.kind == FaultKind::EmptyAnswer ? "injected empty answer" : "injected");
  }
  return injection;
}

ErrorNumber Server::Log(const std::string& call, ErrorNumber result, const std::string& outcome,
                        const std::vector<std::string>& notes) {
  std::string line = call + " -> " + Hex(result) + outcome;
  for (std::size_t i = 0; i < notes.size(); ++i) line += (i == 0 ? " -- " : ", ") + notes[i];
  if (settings_.timing) line += Timing(loaded_);
  if (settings_.census && census_) line += " [" + census_() + "]";
  journal_.push_back(line);
  // The journal on disk is a convenience: a call never fails because of it.
  std::ofstream out(dataFolder_ / kJournalFile, std::ios::binary | std::ios::app);
  out << line << '\n';
  return result;
}

bool Server::Stopped(const Session& session, const std::string& call, Injection& injection,
                     ErrorNumber& result) {
  if (injection.hit) {
    result = Log(call, injection.rule.number, "", injection.notes);
    return true;
  }
  if (!session.connected) {
    injection.notes.push_back("not connected");
    result = Log(call, settings_.notConnected, "", injection.notes);
    return true;
  }
  return false;
}

ErrorNumber Server::CreateClient(std::shared_ptr<Session>& session) {
  BeginCall();
  Injection injection = Inject(Operation::Create, nullptr);
  std::lock_guard lock(mutex_);
  auto created = std::make_shared<Session>();
  created->client = ++clients_;
  const std::string call = ClientCall(*created, "Create()");
  if (injection.hit) return Log(call, injection.rule.number, "", injection.notes);
  session = std::move(created);
  return Log(call, maj::kOk, "", injection.notes);
}

ErrorNumber Server::Connect(Session& session, const std::string& user, const std::string& password,
                            const std::string& third, std::int16_t& result) {
  BeginCall();
  Injection injection = Inject(Operation::Connect, nullptr);
  std::lock_guard lock(mutex_);
  const std::string call =
      ClientCall(session, "Connect(user=" + Quote(user) + ", password=" + Masked(password) +
                              ", third=" + Quote(third) + ")");
  std::vector<std::string>& notes = injection.notes;
  if (injection.hit) return Log(call, injection.rule.number, "", notes);
  const User* known = settings_.FindUser(user);
  if (!known || known->password != password) {
    session.connected = false;
    notes.push_back(known ? "wrong password" : "unknown user");
    return Log(call, kLoginRefused, "", notes);
  }
  session.connected = true;
  session.user = known->name;
  result = -1;  // True
  return Log(call, maj::kOk, "", notes);
}

ErrorNumber Server::Disconnect(Session& session) {
  BeginCall();
  Injection injection = Inject(Operation::Disconnect, nullptr);
  std::lock_guard lock(mutex_);
  const std::string call = ClientCall(session, "Disconnect()");
  if (injection.hit) return Log(call, injection.rule.number, "", injection.notes);
  if (!session.connected) injection.notes.push_back("was not connected");
  session.connected = false;
  return Log(call, maj::kOk, "", injection.notes);
}

ErrorNumber Server::OpenDatabase(Session& session, const std::string& name,
                                 const std::string& entry, std::string& base) {
  BeginCall();
  Injection injection = Inject(Operation::OpenDatabase, &entry);
  std::lock_guard lock(mutex_);
  const std::string call =
      ClientCall(session, "OpenDatabase(name=" + Quote(name) + ", entry=" + Quote(entry) + ")");
  std::vector<std::string>& notes = injection.notes;
  if (ErrorNumber stopped = 0; Stopped(session, call, injection, stopped)) return stopped;
  if (!EqualNoCase(name, settings_.databaseName)) {
    notes.push_back("unknown database name");
    return Log(call, kNoSuchBase, "", notes);
  }
  const BaseSettings* found = settings_.FindBase(entry);
  if (!found) {
    notes.push_back("unknown base entry");
    return Log(call, kNoSuchBase, "", notes);
  }
  for (const Refusal& refusal : found->refusals) {
    if (RefusedFor(refusal, session.user)) {
      notes.push_back("refused to " + session.user);
      return Log(call, refusal.number, "", notes);
    }
  }
  base = found->entry;
  return Log(call, maj::kOk, "", notes);
}

ErrorNumber Server::OpenFile(Session& session, const std::string& base, const std::string& name,
                             std::string& file) {
  BeginCall();
  Injection injection = Inject(Operation::OpenFile, &base);
  std::lock_guard lock(mutex_);
  const std::string call = BaseCall(base, "OpenFile(name=" + Quote(name) + ")");
  std::vector<std::string>& notes = injection.notes;
  if (ErrorNumber stopped = 0; Stopped(session, call, injection, stopped)) return stopped;
  const DbFile* found = stores_.at(base).Find(name);
  if (!found) {
    notes.push_back("no such file");
    return Log(call, kNoSuchFile, "", notes);
  }
  file = found->name;
  return Log(call, maj::kOk, "", notes);
}

ErrorNumber Server::Execute(Session& session, const std::string& base, const std::string& command,
                            const std::string& argument, std::int32_t& status,
                            std::shared_ptr<maj::DynArray>& answer) {
  BeginCall();
  const std::vector<std::string> fields = SplitFields(command);
  const std::string call = BaseCall(
      base, "Execute(command=" + QuoteList(fields) + ", argument=" + Quote(argument) + ")");
  Injection outer = Inject(Operation::Execute, &base);
  Operation operation = Operation::Qui;
  {
    std::lock_guard lock(mutex_);
    std::vector<std::string>& notes = outer.notes;
    if (ErrorNumber stopped = 0; Stopped(session, call, outer, stopped)) return stopped;
    if (fields.size() != 2 || fields[0] != "P") {
      notes.push_back("expected two fields: \"P\" and the command line");
      return Log(call, kBadCommandForm, "", notes);
    }
    const std::string word = fields[1].substr(0, fields[1].find(' '));
    if (word == "LANCEMAJCD") {
      operation = Operation::LanceMajCd;
    } else if (word != "QUI") {
      notes.push_back("unknown command " + Quote(word));
      return Log(call, kUnknownCommand, "", notes);
    }
  }
  Injection inner = Inject(operation, &base);
  std::lock_guard lock(mutex_);
  std::vector<std::string> notes = outer.notes;
  notes.insert(notes.end(), inner.notes.begin(), inner.notes.end());
  std::vector<std::string> reply;
  if (inner.hit && inner.rule.kind == FaultKind::Error) {
    return Log(call, inner.rule.number, "", notes);
  }
  const std::string& line = fields[1];
  if (operation == Operation::Qui) {
    if (line != "QUI") {
      notes.push_back("QUI takes no words");
      return Log(call, kBadCommandWords, "", notes);
    }
    if (!inner.hit) reply.push_back(settings_.FindBase(base)->directory);
  } else {
    std::string reason;
    const ErrorNumber result =
        Upgrade(base, line.substr(std::string_view("LANCEMAJCD").size()), reason);
    if (result != maj::kOk) {
      notes.push_back(reason);
      return Log(call, result, "", notes);
    }
    reply.push_back("OK");
  }
  status = 0;
  answer = std::make_shared<DynArray>(reply);
  return Log(call, maj::kOk, " answer=" + QuoteList(reply), notes);
}

// LANCEMAJCD: `arguments` is what follows the command word.
ErrorNumber Server::Upgrade(const std::string& base, const std::string& arguments,
                            std::string& reason) {
  UpgradeWords words;
  if (!arguments.starts_with(' ') || !ParseUpgradeWords(arguments.substr(1), words)) {
    reason = "expected LANCEMAJCD <appdir> <drive> VIDE <basedir>";
    return kBadCommandWords;
  }
  const std::string packageName = words.appDirectory + "\\" + kInstallFile;
  const std::string targetName = words.baseDirectory + "\\" + kInstallFile;
  const ErrorNumber checked =
      CheckPackage(mapper_(packageName), packageName, mapper_(targetName), targetName, reason);
  if (checked != maj::kOk) return checked;
  DbFile* file = stores_.at(base).Find(kInstallFile);
  if (!file) {
    reason = std::string("the base has no ") + kInstallFile + " file";
    return kNoSuchFile;
  }
  if (!BaseStore::Append(*file, kVersionKey, {words.appDirectory, words.drive, words.baseDirectory},
                         reason)) {
    return kStoreWriteFailed;
  }
  return maj::kOk;
}

ErrorNumber Server::Read(Session& session, const std::string& base, const std::string& file,
                         const std::string& key, std::shared_ptr<maj::DynArray>& record) {
  BeginCall();
  Injection injection = Inject(Operation::Read, &base);
  std::lock_guard lock(mutex_);
  const std::string call = BaseCall(base, "Read(file=" + Quote(file) + ", key=" + Quote(key) + ")");
  std::vector<std::string>& notes = injection.notes;
  if (ErrorNumber stopped = 0; Stopped(session, call, injection, stopped)) return stopped;
  const DbFile* found = stores_.at(base).Find(file);
  if (!found) {
    notes.push_back("no such file");
    return Log(call, kNoSuchFile, "", notes);
  }
  const auto entry = found->records.find(key);
  if (entry == found->records.end()) return Log(call, maj::kDbaKeyNotFound, "", notes);
  record = std::make_shared<DynArray>(entry->second);
  return Log(call, maj::kOk, " record=" + QuoteList(entry->second), notes);
}

std::shared_ptr<Server> OpenServer(const fs::path& dataFolder, PathMapper mapper,
                                   std::string& error) {
  try {
    std::error_code failure;
    if (!fs::is_directory(dataFolder, failure)) {
      error = Utf8FromPath(dataFolder) + ": the data folder does not exist";
      return nullptr;
    }
    if (!mapper) {
      error = "no path mapper given";
      return nullptr;
    }
    const fs::path settingsFile = dataFolder / Server::kSettingsFile;
    std::string text;
    Settings settings;
    if (!ReadWholeFile(settingsFile, text, error) ||
        !ParseSettings(text, Utf8FromPath(settingsFile), settings, error)) {
      return nullptr;
    }
    std::map<std::string, BaseStore> stores;
    for (const BaseSettings& base : settings.bases) {
      if (!BaseStore::Load(dataFolder / Server::kBasesFolder / PathFromUtf8(base.store),
                           stores[base.entry], error)) {
        return nullptr;
      }
    }
    return std::make_shared<Server>(Server::Key{}, dataFolder, std::move(mapper),
                                    std::move(settings), std::move(stores));
  } catch (const std::exception& failure) {
    error = Utf8FromPath(dataFolder) + ": " + failure.what();
    return nullptr;
  }
}

}  // namespace standin
