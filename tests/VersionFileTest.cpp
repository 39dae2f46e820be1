// The marker file: ensured, then rewritten as an empty line followed by its
// old lines, in one step, and left untouched when anything fails.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/VersionFile.h"
#include "state/RunState.h"
#include "tests/support/TestPlatform.h"

namespace maj {
namespace {

class VersionFileTest : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(platform.openFiles, 0);
    // No temporary file is ever left beside the marker file.
    const auto folder = platform.Map(kVersionFolder);
    if (std::filesystem::is_directory(folder)) {
      for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        EXPECT_EQ(entry.path().filename(), "VERSION.txt");
      }
    }
  }

  test::TestPlatform platform;
  RunState state;
};

TEST_F(VersionFileTest, FolderAndFileMissingGiveOneEmptyLine) {
  EXPECT_EQ(VersionFileStep(platform, platform, platform), kOk);
  EXPECT_EQ(platform.ReadFile(kVersionFilePath), "\r\n");
}

TEST_F(VersionFileTest, EveryRunAddsOneEmptyLineAtTheTop) {
  platform.WriteFile(kVersionFilePath, "712\r\nOK\r\n");
  EXPECT_EQ(VersionFileStep(platform, platform, platform), kOk);
  EXPECT_EQ(platform.ReadFile(kVersionFilePath), "\r\n712\r\nOK\r\n");
  EXPECT_EQ(VersionFileStep(platform, platform, platform), kOk);
  EXPECT_EQ(platform.ReadFile(kVersionFilePath), "\r\n\r\n712\r\nOK\r\n");
}

TEST_F(VersionFileTest, OldLinesKeepTheirTextAndGetCrLfEnds) {
  // An empty file, a file without a final line end, carriage returns alone,
  // and bytes of the ANSI code page that must come back unchanged.
  const std::pair<std::string, std::string> cases[] = {
      {"", "\r\n"},
      {"abc", "\r\nabc\r\n"},
      {"a\rb\r", "\r\na\r\nb\r\n"},
      {"\xC9t\xE9 \x80\x81\r\n", "\r\n\xC9t\xE9 \x80\x81\r\n"},
  };
  for (const auto& [before, after] : cases) {
    platform.WriteFile(kVersionFilePath, before);
    EXPECT_EQ(VersionFileStep(platform, platform, platform), kOk);
    EXPECT_EQ(platform.ReadFile(kVersionFilePath), after) << before;
  }
}

TEST_F(VersionFileTest, AFileThatCannotBeReadOrWrittenIsLeftUntouched) {
  platform.WriteFile(kVersionFilePath, "712\r\n");
  platform.Fail(std::string("OpenForInput(") + kVersionFilePath + ")", kWin32AccessDenied);
  EXPECT_EQ(VersionFileStep(platform, platform, platform), kWin32AccessDenied);
  EXPECT_EQ(platform.ReadFile(kVersionFilePath), "712\r\n");
  EXPECT_TRUE(platform.Calls({"RewriteFile"}).empty());

  test::TestPlatform readOnly;
  readOnly.WriteFile(kVersionFilePath, "712\r\n");
  readOnly.SetReadOnly(kVersionFilePath, true);
  const ErrorNumber refused = VersionFileStep(readOnly, readOnly, readOnly);
  EXPECT_EQ(readOnly.ReadFile(kVersionFilePath), "712\r\n");
  EXPECT_NE(refused, kOk);
  readOnly.SetReadOnly(kVersionFilePath, false);
}

TEST_F(VersionFileTest, AFailedReplacementKeepsTheOldBytes) {
  platform.WriteFile(kVersionFilePath, "712\r\nOK\r\n");
  platform.Fail("RewriteFile", FromWin32(112));  // ERROR_DISK_FULL
  const ErrorNumber failed = VersionFileStep(platform, platform, platform);
  EXPECT_EQ(platform.ReadFile(kVersionFilePath), "712\r\nOK\r\n");
  EXPECT_EQ(failed, FromWin32(112));
}

TEST_F(VersionFileTest, AnUnreachableShareTouchesNothing) {
  std::filesystem::remove_all(platform.Map(R"(\\127.0.0.1\UNIDATA)"));
  EXPECT_NE(VersionFileStep(platform, platform, platform), kOk);
  EXPECT_FALSE(platform.Exists(kVersionFilePath));
  EXPECT_TRUE(platform.Calls({"RewriteFile"}).empty());
}

TEST_F(VersionFileTest, ControleRepertoireTellsAnExistingEntryFromACreatedFolder) {
  Boolean existed = False;
  ASSERT_EQ(ControleRepertoire(platform, platform, kVersionFolder, existed), kOk);
  EXPECT_EQ(existed, False);
  EXPECT_TRUE(std::filesystem::is_directory(platform.Map(kVersionFolder)));
  ASSERT_EQ(ControleRepertoire(platform, platform, kVersionFolder, existed), kOk);
  EXPECT_EQ(existed, True);

  // A plain file of that name counts as found; nothing is created.
  platform.WriteFile(R"(\\127.0.0.1\UNIDATA\PLAIN)", "x");
  ASSERT_EQ(ControleRepertoire(platform, platform, R"(\\127.0.0.1\UNIDATA\PLAIN)", existed), kOk);
  EXPECT_EQ(existed, True);
  EXPECT_TRUE(std::filesystem::is_regular_file(platform.Map(R"(\\127.0.0.1\UNIDATA\PLAIN)")));

  // A folder whose parent is missing cannot be created: the failure comes back.
  EXPECT_EQ(ControleRepertoire(platform, platform, R"(\\127.0.0.1\UNIDATA\A\B)", existed),
            kWin32PathNotFound);
}

TEST_F(VersionFileTest, ControleFichierCreatesAMissingFileAndAbsorbsFailures) {
  platform.MakeFolder(kVersionFolder);
  EXPECT_EQ(ControleFichier(platform, platform, platform, kVersionFilePath), False);
  EXPECT_EQ(platform.ReadFile(kVersionFilePath), "");
  EXPECT_EQ(ControleFichier(platform, platform, platform, kVersionFilePath), True);

  // Neither open works: the answer is false and nothing is created.
  EXPECT_EQ(ControleFichier(platform, platform, platform, R"(\\127.0.0.1\UNIDATA\NONE\X.txt)"),
            False);
  EXPECT_FALSE(platform.Exists(R"(\\127.0.0.1\UNIDATA\NONE\X.txt)"));
}

}  // namespace
}  // namespace maj
