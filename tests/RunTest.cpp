// Whole runs, from the main window's load handler to its unloading, on the
// test platform against the in-process stand-in server: what the operator
// sees, in which window state, what the server receives, and the files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

#include "app/VersionFile.h"
#include "steps/Recup_Base.h"
#include "tests/support/RunFixture.h"

namespace maj {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* kTitle = "Message MERIDOXAN";
constexpr const char* kNoDirectory =
    "PB DANS LA RECUPERATION DU CHEMIN DE LA BASE DE DONNEES. MERCI D'APPELER MERIDOXAN";
constexpr const char* kCancelled = "Les bases de données n'ont pas été mise a jour.";

struct Base {
  Base(std::string e, std::string l = "", std::string d = "")
      : entry(std::move(e)), lines(std::move(l)), directory(std::move(d)) {}
  std::string entry;
  std::string lines;      // more settings of the base (a refusal, a store)
  std::string directory;  // D:\BASES\<entry> when empty
};

// Settings with the administrator (unless `adm` is false), one other user and
// the bases; `tail` is appended as it is (faults).
std::string Settings(const std::vector<Base>& bases, const std::string& tail = "",
                     bool adm = true) {
  std::string text = std::string("[users]\n") + (adm ? "ADM =\n" : "") + "SUPPORT = s3cret\n";
  for (const auto& base : bases) {
    const std::string dir = base.directory.empty() ? "D:\\BASES\\" + base.entry : base.directory;
    text += "[base " + base.entry + "]\ndirectory = " + dir + "\n" + base.lines;
  }
  return text + tail;
}

std::string Success(const Lines& lines) {
  std::string text = "Mise à jour du serveur terminée avec succès.\r\n\r\n";
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

class RunTest : public test::RunFixture {
 protected:
  // The folders of these bases, a two-file package and the base list.
  void Prepare(const Lines& bases) {
    for (const auto& base : bases) Folders({R"(D:\BASES\)" + base});
    Package({"A.DAT", "B.DAT"});
    Bases(bases);
  }
  Lines Filter(const std::string& word) const {
    Lines out;
    for (const auto& line : server->Journal()) {
      if (line.find(word) != std::string::npos) out.push_back(line);
    }
    return out;
  }
  Lines Window() const {
    return platform.Calls({"SetBusyPointer", "EnableMainWindow", "MsgBox", "ShowModal", "InputBox",
                           "UnloadMainWindow"});
  }
  void ExpectEndedEarly() {
    EXPECT_TRUE(platform.unloaded);
    EXPECT_FALSE(platform.Exists(kVersionFilePath)) << "an early exit touched the marker file";
    EXPECT_TRUE(platform.Calls({"FindEntry(\\\\127.0.0.1"}).empty());
    EXPECT_NE(Journal().back().find("Disconnect() -> 0"), std::string::npos);
    EXPECT_FALSE(state.MyDatabase);
    EXPECT_FALSE(state.W_Params);
    EXPECT_FALSE(state.W_Reponse);
  }
};

TEST_F(RunTest, OneBaseFollowsTheWholeRoad) {
  Server(Settings({{"X"}}));
  Prepare({"X"});
  platform.WriteFile(platform.appPath + R"(\INSTALLMAJ\SUB\NOT.DAT)", "x");
  Run();

  EXPECT_EQ(
      Journal(),
      (Lines{
          R"(client 1: Create() -> 0)",
          R"(client 1: Connect(user="ADM", password="", third="") -> 0)",
          R"(client 1: OpenDatabase(name="MERIDOXAN", entry="X") -> 0)",
          R"(base X: Execute(command=["P", "QUI"], argument="") -> 0 answer=["D:\BASES\X"])",
          R"(base X: Execute(command=["P", "LANCEMAJCD C:\APP D VIDE D:\BASES\X"], argument="") -> 0 answer=["OK"])",
          R"(base X: OpenFile(name="INSTALLMAJ") -> 0)",
          R"(base X: Read(file="INSTALLMAJ", key="712") -> 0 record=["C:\APP", "D", "D:\BASES\X"])",
          R"(client 1: Disconnect() -> 0)",
          R"(client 2: Create() -> 0)",
          R"(client 2: Connect(user="ADM", password="", third="") -> 0)",
          R"(client 2: Disconnect() -> 0)",
      }));
  EXPECT_EQ(platform.commands,
            (Lines{R"(xcopy "C:\APP\INSTALLMAJ\A.DAT" "D:\BASES\X\INSTALLMAJ" /C /Y)",
                   R"(xcopy "C:\APP\INSTALLMAJ\B.DAT" "D:\BASES\X\INSTALLMAJ" /C /Y)"}));
  EXPECT_EQ(platform.ReadFile(R"(D:\BASES\X\INSTALLMAJ\B.DAT)"), "contents of B.DAT");
  EXPECT_FALSE(platform.Exists(R"(D:\BASES\X\INSTALLMAJ\NOT.DAT)"));

  // Busy and disabled for the whole run; restored before the one summary box.
  EXPECT_EQ(Window(),
            (Lines{"SetBusyPointer(true)", "EnableMainWindow(false)", "SetBusyPointer(false)",
                   "EnableMainWindow(true)", "MsgBox(" + Success({"Base X : mise à jour."}) + ")",
                   "UnloadMainWindow"}));
  ASSERT_EQ(platform.boxes.size(), 1u);
  EXPECT_EQ(platform.boxes[0].icon, BoxIcon::Information);
  EXPECT_EQ(platform.boxes[0].title, kTitle);
  EXPECT_FALSE(platform.boxes[0].busy);
  EXPECT_TRUE(platform.boxes[0].enabled);
  EXPECT_EQ(platform.ReadFile(kVersionFilePath), "\r\n");

  // What the run leaves behind.
  EXPECT_TRUE(state.MyClient);
  EXPECT_FALSE(state.MyDatabase);
  EXPECT_FALSE(state.W_Params);
  EXPECT_FALSE(state.W_Reponse);
  EXPECT_EQ(state.G_Utilisateur, "ADM");
  EXPECT_EQ(state.G_MotPasse, "");
  EXPECT_EQ(state.G_Bool, True);
  EXPECT_EQ(state.G_Version, "712");
  EXPECT_EQ(state.G_MajOk, True);
  EXPECT_EQ(state.W_CheminBase, R"(D:\BASES\X)");
  EXPECT_EQ(state.W_Lecteur, "D");
}

TEST_F(RunTest, ThreeBasesWithTheMiddleOneFailingShowTheErrorForm) {
  Server(Settings({{"A"}, {"B"}, {"C"}},
                  "[fault]\ncall = LANCEMAJCD\nbase = B\nerror = 0x80004005\n"));
  Prepare({"A", "B", "C"});
  Run();
  ASSERT_EQ(BoxTexts(), (Lines{"La mise à jour du serveur contient des erreurs.\r\n\r\n"
                               "Base A : mise à jour.\r\n"
                               "\r\n"
                               "Base C : mise à jour.\r\n"
                               "\r\n"
                               "Base B : non mise à jour.\r\n"
                               "\r\n"
                               "Veuillez contacter MERIDOXAN."}));
  EXPECT_EQ(platform.boxes[0].icon, BoxIcon::Critical);
  EXPECT_EQ(platform.boxes[0].title, kTitle);
  const Lines upgrades = Filter("LANCEMAJCD");
  ASSERT_EQ(upgrades.size(), 3u);
  EXPECT_EQ(
      upgrades[0].rfind(
          R"(base A: Execute(command=["P", "LANCEMAJCD C:\APP D VIDE D:\BASES\A"], argument="") -> 0)",
          0),
      0u);
  EXPECT_EQ(
      upgrades[1].rfind(
          R"(base B: Execute(command=["P", "LANCEMAJCD C:\APP D VIDE D:\BASES\B"], argument="") -> 0x80004005)",
          0),
      0u);
  EXPECT_EQ(
      upgrades[2].rfind(
          R"(base C: Execute(command=["P", "LANCEMAJCD C:\APP D VIDE D:\BASES\C"], argument="") -> 0)",
          0),
      0u);
  // A new client for each base after the first, and one more after the last.
  EXPECT_EQ(Filter("Create()").size(), 4u);
  EXPECT_EQ(platform.ReadFile(kVersionFilePath), "\r\n");
}

TEST_F(RunTest, AllBasesFailedShowsNoSuccessLine) {
  Server(Settings({{"A"}, {"B"}}, "[fault]\ncall = Read\nerror = 0x8004000B\n"));
  Prepare({"A", "B"});
  Run();
  EXPECT_EQ(BoxTexts(), (Lines{"La mise à jour du serveur contient des erreurs.\r\n\r\n\r\n"
                               "Base A : non mise à jour.\r\n"
                               "Base B : non mise à jour.\r\n\r\n"
                               "Veuillez contacter MERIDOXAN."}));
}

// The 31st base is never opened, and the operator and the script both hear
// of it: the summary names it and takes the error form.
TEST_F(RunTest, ThirtyEntriesAreAllProcessedAndAThirtyFirstNever) {
  Lines bases;
  std::vector<Base> settings;
  for (int i = 1; i <= 31; ++i) {
    bases.push_back("B" + std::to_string(i));
    settings.push_back({bases.back()});
  }
  Server(Settings(settings));
  Prepare(bases);
  Run();
  const Lines opens = Filter("OpenDatabase");
  ASSERT_EQ(opens.size(), 30u);
  EXPECT_NE(opens.back().find(R"(entry="B30")"), std::string::npos);
  std::string text = "La mise à jour du serveur contient des erreurs.\r\n\r\n";
  for (int i = 1; i <= 30; ++i) text += "Base B" + std::to_string(i) + " : mise à jour.\r\n";
  text +=
      "\r\nBases au-delà de la trentième non traitées : B31.\r\n\r\nVeuillez contacter MERIDOXAN.";
  EXPECT_EQ(BoxTexts(), Lines{text});
  EXPECT_EQ(exitCode, ExitCode::SomeNotUpgraded);
}

TEST_F(RunTest, AnEmptyEntryEndsTheListWhateverFollows) {
  Server(Settings({{"A"}, {"B"}}));
  Prepare({"A", "B"});
  Bases({"A", "", "B"});
  Run();
  EXPECT_EQ(Filter("OpenDatabase").size(), 1u);
  EXPECT_EQ(BoxTexts(), Lines{Success({"Base A : mise à jour."})});
}

TEST_F(RunTest, AMissingListStillTriesEntryOneOnce) {
  Server(Settings({{"A"}}));
  Package({"A.DAT"});
  platform.inputAnswers = {""};
  Run();
  EXPECT_EQ(Filter("OpenDatabase").size(), 1u);
  EXPECT_NE(Filter("OpenDatabase")[0].find(R"(entry="") -> 0x80040202)"), std::string::npos);
  EXPECT_EQ(platform.prompts,
            Lines{"Saisir le chemin de la base .\r\n(ex:D:\\BASESCLIENTS\\BASEAFA)"});
  EXPECT_EQ(BoxTexts(), Lines{kNoDirectory});
  ExpectEndedEarly();
}

TEST_F(RunTest, AZeroLengthListStillTriesEntryOneOnce) {
  Server(Settings({{"A"}}));
  Package({"A.DAT"});
  platform.WriteFile(kBaseListPath, "");
  platform.inputAnswers = {""};
  Run();
  EXPECT_EQ(Filter("OpenDatabase").size(), 1u);
  EXPECT_EQ(platform.prompts.size(), 1u);
  EXPECT_EQ(BoxTexts(), Lines{kNoDirectory});
  ExpectEndedEarly();
}

TEST_F(RunTest, AnEmptyFirstEntryStillCountsAsOneBaseOnTheTaskbar) {
  Server(Settings({{"A"}}));
  Package({"A.DAT"});
  Folders({R"(D:\BASES\A)"});
  Bases({"", "A"});
  platform.inputAnswers = {R"(d:\bases\a)"};
  Run();
  EXPECT_EQ(Filter("OpenDatabase").size(), 2u);
  // Entry 1 is walked, then A: two bases, never 1/0 then 2/1.
  EXPECT_EQ(platform.taskbar, (Lines{"Normal 0/2", "Error 1/2", "Error 2/2", "None 0/0"}));
}

class LoginTest : public RunTest, public ::testing::WithParamInterface<ErrorNumber> {};

TEST_P(LoginTest, FirstBaseRefusedAsksForALoginUntilTheBaseOpens) {
  char refuse[64];
  std::snprintf(refuse, sizeof refuse, "refuse = 0x%08X for ADM\n", GetParam());
  Server(Settings({{"A", refuse}, {"B"}}));
  Prepare({"A", "B"});
  platform.dialogAnswers = {test::LoginOk("SUPPORT", "wrong"), test::LoginOk("SUPPORT", "s3cret")};
  Run();

  // The dialog came twice: first with the system login name, all of it
  // selected, then with the name typed; the password box empty each time.
  ASSERT_EQ(platform.dialogs.size(), 2u);
  const auto& first = platform.dialogs[0];
  EXPECT_EQ(first.caption, "Identification");
  EXPECT_EQ(first.boxes.at("Txt_Utilisateur").text, "operateur");
  EXPECT_EQ(first.boxes.at("Txt_Utilisateur").selStart, 0);
  EXPECT_EQ(first.boxes.at("Txt_Utilisateur").selLength, 9);
  EXPECT_EQ(first.boxes.at("Txt_MotPasse").text, "");
  EXPECT_FALSE(first.busy);
  EXPECT_TRUE(first.enabled);
  EXPECT_EQ(platform.dialogs[1].boxes.at("Txt_Utilisateur").text, "SUPPORT");
  EXPECT_EQ(platform.dialogs[1].boxes.at("Txt_MotPasse").text, "");

  // No open-failure box; both bases done with the typed login.
  EXPECT_EQ(BoxTexts(), Lines{Success({"Base A : mise à jour.", "Base B : mise à jour."})});
  EXPECT_EQ(Filter(R"(Connect(user="SUPPORT")").size(), 4u);  // wrong, right, between, after
  EXPECT_EQ(state.G_Utilisateur, "SUPPORT");

  // The pointer and the window were restored before the dialog and never
  // made busy or disabled again.
  EXPECT_EQ(Window(),
            (Lines{"SetBusyPointer(true)", "EnableMainWindow(false)", "SetBusyPointer(false)",
                   "EnableMainWindow(true)", "ShowModal(Identification)",
                   "ShowModal(Identification)", "SetBusyPointer(false)", "EnableMainWindow(true)",
                   "MsgBox(" + BoxTexts()[0] + ")", "UnloadMainWindow"}));
  // The password typed reaches the server, but no journal line, no command
  // line, no file (but the server's own user list), and it is wiped at the end.
  for (const auto& line : Journal()) EXPECT_EQ(line.find("s3cret"), std::string::npos) << line;
  for (const auto& line : platform.calls) EXPECT_EQ(line.find("s3cret"), std::string::npos) << line;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(platform.Root())) {
    if (!entry.is_regular_file() || entry.path().filename() == "settings.txt") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(bytes.find("s3cret"), std::string::npos) << entry.path();
  }
  EXPECT_EQ(state.G_MotPasse, "");
}

INSTANTIATE_TEST_SUITE_P(BothNumbers, LoginTest,
                         ::testing::Values(kDbaOpenRefused, kDbaLoginNeeded));

TEST_F(RunTest, ADialogClosedWithoutAButtonRetriesTheSameLogin) {
  Server(Settings({{"A"}}, "", false));
  Prepare({"A"});
  platform.dialogAnswers = {test::LoginClose(), test::LoginOk("SUPPORT", "s3cret")};
  Run();
  ASSERT_EQ(platform.dialogs.size(), 2u);
  // The close ran no handler: the retry used the system name, still refused.
  EXPECT_EQ(platform.dialogs[1].boxes.at("Txt_Utilisateur").text, "operateur");
  EXPECT_EQ(Filter(R"(Connect(user="operateur")").size(), 1u);
  EXPECT_EQ(BoxTexts(), Lines{Success({"Base A : mise à jour."})});
}

TEST_F(RunTest, CancellingTheLoginEndsTheRunByExitLoginCancelled) {
  Server(Settings({{"A"}}, "", false));
  Prepare({"A"});
  platform.dialogAnswers = {test::LoginCancel()};
  Run();
  EXPECT_EQ(BoxTexts(), Lines{kCancelled});
  EXPECT_EQ(platform.boxes[0].icon, BoxIcon::Critical);
  EXPECT_EQ(platform.boxes[0].title, kTitle);
  EXPECT_FALSE(platform.boxes[0].busy);
  EXPECT_TRUE(platform.boxes[0].enabled);
  EXPECT_TRUE(platform.commands.empty());
  EXPECT_EQ(Window().back(), "UnloadMainWindow");
  EXPECT_EQ(state.G_Bool, False);  // no Connect of the run succeeded
  ExpectEndedEarly();
}

TEST_F(RunTest, SecondBaseRefusedEndsTheRunByExitOpenRefusedWithoutTheFirstOutcome) {
  Server(Settings({{"A"}, {"B", "refuse = 0x80040006\n"}}));
  Prepare({"A", "B"});
  Run();
  EXPECT_EQ(BoxTexts(), Lines{"Problème dans l'ouverture de la Base de données : B\r\n"
                              "Merci de contacter MERIDOXAN"});
  EXPECT_EQ(platform.boxes[0].icon, BoxIcon::Critical);
  // Shown while the run is still busy; restored only afterwards.
  EXPECT_TRUE(platform.boxes[0].busy);
  EXPECT_FALSE(platform.boxes[0].enabled);
  const Lines calls = platform.calls;
  const auto box = std::find(calls.begin(), calls.end(), "MsgBox(" + BoxTexts()[0] + ")");
  ASSERT_NE(box, calls.end());
  EXPECT_EQ(Lines(box + 1, calls.end()), (Lines{"DoEvents", "SetBusyPointer(false)",
                                                "EnableMainWindow(true)", "UnloadMainWindow"}));
  EXPECT_TRUE(platform.dialogs.empty());
  ExpectEndedEarly();
}

TEST_F(RunTest, SecondBaseRefusedOtherwiseGoesOnAndIsNotUpgraded) {
  Server(Settings({{"A"}, {"B", "refuse = 0x80040019\n"}, {"C"}}));
  Prepare({"A", "B", "C"});
  // B cannot be asked for its directory. The operator is asked, instead of
  // B silently taking the answer the server last gave for A.
  platform.inputAnswers = {R"(d:\bases\b)"};
  Run();
  EXPECT_EQ(platform.prompts,
            Lines{"Saisir le chemin de la base B.\r\n(ex:D:\\BASESCLIENTS\\BASEAFA)"});
  EXPECT_TRUE(platform.dialogs.empty());
  EXPECT_EQ(BoxTexts(), (Lines{"La mise à jour du serveur contient des erreurs.\r\n\r\n"
                               "Base A : mise à jour.\r\n\r\n"
                               "Base C : mise à jour.\r\n\r\n"
                               "Base B : non mise à jour.\r\n\r\n"
                               "Veuillez contacter MERIDOXAN."}));
  EXPECT_TRUE(platform.Exists(R"(D:\BASES\B\INSTALLMAJ\A.DAT)"));
  EXPECT_EQ(Filter("LANCEMAJCD").size(), 2u);
}

TEST_F(RunTest, TheDirectoryComesFromTheFirstAnsweredQueryAsTheServerWritesIt) {
  Server(Settings({{"A", "", R"(D:\Bases\a)"}, {"B"}},
                  "[fault]\ncall = QUI\nbase = B\nanswer = empty\ntimes = 1\n"));
  Prepare({"A", "B"});
  Folders({R"(D:\Bases\a)"});
  Run();
  EXPECT_EQ(Filter("QUI").size(), 3u);  // one for A, two for B
  EXPECT_TRUE(platform.prompts.empty());
  // The server's answer is taken as it is, never upper-cased.
  EXPECT_NE(Filter("LANCEMAJCD")[0].find(R"("LANCEMAJCD C:\APP D VIDE D:\Bases\a")"),
            std::string::npos);
  EXPECT_TRUE(platform.Exists(R"(D:\Bases\a\INSTALLMAJ\A.DAT)"));
  EXPECT_EQ(BoxTexts(), Lines{Success({"Base A : mise à jour.", "Base B : mise à jour."})});
}

TEST_F(RunTest, NoAnswerTwiceAsksTheOperatorAndUpperCasesTheTypedPath) {
  Server(Settings({{"A"}}, "[fault]\ncall = QUI\nanswer = empty\n"));
  Prepare({"A"});
  platform.inputAnswers = {R"(d:\bases\a)"};
  Run();
  EXPECT_EQ(Filter("QUI").size(), 2u);
  EXPECT_EQ(platform.prompts,
            Lines{"Saisir le chemin de la base A.\r\n(ex:D:\\BASESCLIENTS\\BASEAFA)"});
  EXPECT_EQ(platform.commands[0],
            R"(xcopy "C:\APP\INSTALLMAJ\A.DAT" "D:\BASES\A\INSTALLMAJ" /C /Y)");
  EXPECT_NE(Filter("LANCEMAJCD")[0].find(R"("LANCEMAJCD C:\APP D VIDE D:\BASES\A")"),
            std::string::npos);
  EXPECT_EQ(state.W_CheminBase, R"(D:\BASES\A)");
  EXPECT_EQ(state.W_Lecteur, "D");
  EXPECT_EQ(BoxTexts(), Lines{Success({"Base A : mise à jour."})});
}

TEST_F(RunTest, AnEmptyTypedPathEndsTheRunByExitNoDirectory) {
  Server(Settings({{"A"}, {"B"}}, "[fault]\ncall = QUI\nbase = B\nanswer = empty\n"));
  Prepare({"A", "B"});
  platform.inputAnswers = {""};
  Run();
  EXPECT_EQ(BoxTexts(), Lines{kNoDirectory});
  EXPECT_EQ(platform.boxes[0].icon, BoxIcon::Critical);
  EXPECT_EQ(platform.boxes[0].title, kTitle);
  EXPECT_TRUE(platform.boxes[0].busy);
  EXPECT_FALSE(platform.boxes[0].enabled);
  EXPECT_EQ(Window().back(), "UnloadMainWindow");
  EXPECT_EQ(platform.calls.end()[-4], "DoEvents");
  EXPECT_EQ(Filter("LANCEMAJCD").size(), 1u);  // A only
  ExpectEndedEarly();
}

TEST_F(RunTest, ADirectoryThatCannotBeQuotedCountsAsNoAnswer) {
  Server(Settings({{"A", "", "D:\\BASES\\A\" /EXCLUDE:x"}}));
  Prepare({"A"});
  platform.inputAnswers = {""};
  Run();
  EXPECT_EQ(Filter("QUI").size(), 2u);
  EXPECT_TRUE(platform.commands.empty());
  EXPECT_EQ(BoxTexts(), Lines{kNoDirectory});
}

TEST_F(RunTest, OnlyARecordActuallyReadCountsAsUpgraded) {
  // An absent key, another failure of the read, a file that cannot be opened.
  Server(Settings({{"A"}, {"B"}, {"C"}, {"D"}},
                  "[fault]\ncall = Read\nbase = A\nerror = 0x8004000B\n"
                  "[fault]\ncall = Read\nbase = B\nerror = 0x80004005\n"
                  "[fault]\ncall = OpenFile\nbase = C\nerror = 0x80040203\n"));
  Prepare({"A", "B", "C", "D"});
  Run();
  EXPECT_EQ(BoxTexts(), (Lines{"La mise à jour du serveur contient des erreurs.\r\n\r\n"
                               "\r\n\r\n\r\n"
                               "Base D : mise à jour.\r\n\r\n"
                               "Base A : non mise à jour.\r\n"
                               "Base B : non mise à jour.\r\n"
                               "Base C : non mise à jour.\r\n\r\n"
                               "Veuillez contacter MERIDOXAN."}));
}

TEST_F(RunTest, AFailedUpgradeCommandStillCountsARecordAlreadyThere) {
  std::filesystem::create_directories(platform.Root() / "DBA-data/bases/A");
  std::ofstream(platform.Root() / "DBA-data/bases/A/INSTALLMAJ.txt") << "712 = earlier\n";
  Server(Settings({{"A"}}, "[fault]\ncall = LANCEMAJCD\nerror = 0x80004005\n"));
  Prepare({"A"});
  Run();
  EXPECT_NE(Filter("LANCEMAJCD")[0].find("-> 0x80004005"), std::string::npos);
  EXPECT_EQ(BoxTexts(), Lines{Success({"Base A : mise à jour."})});
}

TEST_F(RunTest, AnEarlyExitLeavesTheMarkerFileAlone) {
  Server(Settings({{"A"}}, "[fault]\ncall = QUI\nanswer = empty\n"));
  Prepare({"A"});
  platform.WriteFile(kVersionFilePath, "712\r\nOK\r\n");
  platform.inputAnswers = {""};
  Run();
  EXPECT_EQ(platform.ReadFile(kVersionFilePath), "712\r\nOK\r\n");
}

TEST_F(RunTest, ACompletedRunRewritesTheMarkerFile) {
  Server(Settings({{"A"}}));
  Prepare({"A"});
  platform.WriteFile(kVersionFilePath, "712\r\nOK\r\n");
  Run();
  EXPECT_EQ(platform.ReadFile(kVersionFilePath), "\r\n712\r\nOK\r\n");
}

}  // namespace
}  // namespace maj
