// The pre-check (/VERIFIER) and the program's exit codes: what the pre-check
// tells of each base, that it writes nothing, and the code of each end.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "app/CommandLine.h"
#include "app/Frm_MAJ.h"
#include "app/VersionFile.h"
#include "steps/Recup_Base.h"
#include "tests/support/RunFixture.h"
#include "tests/support/Switchboard.h"

namespace maj {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* kReady = "Vérification terminée : la mise à jour peut être lancée.\r\n\r\n";
constexpr const char* kFailing =
    "Vérification terminée : des bases ne seraient pas mises à jour.\r\n\r\n";

// The administrator and SUPPORT, then each base with its own settings lines,
// in D:\BASES\<entry> unless they name its directory; `tail` as it is.
std::string Settings(const std::vector<std::pair<std::string, std::string>>& bases,
                     const std::string& tail = "") {
  std::string text = "[users]\nADM =\nSUPPORT = s3cret\n";
  for (const auto& [entry, lines] : bases) {
    text += "[base " + entry + "]\n";
    // A base of its own directory says so first.
    if (lines.rfind("directory", 0) != 0) text += "directory = D:\\BASES\\" + entry + "\n";
    text += lines;
  }
  return text + tail;
}

class PreCheckTest : public test::RunFixture {
 protected:
  // A base whose INSTALLMAJ file already holds the record of this version.
  void UpToDate(const std::string& entry) {
    const auto store = platform.Root() / "DBA-data" / "bases" / entry;
    std::filesystem::create_directories(store);
    std::ofstream(store / "INSTALLMAJ.txt") << "712 = C:\\APP|D|D:\\BASES\\" << entry << "\n";
  }
  // Every platform call that writes, makes or starts something.
  Lines Writes() const {
    return platform.Calls({"CreateFolder", "OpenForAppend", "RewriteFile", "StartProcess"});
  }
  void ExpectNothingWritten() {
    EXPECT_EQ(Writes(), Lines{});
    EXPECT_TRUE(platform.commands.empty());
    EXPECT_EQ(Journal({"base A: Execute(command=[\"P\", \"LANCEMAJCD"}), Lines{});
    for (const auto& line : server->Journal())
      EXPECT_EQ(line.find("LANCEMAJCD"), std::string::npos);
    EXPECT_FALSE(platform.Exists(kVersionFilePath));
    EXPECT_FALSE(platform.Exists(R"(\\127.0.0.1\UNIDATA\MERIDOXAN)"));
  }
  void Box(const std::string& text, BoxIcon icon) {
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, text);
    EXPECT_EQ(platform.boxes[0].icon, icon);
    EXPECT_EQ(platform.boxes[0].title, "Message MERIDOXAN");
  }
};

TEST_F(PreCheckTest, ThreeBasesReadyUpToDateAndOfUnknownDirectoryWithoutOneWrite) {
  UpToDate("B");
  Server(Settings({{"A", ""}, {"B", ""}, {"C", ""}},
                  "[fault]\ncall = QUI\nbase = C\nanswer = empty\n"));
  Folders({R"(D:\BASES\A)", R"(D:\BASES\B)", R"(D:\BASES\C)"});
  Package({"A.DAT", "B.DAT"});
  Bases({"A", "B", "C"});
  Run(RunMode::PreCheck);
  Box(std::string(kFailing) +
          "Base A : prête.\r\nBase B : déjà à jour.\r\nBase C : répertoire inconnu.\r\n",
      BoxIcon::Critical);
  EXPECT_EQ(exitCode, ExitCode::PreCheckFailed);
  EXPECT_TRUE(platform.prompts.empty()) << "the operator is never asked for a directory";
  ExpectNothingWritten();
  EXPECT_FALSE(platform.Exists(R"(D:\BASES\A\INSTALLMAJ)"));
  // Each base opened and released as in a run; the checks read only.
  EXPECT_EQ(Journal({"client 1: OpenDatabase", "client 2: OpenDatabase", "client 3: OpenDatabase"})
                .size(),
            3u);
  // One block in the log beside the program (the marker folder is not made),
  // marked as a pre-check.
  const std::string log = platform.ReadFile(R"(C:\APP\MiseANiveau.log)");
  EXPECT_NE(log.find("Pre-check: nothing is copied, sent to the server or written"),
            std::string::npos);
  EXPECT_NE(log.find("Pre-check outcome: répertoire inconnu"), std::string::npos);
  EXPECT_EQ(log.find("Copy step"), std::string::npos);
}

