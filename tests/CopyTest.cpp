// The package copy: one quoted xcopy per file, in the folder's order, each
// awaited until it ends, into a destination that exists beforehand.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>

#include "state/RunState.h"
#include "steps/CopieInstallMAJ.h"
#include "steps/CopyChecks.h"
#include "tests/support/TestPlatform.h"

namespace maj {
namespace {

using Calls = std::vector<std::string>;

// A file-system object that lists the files it was given, as they were when
// the folder was read.
class ListedFiles : public FileSystemObject {
 public:
  explicit ListedFiles(Calls files) : files_(std::move(files)) {}
  ErrorNumber GetFolderFiles(const std::string&, std::vector<std::string>& files) override {
    files = files_;
    return kOk;
  }

 private:
  Calls files_;
};

class CopyTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(platform.CreateFileSystemObject(state.G_Fso), kOk); }
  void TearDown() override {
    EXPECT_FALSE(platform.xcopyAsked) << "xcopy was left asking about its destination";
    EXPECT_EQ(platform.runningProcesses, 0);
    EXPECT_TRUE(platform.unexpected.empty());
  }
  void Package(const std::vector<std::string>& names) {
    for (const auto& name : names) platform.WriteFile(R"(C:\APP\INSTALLMAJ\)" + name, name);
  }

  test::TestPlatform platform;
  CopyPieces pieces{platform, platform, platform, platform, platform};
  RunState state;
};

TEST_F(CopyTest, EachFileGoesByItsOwnAwaitedXcopyInTheFolderOrder) {
  Package({"b.dat", "C.DAT", "a.dat"});
  platform.WriteFile(R"(C:\APP\INSTALLMAJ\SUB\NOT.DAT)", "x");  // a sub-folder is not visited
  platform.MakeFolder(R"(D:\BASES\B1)");
  ASSERT_EQ(CopieInstallMAJ(state.G_Fso.get(), pieces, R"(D:\BASES\B1)"), kOk);
  EXPECT_EQ(platform.commands,
            (Calls{R"(xcopy "C:\APP\INSTALLMAJ\a.dat" "D:\BASES\B1\INSTALLMAJ" /C /Y)",
                   R"(xcopy "C:\APP\INSTALLMAJ\b.dat" "D:\BASES\B1\INSTALLMAJ" /C /Y)",
                   R"(xcopy "C:\APP\INSTALLMAJ\C.DAT" "D:\BASES\B1\INSTALLMAJ" /C /Y)"}));
  // The destination was created before the first copy, so xcopy never had to ask.
  EXPECT_EQ(platform.ReadFile(R"(D:\BASES\B1\INSTALLMAJ\C.DAT)"), "C.DAT");
  EXPECT_FALSE(platform.Exists(R"(D:\BASES\B1\INSTALLMAJ\NOT.DAT)"));
  const Calls order = platform.Calls({"CreateFolder", "StartProcess", "WaitForEnd(100, ended)"});
  ASSERT_EQ(order.size(), 7u);
  EXPECT_EQ(order[0], R"(CreateFolder(D:\BASES\B1\INSTALLMAJ))");
  for (std::size_t i = 1; i < order.size(); i += 2) {
    EXPECT_EQ(order[i].rfind("StartProcess", 0), 0u);
    EXPECT_EQ(order[i + 1], "WaitForEnd(100, ended)");  // each ends before the next starts
  }
}

TEST_F(CopyTest, PathsWithBlanksStayWholeAndATrailingBackslashIsKept) {
  platform.appPath = R"(C:\Program Files\APP)";
  platform.WriteFile(R"(C:\Program Files\APP\INSTALLMAJ\X 1.DAT)", "x");
  platform.MakeFolder(R"(D:\MES BASES)");
  ASSERT_EQ(CopieInstallMAJ(state.G_Fso.get(), pieces, R"(D:\MES BASES\)"), kOk);
  EXPECT_EQ(
      platform.commands,
      (Calls{
          R"(xcopy "C:\Program Files\APP\INSTALLMAJ\X 1.DAT" "D:\MES BASES\\INSTALLMAJ" /C /Y)"}));
  EXPECT_EQ(platform.ReadFile(R"(D:\MES BASES\INSTALLMAJ\X 1.DAT)"), "x");
}

