#include "Sandbox.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "standin/DynArray.h"

namespace standin::testing {

Sandbox::Sandbox() {
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  root_ = fs::temp_directory_path() / ("standin-" + std::string(test ? test->name() : "test") +
                                       "-" + std::to_string(::getpid()));
  fs::remove_all(root_);
  data_ = root_ / "DBA-data";
  fs::create_directories(data_);
}

Sandbox::~Sandbox() {
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

fs::path Sandbox::Host(const std::string& windowsPath) const {
  return FolderMapper(root_ / "host")(windowsPath);
}

void Sandbox::Write(const fs::path& file, std::string_view bytes) {
  fs::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << bytes;
  ASSERT_TRUE(out.good()) << file;
}

std::string Sandbox::Read(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::shared_ptr<Server> Sandbox::Open(std::string_view settings) {
  Write(data_ / "settings.txt", settings);
  std::string error;
  auto server = Reopen(error);
  EXPECT_TRUE(server) << error;
  return server;
}

std::shared_ptr<Server> Sandbox::Reopen(std::string& error) const {
  return OpenServer(data_, FolderMapper(root_ / "host"), error);
}

std::vector<std::string> JournalFrom(const Server& server, std::size_t from) {
  std::vector<std::string> lines = server.Journal();
  lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(from));
  return lines;
}

std::shared_ptr<maj::CClient> LoggedIn(maj::DbaFactory& factory, const std::string& user,
                                       const std::string& password) {
  std::shared_ptr<maj::CClient> client;
  EXPECT_EQ(factory.CreateClient("DBA.CClient", client), maj::kOk);
  std::int16_t result = 0;
  if (client) {
    EXPECT_EQ(client->Connect(user, password, "", result), maj::kOk);
  }
  return client;
}

std::shared_ptr<maj::Database> Opened(maj::CClient& client, const std::string& entry) {
  std::shared_ptr<maj::Database> database;
  EXPECT_EQ(client.OpenDatabase("MERIDOXAN", entry, database), maj::kOk) << entry;
  return database;
}

maj::ErrorNumber Command(maj::Database& database, const std::string& line,
                         std::shared_ptr<maj::DynArray>& answer) {
  std::int32_t status = 99;
  return database.Execute(JoinFields({"P", line}), "", status, answer);
}

std::string Field(maj::DynArray& array, std::int16_t index) {
  std::string field = "<unread>";
  EXPECT_EQ(array.GetField(index, field), maj::kOk);
  return field;
}

}  // namespace standin::testing