TEST_F(PreCheckTest, ReadyBasesAreUpToDateOnceARealRunHasUpgradedThem) {
  Server(Settings({{"A", ""}, {"B", ""}}));
  Folders({R"(D:\BASES\A)", R"(D:\BASES\B)"});
  Package({"A.DAT"});
  Bases({"A", "B"});
  Run(RunMode::PreCheck);
  Box(std::string(kReady) + "Base A : prête.\r\nBase B : prête.\r\n", BoxIcon::Information);
  EXPECT_EQ(exitCode, ExitCode::Success);
  ExpectNothingWritten();

  for (const RunMode mode : {RunMode::Upgrade, RunMode::PreCheck}) {
    state = RunState{};
    platform.unloaded = false;
    platform.boxes.clear();
    Run(mode);
    EXPECT_EQ(exitCode, ExitCode::Success);
  }
  Box(std::string(kReady) + "Base A : déjà à jour.\r\nBase B : déjà à jour.\r\n",
      BoxIcon::Information);
}

TEST_F(PreCheckTest, AFirstBaseRefusedAsksForTheLoginAsTheRunDoes) {
  Server(Settings({{"A", "refuse = 0x80040006 for ADM\n"}}));
  Folders({R"(D:\BASES\A)"});
  Package({"A.DAT"});
  Bases({"A"});
  platform.dialogAnswers = {test::LoginOk("SUPPORT", "s3cret")};
  Run(RunMode::PreCheck);
  Box(std::string(kReady) + "Base A : prête.\r\n", BoxIcon::Information);
  EXPECT_EQ(exitCode, ExitCode::Success);
}

// One way a base would fail, and the reason the box gives.
struct WouldFail {
  const char* name;
  std::string settings;  // of base A
  std::function<void(test::TestPlatform&)> world;
  std::string reason;
};

class PreCheckReasonTest : public PreCheckTest, public ::testing::WithParamInterface<WouldFail> {};

const std::string kLongDirectory =
    R"(D:\)" + std::string(100, 'L') + "\\" + std::string(100, 'M') + "\\" + std::string(45, 'N');

TEST_P(PreCheckReasonTest, TheBoxSaysWhyAndNothingIsWritten) {
  Server(Settings({{"A", GetParam().settings}}));
  Package({"A.DAT"});
  Bases({"A"});
  if (GetParam().world) GetParam().world(platform);
  Run(RunMode::PreCheck);
  Box(std::string(kFailing) + "Base A : " + GetParam().reason + ".\r\n", BoxIcon::Critical);
  EXPECT_EQ(exitCode, ExitCode::PreCheckFailed);
  ExpectNothingWritten();
}

INSTANTIATE_TEST_SUITE_P(
    Reasons, PreCheckReasonTest,
    ::testing::Values(
        WouldFail{"OpenRefused", "refuse = 0x80040007\n", nullptr,
                  "ouverture refusée (erreur 0x80040007)"},
        WouldFail{"NoDirectory", "", nullptr, R"(répertoire D:\BASES\A introuvable)"},
        WouldFail{"InstallmajIsAFile", "",
                  [](test::TestPlatform& p) { p.WriteFile(R"(D:\BASES\A\INSTALLMAJ)", "x"); },
                  R"(D:\BASES\A\INSTALLMAJ est un fichier)"},
        WouldFail{"PathTooLong", "directory = " + kLongDirectory + "\n",
                  [](test::TestPlatform& p) { p.MakeFolder(kLongDirectory); },
                  "chemin trop long pour la copie"},
        WouldFail{"InstallmajReadOnly", "",
                  [](test::TestPlatform& p) {
                    p.MakeFolder(R"(D:\BASES\A\INSTALLMAJ)");
                    p.SetReadOnly(R"(D:\BASES\A\INSTALLMAJ)", true);
                  },
                  R"(écriture refusée dans D:\BASES\A\INSTALLMAJ)"},
        WouldFail{"BaseFolderReadOnly", "",
                  [](test::TestPlatform& p) {
                    p.MakeFolder(R"(D:\BASES\A)");
                    p.SetReadOnly(R"(D:\BASES\A)", true);
                  },
                  R"(écriture refusée dans D:\BASES\A)"},
        WouldFail{"NoRoom", "",
                  [](test::TestPlatform& p) {
                    p.MakeFolder(R"(D:\BASES\A)");
                    p.freeSpace = 5;
                  },
                  "place insuffisante sur le disque"},
        WouldFail{"Unreadable", "",
                  [](test::TestPlatform& p) { p.Fail("FindEntryKind", kWin32AccessDenied); },
                  R"(D:\BASES\A inaccessible (erreur 0x80070005))"},
        WouldFail{"FreeSpaceUnreadable", "",
                  [](test::TestPlatform& p) {
                    p.MakeFolder(R"(D:\BASES\A)");
                    p.Fail("FreeSpace", kWin32AccessDenied);
                  },
                  R"(D:\BASES\A inaccessible (erreur 0x80070005))"},
        WouldFail{"NoPackage", "",
                  [](test::TestPlatform& p) {
                    p.MakeFolder(R"(D:\BASES\A)");
                    std::filesystem::remove_all(p.Map(R"(C:\APP\INSTALLMAJ)"));
                  },
                  "paquet d'installation illisible (erreur 0x800A004C)"},
        // Only a record that is not there means "still to do".
        WouldFail{"RecordUnreadable", "[fault]\ncall = OpenFile\nerror = 0x80070005\n",
                  [](test::TestPlatform& p) { p.MakeFolder(R"(D:\BASES\A)"); },
                  "version illisible (erreur 0x80070005)"}),
    [](const auto& test) { return std::string(test.param.name); });

