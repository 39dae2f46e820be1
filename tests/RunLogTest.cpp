// The run log: where it goes, what each step and each failure writes in it,
// that it never holds the password, that it rotates, and that a log that
// cannot be written changes nothing of the run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <regex>

#include "app/Frm_MAJ.h"
#include "app/VersionFile.h"
#include "standin/StandIn.h"
#include "steps/Recup_Base.h"
#include "tests/support/TestPlatform.h"

namespace maj {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* kShareLog = R"(\\127.0.0.1\UNIDATA\MERIDOXAN\MiseANiveau.log)";
constexpr const char* kExeLog = R"(C:\APP\MiseANiveau.log)";
constexpr const char* kBom = "\xEF\xBB\xBF";

std::string Settings(const Lines& bases, const std::string& tail = "", bool adm = true) {
  std::string text = std::string("[users]\n") + (adm ? "ADM =\n" : "") + "SUPPORT = s3cret\n";
  for (const auto& base : bases) {
    text += "[base " + base + "]\ndirectory = D:\\BASES\\" + base + "\n";
  }
  return text + tail;
}

// One whole run, on its own platform and server.
struct World {
  test::TestPlatform platform;
  std::shared_ptr<standin::Server> server;
  std::unique_ptr<DbaFactory> dba;
  RunState state;

  World(const std::string& settings, const Lines& bases, bool share = true) {
    const auto data = platform.Root() / "DBA-data";
    std::filesystem::create_directories(data);
    std::ofstream(data / "settings.txt", std::ios::binary) << settings;
    std::string error;
    server = standin::OpenServer(
        data, [this](const std::string& path) { return platform.Map(path); }, error);
    EXPECT_TRUE(server) << error;
    dba = standin::MakeFactory(server);
    std::string list;
    for (const auto& base : bases) {
      list += base + "\r\n";
      platform.MakeFolder(R"(D:\BASES\)" + base);
    }
    if (!bases.empty()) platform.WriteFile(kBaseListPath, list);
    for (const char* name : {"A.DAT", "B.DAT"}) {
      platform.WriteFile(platform.appPath + R"(\INSTALLMAJ\)" + name, name);
    }
    if (share) platform.MakeFolder(kVersionFolder);
  }

  void Run() {
    if (server) Form_Load(state, platform.All(), *dba);
    EXPECT_EQ(platform.openFiles, 0);
  }

  // The log's lines without their stamps, durations as "N ms". Checks the
  // mark at the start, the line ends and each stamp's form.
  Lines Log(const std::string& path = kShareLog) const {
    if (!std::filesystem::is_regular_file(platform.Map(path))) return {};
    const std::string bytes = platform.ReadFile(path);
    EXPECT_EQ(bytes.rfind(kBom, 0), 0u) << "no byte-order mark";
    const std::regex stamp(R"(^\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{3} )");
    const std::regex duration(R"(\d+ ms)");
    Lines lines;
    std::size_t at = 3;
    while (at < bytes.size()) {
      const std::size_t end = bytes.find("\r\n", at);
      EXPECT_NE(end, std::string::npos) << "a line without CR LF";
      if (end == std::string::npos) break;
      std::string line = bytes.substr(at, end - at);
      EXPECT_EQ(line.find('\n'), std::string::npos) << line;
      EXPECT_TRUE(std::regex_search(line, stamp)) << line;
      lines.push_back(std::regex_replace(line.substr(std::min<std::size_t>(24, line.size())),
                                         duration, "N ms"));
      at = end + 2;
    }
    return lines;
  }

  // Every file under the root but the logs, with its content.
  std::map<std::string, std::string> Files() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(platform.Root())) {
      const std::string name = entry.path().filename().string();
      if (!entry.is_regular_file() || name.rfind("MiseANiveau.log", 0) == 0) continue;
      std::ifstream in(entry.path(), std::ios::binary);
      files[std::filesystem::relative(entry.path(), platform.Root()).string()] =
          std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    return files;
  }

  Lines Boxes() const {
    Lines texts;
    for (const auto& box : platform.boxes) texts.push_back(box.text);
    return texts;
  }
};

std::string OneLine(std::string text) {
  for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, " | ");
  return text;
}

