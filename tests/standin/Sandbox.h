// A throwaway folder for one test: a data folder, and a host folder standing
// for the Windows drives and shares the stand-in's commands name.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "contract/Dba.h"
#include "standin/StandIn.h"

namespace standin::testing {

namespace fs = std::filesystem;

class Sandbox {
 public:
  Sandbox();
  ~Sandbox();
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;

  const fs::path& Data() const { return data_; }
  // Where a Windows path such as D:\x or \\127.0.0.1\UNIDATA\x lies here.
  fs::path Host(const std::string& windowsPath) const;

  static void Write(const fs::path& file, std::string_view bytes);
  static std::string Read(const fs::path& file);

  // Writes settings.txt and loads the data folder; the test fails on an error.
  std::shared_ptr<Server> Open(std::string_view settings);
  // Loads the data folder as it is; nullptr and `error` on failure.
  std::shared_ptr<Server> Reopen(std::string& error) const;

 private:
  fs::path root_;
  fs::path data_;
};

// The journal lines written since `from`.
std::vector<std::string> JournalFrom(const Server& server, std::size_t from);

// A client created by ProgID and logged in; the test fails otherwise.
std::shared_ptr<maj::CClient> LoggedIn(maj::DbaFactory& factory, const std::string& user,
                                       const std::string& password);
std::shared_ptr<maj::Database> Opened(maj::CClient& client, const std::string& entry);

// Execute with field 1 "P" and field 2 `line`, as the program sends it.
maj::ErrorNumber Command(maj::Database& database, const std::string& line,
                         std::shared_ptr<maj::DynArray>& answer);
std::string Field(maj::DynArray& array, std::int16_t index);

}  // namespace standin::testing