TEST_F(CopyTest, NothingRunsWhenThereIsNothingSafeToCopy) {
  // No package folder: the file-system object's failure comes back.
  EXPECT_EQ(CopieInstallMAJ(state.G_Fso.get(), pieces, R"(D:\B)"), 0x800A004Cu);
  // An empty package copies nothing and is no failure.
  platform.MakeFolder(R"(C:\APP\INSTALLMAJ)");
  EXPECT_EQ(CopieInstallMAJ(state.G_Fso.get(), pieces, R"(D:\B)"), kOk);
  // A destination that cannot be created: no xcopy is left to hang on it.
  Package({"X.DAT"});
  EXPECT_EQ(CopieInstallMAJ(state.G_Fso.get(), pieces, R"(D:\NOWHERE\B)"), kWin32PathNotFound);
  // A base path that cannot stand between quotes.
  platform.MakeFolder(R"(D:\B)");
  EXPECT_EQ(CopieInstallMAJ(state.G_Fso.get(), pieces, "D:\\B\" /EXCLUDE:x"), kErrInvalidCall);
  EXPECT_TRUE(platform.commands.empty());
  // No file-system object at all.
  state.G_Fso.reset();
  EXPECT_EQ(CopieInstallMAJ(state.G_Fso.get(), pieces, R"(D:\B)"), kErrObjectRequired);
  EXPECT_TRUE(platform.commands.empty());
}

TEST_F(CopyTest, AFailedStartStopsTheRestOfThisBaseOnly) {
  Package({"A.DAT", "B.DAT", "C.DAT"});
  platform.MakeFolder(R"(D:\B1)");
  platform.MakeFolder(R"(D:\B2)");
  platform.Fail(R"(StartProcess(xcopy "C:\APP\INSTALLMAJ\B.DAT" "D:\B1\INSTALLMAJ" /C /Y))",
                FromWin32(2));
  EXPECT_EQ(CopieInstallMAJ(state.G_Fso.get(), pieces, R"(D:\B1)"), FromWin32(2));
  EXPECT_TRUE(platform.Exists(R"(D:\B1\INSTALLMAJ\A.DAT)"));
  EXPECT_FALSE(platform.Exists(R"(D:\B1\INSTALLMAJ\C.DAT)"));
  // The next base copies the whole package again.
  EXPECT_EQ(CopieInstallMAJ(state.G_Fso.get(), pieces, R"(D:\B2)"), kOk);
  EXPECT_TRUE(platform.Exists(R"(D:\B2\INSTALLMAJ\C.DAT)"));
}

// A path of `length` UTF-16 units under D:\, of folders of at most 50
// characters (a file system limits a name to 255 bytes); `letter` is one
// character, whatever its UTF-8 length.
std::string LongPath(std::size_t length, const std::string& letter = "B") {
  std::string path = "D:";
  std::size_t units = 2;
  while (units < length) {
    path += "\\";
    ++units;
    for (int i = 0; i < 50 && units < length; ++i, ++units) path += letter;
  }
  return path;
}

TEST_F(CopyTest, EveryCopyOfABaseMustBeNamedWithinXcopysLimitBeforeTheFirstStarts) {
  Package({"X.DAT"});
  // "\INSTALLMAJ\X.DAT" adds 17: a base path of 237 gives a copy of 254
  // characters, the longest xcopy copies.
  const std::string longest = LongPath(237, "é");  // counted in characters, not bytes
  platform.MakeFolder(longest);
  ASSERT_EQ(CopieInstallMAJ(state.G_Fso.get(), pieces, longest), kOk);
  EXPECT_EQ(platform.ReadFile(longest + R"(\INSTALLMAJ\X.DAT)"), "X.DAT");

  // One more character: nothing is created, nothing runs.
  const std::string tooLong = LongPath(238);
  platform.MakeFolder(tooLong);
  platform.commands.clear();
  EXPECT_EQ(CopieInstallMAJ(state.G_Fso.get(), pieces, tooLong), kErrCopyPathTooLong);
  EXPECT_FALSE(platform.Exists(tooLong + R"(\INSTALLMAJ)"));
  EXPECT_TRUE(platform.commands.empty());

  // A package file that cannot be named where it lies stops the whole base,
  // the files before it included.
  platform.appPath = LongPath(235);  // A.DAT fits in 252, the last file needs 263
  for (const std::string name : {"A.DAT", "B.DAT", "ZZZZZZZZZZZZ.DAT"}) {
    platform.WriteFile(platform.appPath + R"(\INSTALLMAJ\)" + name, name);
  }
  platform.MakeFolder(R"(D:\B)");
  EXPECT_EQ(CopieInstallMAJ(state.G_Fso.get(), pieces, R"(D:\B)"), kErrCopyPathTooLong);
  EXPECT_FALSE(platform.Exists(R"(D:\B\INSTALLMAJ)"));
  EXPECT_TRUE(platform.commands.empty());
  EXPECT_TRUE(CopyRefused(kErrCopyPathTooLong));
}

