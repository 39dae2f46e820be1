#include "tests/support/RunFixture.h"

#include <filesystem>
#include <fstream>

#include "app/Frm_MAJ.h"
#include "app/Silent.h"
#include "steps/Recup_Base.h"

namespace maj::test {

void RunFixture::Server(const std::string& settings) {
  const auto data = platform.Root() / "DBA-data";
  std::filesystem::create_directories(data);
  std::ofstream(data / "settings.txt", std::ios::binary) << settings;
  std::string error;
  server = standin::OpenServer(
      data, [this](const std::string& path) { return platform.Map(path); }, error);
  ASSERT_TRUE(server) << error;
  dba = standin::MakeFactory(server);
}

void RunFixture::Bases(const std::vector<std::string>& entries) {
  std::string bytes;
  for (const auto& entry : entries) bytes += platform.ToAnsi(entry) + "\r\n";
  platform.WriteFile(kBaseListPath, bytes);
}

void RunFixture::Package(const std::vector<std::string>& names) {
  for (const auto& name : names) {
    platform.WriteFile(platform.appPath + R"(\INSTALLMAJ\)" + name, "contents of " + name);
  }
}

void RunFixture::Folders(const std::vector<std::string>& windowsPaths) {
  for (const auto& path : windowsPaths) platform.MakeFolder(path);
}

void RunFixture::Run(RunMode mode) {
  ASSERT_TRUE(dba) << "no server";
  SilentOperator unwatched(platform, state.Log);
  const Pieces pieces = silent ? platform.All().With(unwatched) : platform.All();
  exitCode = ExitCodeOf(Form_Load(state, pieces, *dba, mode));
}

std::vector<std::string> RunFixture::Journal(const std::vector<std::string>& prefixes) const {
  std::vector<std::string> out;
  for (const auto& line : server->Journal()) {
    bool keep = prefixes.empty();
    for (const auto& prefix : prefixes) keep = keep || line.rfind(prefix, 0) == 0;
    if (keep) out.push_back(line);
  }
  return out;
}

std::vector<std::string> RunFixture::BoxTexts() const {
  std::vector<std::string> texts;
  for (const auto& box : platform.boxes) texts.push_back(box.text);
  return texts;
}

void RunFixture::TearDown() {
  EXPECT_TRUE(platform.unexpected.empty()) << platform.unexpected.front();
  EXPECT_TRUE(platform.inputAnswers.empty()) << "an expected input box never came";
  EXPECT_TRUE(platform.dialogAnswers.empty()) << "an expected login dialog never came";
  EXPECT_EQ(platform.openFiles, 0);
  EXPECT_EQ(platform.runningProcesses, 0);
  EXPECT_FALSE(platform.xcopyAsked);
}

}  // namespace maj::test
