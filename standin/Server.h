// The simulated database server: users, bases, their database files, the two
// server commands, injected faults and the journal of every call.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "contract/Dba.h"
#include "standin/Settings.h"
#include "standin/Store.h"

namespace standin {

using PathMapper = std::function<std::filesystem::path(const std::string& windowsPath)>;

// One client object's connection.
struct Session {
  int client = 0;  // the client's number in the journal, from 1
  bool connected = false;
  std::string user;  // as the settings spell it
};

class Server {
  struct Key {
    explicit Key() = default;
  };

 public:
  static constexpr const char* kSettingsFile = "settings.txt";
  static constexpr const char* kJournalFile = "journal.txt";
  static constexpr const char* kBasesFolder = "bases";

  Server(Key, std::filesystem::path dataFolder, PathMapper mapper, Settings settings,
         std::map<std::string, BaseStore> stores);
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  const std::filesystem::path& DataFolder() const { return dataFolder_; }
  // What the host reports on each journal line when the settings ask for a
  // census (a short text of its own, e.g. live objects and memory in use).
  // Set before the first call.
  void SetCensus(std::function<std::string()> census) { census_ = std::move(census); }
  // The journal lines this server wrote since it was loaded, oldest first.
  std::vector<std::string> Journal() const;

  // The calls of the component's objects. Each writes one journal line and
  // writes its out arguments only when it succeeds.
  [[nodiscard]] ErrorNumber CreateClient(std::shared_ptr<Session>& session);
  [[nodiscard]] ErrorNumber Connect(Session& session, const std::string& user,
                                    const std::string& password, const std::string& third,
                                    std::int16_t& result);
  [[nodiscard]] ErrorNumber Disconnect(Session& session);
  // `base` receives the base entry as the settings spell it.
  [[nodiscard]] ErrorNumber OpenDatabase(Session& session, const std::string& name,
                                         const std::string& entry, std::string& base);
  // `file` receives the file name as the data folder spells it.
  [[nodiscard]] ErrorNumber OpenFile(Session& session, const std::string& base,
                                     const std::string& name, std::string& file);
  [[nodiscard]] ErrorNumber Execute(Session& session, const std::string& base,
                                    const std::string& command, const std::string& argument,
                                    std::int32_t& status, std::shared_ptr<maj::DynArray>& answer);
  [[nodiscard]] ErrorNumber Read(Session& session, const std::string& base, const std::string& file,
                                 const std::string& key, std::shared_ptr<maj::DynArray>& record);

 private:
  friend std::shared_ptr<Server> OpenServer(const std::filesystem::path& dataFolder,
                                            PathMapper mapper, std::string& error);

  struct ActiveFault {
    FaultRule rule;
    unsigned long used = 0;
  };
  // What the faults aimed at one call inject.
  struct Injection {
    bool hit = false;  // an error or an empty answer
    FaultRule rule;
    unsigned delayMilliseconds = 0;
    std::vector<std::string> notes;
  };

  // Takes the faults aimed at this call and sleeps their delays (unlocked).
  Injection Inject(Operation operation, const std::string* base);
  // Writes the call's journal line and returns `result`. Needs the lock.
  ErrorNumber Log(const std::string& call, ErrorNumber result, const std::string& outcome,
                  const std::vector<std::string>& notes);
  // Whether an injected fault or a logged-out session answers the call; if so
  // the call's line is written and `result` is its number. Needs the lock.
  bool Stopped(const Session& session, const std::string& call, Injection& injection,
               ErrorNumber& result);
  ErrorNumber Upgrade(const std::string& base, const std::string& arguments, std::string& reason);

  const std::filesystem::path dataFolder_;
  const PathMapper mapper_;
  const Settings settings_;
  const std::chrono::steady_clock::time_point loaded_ = std::chrono::steady_clock::now();
  std::function<std::string()> census_;

  mutable std::mutex mutex_;
  std::map<std::string, BaseStore> stores_;  // by base entry as the settings spell it
  std::vector<ActiveFault> faults_;
  std::vector<std::string> journal_;
  int clients_ = 0;
};

}  // namespace standin