std::string Copy(const std::string& base, const std::string& file, const std::string& end) {
  return R"(Copy xcopy "C:\APP\INSTALLMAJ\)" + file + R"(" "D:\BASES\)" + base +
         R"(\INSTALLMAJ" /C /Y: )" + end;
}

// The lines of base `entry`'s block: from its "Base n: entry" line to the next.
Lines Block(const Lines& log, const std::string& entry) {
  Lines block;
  bool in = false;
  for (const auto& line : log) {
    if (line.rfind("Base ", 0) == 0 && line.find(": ") != std::string::npos &&
        line.rfind("Base list", 0) != 0) {
      in = line.substr(line.find(": ") + 2) == entry;
    }
    if (in) block.push_back(line);
  }
  return block;
}

bool Has(const Lines& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(RunLogTest, OneBaseWritesEveryStepInTheMarkerFolder) {
  World world(Settings({"X"}), {"X"});
  world.Run();
  const std::string summary =
      "Mise à jour du serveur terminée avec succès.\r\n\r\nBase X : mise à jour.\r\n";
  EXPECT_EQ(world.Log(), (Lines{
                             R"(Start: C:\APP\MiseANiveau.exe version )" MAJ_PROGRAM_VERSION
                             ", computer SERVEUR, login operateur",
                             "Base list: 1 entries read",
                             "Base 1: X",
                             "Open X as ADM: 0x00000000",
                             R"(Directory D:\BASES\X (server answer))",
                             Copy("X", "A.DAT", "exit code 0x00000000, N ms"),
                             Copy("X", "B.DAT", "exit code 0x00000000, N ms"),
                             "Copy step: 0x00000000",
                             "Upgrade command: 0x00000000, N ms",
                             "Check of version 712: 0x00000000",
                             "Outcome: upgraded",
                             "Box: " + OneLine(summary),
                             "Marker file: 0x00000000",
                             "End: N ms",
                         }));
  // Local date and time to the millisecond, as the clock gave them.
  EXPECT_EQ(world.platform.ReadFile(kShareLog).substr(3, 24), "2026-12-07 09:30:15.000 ");
  EXPECT_FALSE(world.platform.Exists(kExeLog));
  EXPECT_EQ(world.platform.taskbar, (Lines{"Normal 0/1", "Normal 1/1", "None 0/0"}));
}

TEST(RunLogTest, TheFailingBaseOfThreeNamesItsStepAndNumber) {
  World world(Settings({"A", "B", "C"},
                       "[fault]\ncall = LANCEMAJCD\nbase = B\nerror = 0x80004005\n"
                       "[fault]\ncall = Read\nbase = B\nerror = 0x8004000B\n"),
              {"A", "B", "C"});
  world.Run();
  const Lines log = world.Log();
  const Lines b = Block(log, "B");
  EXPECT_TRUE(Has(b, "Upgrade command: 0x80004005, N ms")) << ::testing::PrintToString(b);
  EXPECT_TRUE(Has(b, "Check of version 712: 0x8004000B Record not found."));
  EXPECT_TRUE(Has(b, "Outcome: not upgraded"));
  for (const char* good : {"A", "C"}) {
    EXPECT_TRUE(Has(Block(log, good), "Upgrade command: 0x00000000, N ms"));
    EXPECT_TRUE(Has(Block(log, good), "Outcome: upgraded"));
  }
  // Progress counts every base done; the button turns red at B and stays so.
  EXPECT_EQ(world.platform.taskbar,
            (Lines{"Normal 0/3", "Normal 1/3", "Error 2/3", "Error 3/3", "None 0/0"}));
}

// One failure of the fault matrix and the line that must name it.
struct StepFailure {
  const char* name;
  std::string tail;  // server faults
  std::function<void(World&)> script;
  Lines expected;  // lines the log must hold
};

class RunLogFailureTest : public ::testing::TestWithParam<StepFailure> {};

TEST_P(RunLogFailureTest, TheLogNamesTheStepAndItsNumber) {
  World world(Settings({"A", "B"}, GetParam().tail), {"A", "B"});
  if (GetParam().script) GetParam().script(world);
  world.Run();
  const Lines log = world.Log();
  for (const auto& line : GetParam().expected) {
    EXPECT_TRUE(Has(log, line)) << line << "\nnot in\n" << ::testing::PrintToString(log);
  }
  // Every box shown is in the log, and the run's end.
  for (const auto& box : world.Boxes()) EXPECT_TRUE(Has(log, "Box: " + OneLine(box))) << box;
  EXPECT_EQ(log.back(), "End: N ms");
}

INSTANTIATE_TEST_SUITE_P(
    FaultMatrix, RunLogFailureTest,
    ::testing::Values(
        StepFailure{"MissingBaseList",
                    "",
                    [](World& w) { std::filesystem::remove(w.platform.Map(kBaseListPath)); },
                    {"Base list: 0 entries read, then 0x80070002 The system cannot find the file "
                     "specified.",
                     "Open  as ADM: 0x80040202"}},
        StepFailure{"CopyExitCode",
                    "",
                    [](World& w) { w.platform.exitCode = 4; },
                    {Copy("A", "A.DAT", "exit code 0x00000004, N ms")}},
        StepFailure{"CopyNotStarted",
                    "",
                    [](World& w) { w.platform.Fail("StartProcess", FromWin32(2)); },
                    {Copy("A", "A.DAT",
                          "not started, 0x80070002 The system cannot find the file specified."),
                     "Copy step: 0x80070002 The system cannot find the file specified."}},
        StepFailure{
            "CheckFails",
            "[fault]\ncall = Read\nbase = B\nerror = 0x8004000B\n",
            nullptr,
            {"Check of version 712: 0x8004000B Record not found.", "Outcome: not upgraded"}},
        StepFailure{"NoDirectory",
                    "[fault]\ncall = QUI\nbase = B\nanswer = empty\n",
                    [](World& w) { w.platform.inputAnswers = {""}; },
                    {"Directory: none typed",
                     "Box: PB DANS LA RECUPERATION DU CHEMIN DE LA BASE DE DONNEES. MERCI "
                     "D'APPELER MERIDOXAN"}},
        StepFailure{"TypedDirectory",
                    "[fault]\ncall = QUI\nbase = B\nanswer = empty\n",
                    [](World& w) { w.platform.inputAnswers = {R"(d:\bases\b)"}; },
                    {R"(Directory D:\BASES\B (typed))"}},
        StepFailure{"NoComponent",
                    "[fault]\ncall = Create\nerror = 0x80040154\n",
                    nullptr,
                    {"Component: 0x80040154 Class not registered",
                     "Box: Le composant d'accès aux bases de données DBA n'a pas pu être chargé "
                     "(erreur 0x80040154). | Aucune base n'a été mise à jour. Merci de contacter "
                     "MERIDOXAN"}},
        StepFailure{"MarkerFileRefused",
                    "",
                    [](World& w) { w.platform.Fail("RewriteFile", kWin32AccessDenied); },
                    {"Marker file: 0x80070005 Access is denied."}}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(RunLogTest, TheSecondBaseRefusedIsLoggedWithItsNumberAndBox) {
  World world(Settings({"A", "B"}) + "[base C]\ndirectory = D:\\BASES\\C\nrefuse = 0x80040006\n",
              {"A", "C"});
  world.Run();
  const Lines log = world.Log();
  EXPECT_TRUE(Has(log, "Open C as ADM: 0x80040006 Login or open refused."))
      << ::testing::PrintToString(log);
  ASSERT_EQ(world.Boxes().size(), 1u);
  EXPECT_TRUE(Has(log, "Box: " + OneLine(world.Boxes()[0])));
}

// The component's numbers share their values with OLE's: the system's texts
// for them would send support the wrong way.
TEST(RunLogTest, TheComponentsNumbersGetTheirOwnMeaningsNeverTheSystemsOleTexts) {
  test::TestPlatform platform;
  RunLog log;
  log.Open(platform, platform, {});
  EXPECT_EQ(log.Number(kDbaOpenRefused), "0x80040006 Login or open refused.");
  EXPECT_EQ(log.Number(kDbaLoginNeeded), "0x80040019 Not connected: login needed.");
  EXPECT_EQ(log.Number(kDbaKeyNotFound), "0x8004000B Record not found.");
  EXPECT_EQ(log.Number(0x80040154), "0x80040154");
  EXPECT_EQ(log.Number(kWin32AccessDenied), "0x80070005 Access is denied.");
}

// A log-off in the middle of the copy: the system is asked to wait and the
// log says so; once the run is over the session may end again.
TEST(RunLogTest, ASessionEndAskedDuringTheRunIsHeldAndLoggedThenLetGo) {
  World world(Settings({"A"}), {"A"});
  world.platform.sessionEndAt = "MsgBox";  // the summary, the run not yet over
  world.Run();
  EXPECT_EQ(world.platform.sessionEndAnswers, Lines{"wait"});
  EXPECT_TRUE(Has(world.Log(), "Session end asked: Windows asked to wait"));
  EXPECT_TRUE(world.platform.SessionEndRequest()) << "nothing held once the run is over";
}

class RunLogLoginTest : public ::testing::TestWithParam<ErrorNumber> {};

// Both refusal numbers, a wrong password then the right one: the log shows
// the dialog and the user names, never a password nor anything of its box.
TEST_P(RunLogLoginTest, ShowsTheDialogAndUserButNeverThePassword) {
  char refuse[64];
  std::snprintf(refuse, sizeof refuse, "refuse = 0x%08X for ADM\n", GetParam());
  World world("[users]\nADM =\nSUPPORT = s3cret\n[base A]\ndirectory = D:\\BASES\\A\n" +
                  std::string(refuse),
              {"A"});
  world.platform.dialogAnswers = {test::LoginOk("SUPPORT", "wrong"),
                                  test::LoginOk("SUPPORT", "s3cret")};
  world.Run();
  const Lines log = world.Log();
  char open[64];
  std::snprintf(
      open, sizeof open, "Open A as ADM: 0x%08X %s", GetParam(),
      GetParam() == kDbaOpenRefused ? "Login or open refused." : "Not connected: login needed.");
  EXPECT_TRUE(Has(log, open)) << ::testing::PrintToString(log);
  EXPECT_EQ(std::count(log.begin(), log.end(), "Login dialog shown"), 2);
  EXPECT_EQ(std::count(log.begin(), log.end(), "Login dialog confirmed, user SUPPORT"), 2);
  EXPECT_TRUE(Has(log, "Open A as SUPPORT: 0x00000000"));
  const std::string bytes = world.platform.ReadFile(kShareLog);
  for (const char* secret : {"s3cret", "wrong", "Mot", "assword", "6 char", "5 char"}) {
    EXPECT_EQ(bytes.find(secret), std::string::npos) << secret;
  }
}

INSTANTIATE_TEST_SUITE_P(BothNumbers, RunLogLoginTest,
                         ::testing::Values(kDbaOpenRefused, kDbaLoginNeeded));

TEST(RunLogTest, ACancelledLoginIsLoggedWithItsBox) {
  World world("[users]\nSUPPORT = s3cret\n[base A]\ndirectory = D:\\BASES\\A\n", {"A"});
  world.platform.dialogAnswers = {test::LoginCancel()};
  world.Run();
  const Lines log = world.Log();
  EXPECT_TRUE(Has(log, "Login dialog shown"));
  EXPECT_TRUE(Has(log, "Login dialog cancelled"));
  EXPECT_TRUE(Has(log, "Box: Les bases de données n'ont pas été mise a jour."));
  // No base done; the button cleared as the run ends.
  EXPECT_EQ(world.platform.taskbar, (Lines{"Normal 0/1", "None 0/0"}));
}

TEST(RunLogTest, RunsAppendBlocksWithOneMarkAndLargeLogsAreRotated) {
  World world(Settings({"A"}), {"A"});
  world.Run();
  world.Run();
  const std::string two = world.platform.ReadFile(kShareLog);
  EXPECT_EQ(two.rfind(kBom), 0u) << "one mark, at the start only";
  const Lines blocks = world.Log();
  EXPECT_EQ(std::count(blocks.begin(), blocks.end(), "End: N ms"), 2);

  // Exactly 1 MiB stays; one byte more is set aside before the run's first line.
  world.platform.WriteFile(kShareLog, std::string(kBom) + std::string((1u << 20) - 3, 'x'));
  world.Run();
  EXPECT_FALSE(world.platform.Exists(std::string(kShareLog) + ".1"));
  const std::string over = std::string(kBom) + std::string((1u << 20) - 2, 'y');
  world.platform.WriteFile(kShareLog, over);
  world.platform.WriteFile(std::string(kShareLog) + ".1", "older");
  world.Run();
  EXPECT_EQ(world.platform.ReadFile(std::string(kShareLog) + ".1"), over);
  const Lines fresh = world.Log();
  ASSERT_FALSE(fresh.empty());
  EXPECT_EQ(fresh[0].rfind("Start: ", 0), 0u);
}

// Where the log goes when the marker folder does not take it.
struct Place {
  const char* name;
  std::function<void(World&)> script;
  const char* where;  // "" for no log at all
};

class RunLogPlaceTest : public ::testing::TestWithParam<Place> {};

TEST_P(RunLogPlaceTest, GoesToTheFirstFolderThatTakesIt) {
  World world(Settings({"A"}), {"A"});
  GetParam().script(world);
  world.Run();
  const std::string where = GetParam().where;
  for (const char* path : {kShareLog, kExeLog}) {
    const bool expected = where == path;
    EXPECT_EQ(!world.Log(path).empty(), expected) << path;
  }
  EXPECT_EQ(world.Boxes().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Places, RunLogPlaceTest,
    ::testing::Values(
        Place{"MarkerFolder", [](World&) {}, kShareLog},
        Place{"MarkerFolderMissing",
              [](World& w) { std::filesystem::remove_all(w.platform.Map(kVersionFolder)); },
              kExeLog},
        Place{"MarkerFolderReadOnly",
              [](World& w) {
                w.platform.Fail(std::string("OpenLines(") + kShareLog + ")", kWin32AccessDenied);
              },
              kExeLog},
        Place{"LogIsAFolder", [](World& w) { w.platform.MakeFolder(kShareLog); }, kExeLog},
        Place{"BothReadOnly", [](World& w) { w.platform.Fail("OpenLines", kWin32AccessDenied); },
              ""},
        Place{"LogLocked",
              [](World& w) {
                w.platform.Fail(std::string("OpenLines(") + kShareLog + ")", FromWin32(32));
              },
              ""}),
    [](const auto& param) { return std::string(param.param.name); });

// A log that cannot be written, however it fails, leaves the run as it was:
// the same calls, component journal, boxes and files.
class RunLogHarmlessTest : public ::testing::TestWithParam<Place> {};

TEST_P(RunLogHarmlessTest, AFailingLogChangesNothingOfTheRun) {
  const std::string settings = Settings({"A", "B", "C"},
                                        "[fault]\ncall = LANCEMAJCD\nbase = B\nerror = 0x80004005\n"
                                        "[fault]\ncall = Read\nbase = B\nerror = 0x8004000B\n");
  World good(settings, {"A", "B", "C"});
  good.Run();
  World bad(settings, {"A", "B", "C"});
  GetParam().script(bad);
  bad.Run();
  EXPECT_FALSE(good.Log().empty());
  EXPECT_EQ(bad.platform.calls, good.platform.calls);
  EXPECT_EQ(bad.server->Journal(), good.server->Journal());
  EXPECT_EQ(bad.Boxes(), good.Boxes());
  EXPECT_EQ(bad.Files(), good.Files());
  EXPECT_EQ(bad.platform.taskbar, good.platform.taskbar);
  EXPECT_EQ(bad.state.Err, good.state.Err);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, RunLogHarmlessTest,
    ::testing::Values(Place{"NoPlace",
                            [](World& w) { w.platform.Fail("OpenLines", kWin32AccessDenied); }, ""},
                      Place{"DiskFullAtOnce",
                            [](World& w) { w.platform.Fail("AppendLine", FromWin32(112)); }, ""},
                      Place{"DiskFullMidway", [](World& w) { w.platform.logDiskSpace = 600; }, ""},
                      Place{"RotationRefused",
                            [](World& w) {
                              w.platform.WriteFile(kShareLog, std::string((1u << 20) + 1, 'z'));
                              w.platform.Fail("RenameOver", kWin32AccessDenied);
                            },
                            ""}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace maj