// Each end of the run, and the code the program exits with.
struct End {
  const char* name;
  std::string tail;
  Lines bases;  // none: no list file
  std::function<void(test::TestPlatform&)> script;
  RunMode mode;
  ExitCode code;
  std::string box = {};  // the last box's text, when it matters
  bool silent = false;   // nobody watches: no box, no dialog, no input box
};

class ExitCodeTest : public PreCheckTest, public ::testing::WithParamInterface<End> {};

// Thirty bases A, then one more.
Lines ThirtyAThen(const std::string& last) {
  Lines bases(30, "A");
  bases.push_back(last);
  return bases;
}

TEST_P(ExitCodeTest, EachEndHasItsCode) {
  Server(Settings({{"A", ""}, {"B", ""}}, GetParam().tail));
  Folders({R"(D:\BASES\A)", R"(D:\BASES\B)"});
  Package({"A.DAT"});
  if (!GetParam().bases.empty()) Bases(GetParam().bases);
  if (GetParam().script) GetParam().script(platform);
  bool alone = false;
  ASSERT_EQ(platform.ClaimSingleRun(alone), kOk);
  silent = GetParam().silent;
  Run(GetParam().mode);
  EXPECT_EQ(AsInt(exitCode), AsInt(GetParam().code));
  if (silent) {
    // Each box the run would show is in the log instead, text and icon.
    EXPECT_TRUE(platform.boxes.empty());
    const std::string log = platform.ReadFile(R"(C:\APP\MiseANiveau.log)");
    EXPECT_NE(log.find("Box: " + GetParam().box), std::string::npos) << log;
    EXPECT_NE(log.find("Box not shown, nobody watches: "), std::string::npos) << log;
    return;
  }
  // The upgrade holds the machine to its end; the pre-check lets go before
  // its last box, so that a box left open overnight holds no upgrade.
  ASSERT_FALSE(platform.boxes.empty());
  EXPECT_EQ(platform.boxes.back().held, GetParam().mode == RunMode::Upgrade);
  if (!GetParam().box.empty()) {
    EXPECT_EQ(BoxTexts().back(), GetParam().box);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Ends, ExitCodeTest,
    ::testing::Values(
        End{"Upgraded", "", {"A", "B"}, nullptr, RunMode::Upgrade, ExitCode::Success},
        End{"SomeNotUpgraded",
            "[fault]\ncall = Read\nbase = B\nerror = 0x8004000B\n",
            {"A", "B"},
            nullptr,
            RunMode::Upgrade,
            ExitCode::SomeNotUpgraded},
        // The first entry is tried all the same; the operator then types no directory.
        End{"NoBaseList",
            "",
            {},
            [](test::TestPlatform& p) { p.inputAnswers = {""}; },
            RunMode::Upgrade,
            ExitCode::NoBaseList},
        End{"NoBaseListTyped",
            "",
            {},
            [](test::TestPlatform& p) { p.inputAnswers = {R"(D:\BASES\A)"}; },
            RunMode::Upgrade,
            ExitCode::NoBaseList},
        End{"LoginCancelled",
            "[base C]\ndirectory = D:\\C\nrefuse = 0x80040006 for ADM\n",
            {"C"},
            [](test::TestPlatform& p) { p.dialogAnswers = {test::LoginCancel()}; },
            RunMode::Upgrade,
            ExitCode::LoginCancelled},
        End{"NoDirectory",
            "[fault]\ncall = QUI\nanswer = empty\n",
            {"A"},
            [](test::TestPlatform& p) { p.inputAnswers = {""}; },
            RunMode::Upgrade,
            ExitCode::NoDirectory},
        End{"OpenRefused",
            "[base C]\ndirectory = D:\\C\nrefuse = 0x80040006\n",
            {"A", "C"},
            nullptr,
            RunMode::Upgrade,
            ExitCode::OpenRefused},
        End{"PreCheckNoBaseList",
            "",
            {},
            nullptr,
            RunMode::PreCheck,
            ExitCode::NoBaseList,
            "Vérification impossible : aucune base dans \\\\127.0.0.1\\UNIDATA\\BASES.TXT."},
        End{"PreCheckLoginCancelled",
            "[base C]\ndirectory = D:\\C\nrefuse = 0x80040006 for ADM\n",
            {"C"},
            [](test::TestPlatform& p) { p.dialogAnswers = {test::LoginCancel()}; },
            RunMode::PreCheck,
            ExitCode::LoginCancelled},
        End{"ThirtyOneBases", "", ThirtyAThen("B"), nullptr, RunMode::Upgrade,
            ExitCode::SomeNotUpgraded},
        End{"PreCheckThirtyOneBases", "", ThirtyAThen("B"), nullptr, RunMode::PreCheck,
            ExitCode::PreCheckFailed,
            [] {
              std::string box = kFailing;
              for (int i = 0; i < 30; ++i) box += "Base A : prête.\r\n";
              return box + "Bases au-delà de la trentième non traitées : B.\r\n";
            }()},
        End{"SilentUpgraded",
            "",
            {"A", "B"},
            nullptr,
            RunMode::Upgrade,
            ExitCode::Success,
            "Mise à jour du serveur terminée avec succès.",
            true},
        // The operator is never asked: the base is not upgraded, the run goes on.
        End{"SilentDirectoryUnknown",
            "[fault]\ncall = QUI\nbase = A\nanswer = empty\n",
            {"A", "B"},
            nullptr,
            RunMode::Upgrade,
            ExitCode::SomeNotUpgraded,
            "La mise à jour du serveur contient des erreurs.",
            true},
        End{"SilentLoginNeeded",
            "[base C]\ndirectory = D:\\C\nrefuse = 0x80040006 for ADM\n",
            {"C"},
            nullptr,
            RunMode::PreCheck,
            ExitCode::LoginNeeded,
            "Connexion demandée",
            true}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(PreCheckTest, AComponentThatCannotBeCreatedHasItsCodeInBothModes) {
  Server(Settings({{"A", ""}}));
  Bases({"A"});
  test::Switchboard board(*dba);
  board.failCreateClient = {1, 2};
  for (const RunMode mode : {RunMode::Upgrade, RunMode::PreCheck}) {
    platform.unloaded = false;
    state = RunState{};
    EXPECT_EQ(ExitCodeOf(Form_Load(state, platform.All(), board, mode)), ExitCode::NoComponent);
  }
}

TEST(ExitCodeOfTest, EachRecordGivesItsCode) {
  using enum Ending;
  using L = ListState;
  const struct {
    RunRecord record;
    ExitCode code;
  } rows[] = {
      {{RunMode::Upgrade, Summary, L::Read, 3, 0}, ExitCode::Success},
      {{RunMode::Upgrade, Summary, L::Read, 2, 1}, ExitCode::SomeNotUpgraded},
      {{RunMode::Upgrade, Summary, L::TooMany, 30, 0}, ExitCode::SomeNotUpgraded},
      {{RunMode::Upgrade, Summary, L::Incomplete, 4, 0}, ExitCode::SomeNotUpgraded},
      {{RunMode::Upgrade, Summary, L::NoBase, 1, 0}, ExitCode::NoBaseList},
      {{RunMode::Upgrade, NoDirectory, L::NoBase, 0, 0}, ExitCode::NoBaseList},
      {{RunMode::Upgrade, LoginCancelled, L::Read, 0, 0}, ExitCode::LoginCancelled},
      {{RunMode::Upgrade, NoDirectory, L::TooMany, 1, 0}, ExitCode::NoDirectory},
      {{RunMode::Upgrade, OpenRefused, L::Read, 1, 0}, ExitCode::OpenRefused},
      {{RunMode::Upgrade, NoComponent, L::NoBase, 0, 0}, ExitCode::NoComponent},
      {{RunMode::Upgrade, AnotherRun, L::Read, 0, 0}, ExitCode::AnotherRun},
      {{RunMode::Usage, Usage, L::Read, 0, 0}, ExitCode::Success},
      {{RunMode::Unknown, UnknownArgument, L::Read, 0, 0}, ExitCode::CommandLine},
      {{RunMode::Upgrade, Unexpected, L::Read, 0, 0}, ExitCode::Unexpected},
      {{RunMode::PreCheck, Summary, L::Read, 2, 0}, ExitCode::Success},
      {{RunMode::PreCheck, Summary, L::Read, 1, 1}, ExitCode::PreCheckFailed},
      {{RunMode::PreCheck, Summary, L::TooMany, 30, 0}, ExitCode::PreCheckFailed},
      {{RunMode::PreCheck, NoBaseList, L::NoBase, 0, 0}, ExitCode::NoBaseList},
      {{RunMode::PreCheck, LoginNeeded, L::Read, 0, 0}, ExitCode::LoginNeeded},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(AsInt(ExitCodeOf(row.record)), AsInt(row.code))
        << static_cast<int>(row.record.end) << " " << static_cast<int>(row.record.list);
  }
}

TEST(CommandLineTest, SwitchesAreReadWhateverTheirCaseAndAnythingElseShowsTheUsage) {
  EXPECT_EQ(ReadCommandLine({}), RunMode::Upgrade);
  for (const char* word : {"/VERIFIER", "/verifier", "/VeRiFiEr"}) {
    EXPECT_EQ(ReadCommandLine({word}), RunMode::PreCheck) << word;
  }
  EXPECT_EQ(ReadCommandLine({"/?"}), RunMode::Usage);
  // Silence goes with the upgrade or the pre-check, in either order, once.
  EXPECT_EQ(ReadCommandLine({"/silencieux"}), RunMode::Upgrade);
  for (const Lines& both : {Lines{"/VERIFIER", "/Silencieux"}, Lines{"/SILENCIEUX", "/verifier"}}) {
    EXPECT_EQ(ReadCommandLine(both), RunMode::PreCheck) << both.front();
    EXPECT_TRUE(AsksForSilence(both));
  }
  for (const Lines& other : {Lines{"/SILENCIEUX", "/?"}, Lines{"/SILENCIEUX", "/SILENCIEUX"},
                             Lines{"/SILENCIEUX", "/X"}}) {
    EXPECT_EQ(ReadCommandLine(other), RunMode::Unknown) << other.back();
  }
  EXPECT_FALSE(AsksForSilence({"/VERIFIER"}));
  for (const Lines& other : {Lines{"/VERIFER"}, Lines{"VERIFIER"}, Lines{"/VERIFIER", "/?"}}) {
    EXPECT_EQ(ReadCommandLine(other), RunMode::Unknown) << other.front();
  }

  // An unknown argument is named as it was typed, quotes and all.
  for (const auto& [line, typed] : std::vector<std::pair<std::string, std::string>>{
           {R"(MiseANiveau.exe "")", R"("")"},
           {R"("C:\Program Files\MiseANiveau.exe"  /VERIFER x)", "/VERIFER x"},
           {"MiseANiveau.exe", ""}}) {
    EXPECT_EQ(ArgumentsAsTyped(line), typed) << line;
  }

  test::TestPlatform platform;
  EXPECT_EQ(ExitCodeOf({.end = ShowUsage(platform, RunMode::Usage, "/?")}), ExitCode::Success);
  EXPECT_EQ(ExitCodeOf({.end = ShowUsage(platform, RunMode::Unknown, "/VERIFER")}),
            ExitCode::CommandLine);
  const std::string usage =
      "MiseANiveau.exe : met à jour les bases de \\\\127.0.0.1\\UNIDATA\\BASES.TXT.\r\n"
      "MiseANiveau.exe /VERIFIER : vérifie les bases sans rien modifier.\r\n"
      "MiseANiveau.exe /? : affiche cette aide.";
  ASSERT_EQ(platform.boxes.size(), 2u);
  EXPECT_EQ(platform.boxes[0].text, usage);
  EXPECT_EQ(platform.boxes[0].icon, BoxIcon::Information);
  EXPECT_EQ(platform.boxes[1].text, "Paramètre inconnu : /VERIFER\r\n\r\n" + usage);
  EXPECT_EQ(platform.boxes[1].icon, BoxIcon::Critical);
  EXPECT_EQ(platform.calls, (Lines{"MsgBox(" + usage + ")",
                                   "MsgBox(Paramètre inconnu : /VERIFER\r\n\r\n" + usage + ")"}));
}

}  // namespace
}  // namespace maj