TEST_F(CopyTest, CopiesAreMeasuredByTheNameTheSystemGivesThem) {
  Package({"X.DAT"});
  // A final backslash doubles the one before INSTALLMAJ; the system counts it once.
  const std::string longest = LongPath(237);
  platform.MakeFolder(longest);
  ASSERT_EQ(CopieInstallMAJ(state.G_Fso.get(), pieces, longest + "\\"), kOk);
  EXPECT_EQ(platform.ReadFile(longest + R"(\INSTALLMAJ\X.DAT)"), "X.DAT");

  // A relative path lies behind the current folder: 200 + 1 + 40 + 17 = 258.
  platform.currentFolder = LongPath(200);
  platform.commands.clear();
  EXPECT_EQ(CopieInstallMAJ(state.G_Fso.get(), pieces, std::string(40, 'R')), kErrCopyPathTooLong);
  EXPECT_TRUE(platform.commands.empty());

  for (const auto& [path, current, full] : std::vector<std::array<std::string, 3>>{
           {"B", R"(C:\APP)", R"(C:\APP\B)"},
           {"B", R"(C:\)", R"(C:\B)"},
           {R"(\X)", R"(D:\W)", R"(D:\X)"},
           {R"(\X)", R"(\\SRV\SH\W)", R"(\\SRV\SH\X)"},
           {"D:X", R"(d:\W)", R"(d:\W\X)"},
           {"E:X", R"(D:\W)", R"(E:\X)"},
           {R"(D:\A\\\INSTALLMAJ\X)", "", R"(D:\A\INSTALLMAJ\X)"},
           {R"(\\SRV\SH\\A\)", "", R"(\\SRV\SH\A\)"}}) {
    EXPECT_EQ(SystemFileName(path, current), full) << path << " in " << current;
  }
}

TEST_F(CopyTest, ADestinationThatIsAFileIsLeftUntouched) {
  Package({"A.DAT", "B.DAT"});
  platform.WriteFile(R"(D:\B\INSTALLMAJ)", "the base's own file");
  EXPECT_EQ(CopieInstallMAJ(state.G_Fso.get(), pieces, R"(D:\B)"), kErrCopyNotAFolder);
  EXPECT_EQ(platform.ReadFile(R"(D:\B\INSTALLMAJ)"), "the base's own file");
  EXPECT_TRUE(platform.commands.empty());
  EXPECT_TRUE(CopyRefused(kErrCopyNotAFolder));
  EXPECT_FALSE(CopyRefused(kWin32PathNotFound));  // a folder that cannot be made: as before
}

TEST_F(CopyTest, EachCopyRunsTheSystemFoldersXcopyByName) {
  // Named, not searched for: an xcopy.exe beside the program never runs.
  Package({"A.DAT", "B.DAT"});
  platform.WriteFile(R"(C:\APP\xcopy.exe)", "someone else's");
  platform.MakeFolder(R"(D:\B)");
  ASSERT_EQ(CopieInstallMAJ(state.G_Fso.get(), pieces, R"(D:\B)"), kOk);
  EXPECT_EQ(platform.programs, (Calls{"xcopy.exe", "xcopy.exe"}));
  // The command line itself is unchanged.
  EXPECT_EQ(platform.commands[0], R"(xcopy "C:\APP\INSTALLMAJ\A.DAT" "D:\B\INSTALLMAJ" /C /Y)");
}

TEST(ShellAndWaitTest, PumpsMessagesEachTimeItWakesAndReturnsAtTheEnd) {
  // Woken by a message, then by the 100 ms bound with nothing queued: the
  // messages are handled each time, and the end is seen by the wait itself.
  test::TestPlatform platform;
  platform.wakesBeforeEnd = {"message", "time", "message"};
  ASSERT_EQ(ShellAndWait(platform, platform, "cmd"), kOk);
  EXPECT_EQ(platform.calls,
            (Calls{"StartProcess(cmd)", "DoEvents", "WaitForEnd(100, message)", "DoEvents",
                   "WaitForEnd(100, time)", "DoEvents", "WaitForEnd(100, message)", "DoEvents",
                   "WaitForEnd(100, ended)"}));
  EXPECT_EQ(platform.runningProcesses, 0);

  // A process that ends at once costs one pump and one wait that returns with
  // its end: no idle pause after it.
  platform.calls.clear();
  platform.wakesBeforeEnd.clear();
  ASSERT_EQ(ShellAndWait(platform, platform, "cmd"), kOk);
  EXPECT_EQ(platform.calls, (Calls{"StartProcess(cmd)", "DoEvents", "WaitForEnd(100, ended)"}));

  // A command that cannot start is not waited for.
  platform.calls.clear();
  platform.Fail("StartProcess", FromWin32(2));
  EXPECT_EQ(ShellAndWait(platform, platform, "nothing"), FromWin32(2));
  EXPECT_EQ(platform.calls, (Calls{"StartProcess(nothing)"}));
}

TEST_F(CopyTest, AnXcopyThatCopiesNothingGoesUnnoticedAndTheNextFileFollows) {
  Package({"A.DAT", "B.DAT"});
  platform.MakeFolder(R"(D:\B)");
  // The first file vanishes before its copy: xcopy finds nothing to copy.
  std::filesystem::remove(platform.Map(R"(C:\APP\INSTALLMAJ\A.DAT)"));
  state.G_Fso = std::make_shared<ListedFiles>(
      Calls{R"(C:\APP\INSTALLMAJ\A.DAT)", R"(C:\APP\INSTALLMAJ\B.DAT)"});
  EXPECT_EQ(CopieInstallMAJ(state.G_Fso.get(), pieces, R"(D:\B)"), kOk);
  EXPECT_EQ(platform.commands.size(), 2u);
  EXPECT_FALSE(platform.Exists(R"(D:\B\INSTALLMAJ\A.DAT)"));
  EXPECT_TRUE(platform.Exists(R"(D:\B\INSTALLMAJ\B.DAT)"));
}

// xcopy skips a hidden or system file unless told: that file alone gets /H.
TEST_F(CopyTest, AHiddenOrSystemFileIsCopiedWithItsSwitch) {
  Package({"a.dat", "h.dat"});
  platform.SetHidden(R"(C:\APP\INSTALLMAJ\h.dat)");
  platform.MakeFolder(R"(D:\BASES\B1)");
  ASSERT_EQ(CopieInstallMAJ(state.G_Fso.get(), pieces, R"(D:\BASES\B1)"), kOk);
  EXPECT_EQ(platform.commands,
            (Calls{R"(xcopy "C:\APP\INSTALLMAJ\a.dat" "D:\BASES\B1\INSTALLMAJ" /C /Y)",
                   R"(xcopy "C:\APP\INSTALLMAJ\h.dat" "D:\BASES\B1\INSTALLMAJ" /C /Y /H)"}));
  EXPECT_TRUE(platform.Exists(R"(D:\BASES\B1\INSTALLMAJ\h.dat)"));
}

// A copy is never ended, but one that takes minutes is logged from the
// second minute on, once a minute, with the button paused until it ends.
TEST_F(CopyTest, ACopyThatTakesLongIsLoggedEachMinuteWithTheButtonPaused) {
  Package({"a.dat"});
  platform.MakeFolder(R"(D:\BASES\B1)");
  platform.clockStep = 20000;  // each reading of the clock comes 20 s later
  platform.wakesBeforeEnd = std::deque<std::string>(20, "time");
  RunLog log;
  log.Open(platform, platform, {R"(C:\APP)"});
  ASSERT_EQ(CopieInstallMAJ(state.G_Fso.get(), pieces, R"(D:\BASES\B1)", &log), kOk);
  log.Close();
  const std::string text = platform.ReadFile(R"(C:\APP\MiseANiveau.log)");
  std::vector<int> minutes;
  const std::string mark = ": still running after ";
  for (std::size_t at = 0; (at = text.find(mark, at)) != std::string::npos; at += mark.size()) {
    minutes.push_back(std::stoi(text.substr(at + mark.size())));
  }
  ASSERT_GE(minutes.size(), 2u) << text;
  EXPECT_EQ(minutes.front(), 2);
  EXPECT_TRUE(std::is_sorted(minutes.begin(), minutes.end(), std::less_equal<>{})) << text;
  EXPECT_EQ(platform.taskbar, (Calls{"Paused", "Unpaused"}));
}

TEST(ShellAndWaitTest, AProcessThatCannotBeWaitedOnEndsTheWaitAfterOnePump) {
  test::TestPlatform platform;
  platform.wakesBeforeEnd = std::deque<std::string>(1000, "time");  // it would run long
  platform.Fail("WaitForEnd", FromWin32(6));                        // ERROR_INVALID_HANDLE
  ASSERT_EQ(ShellAndWait(platform, platform, "cmd"), kOk);
  EXPECT_EQ(platform.calls, (Calls{"StartProcess(cmd)", "DoEvents", "WaitForEnd(100, time)"}));
}

}  // namespace
}  // namespace maj
