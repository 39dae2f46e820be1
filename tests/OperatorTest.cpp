// What operators meet on a real server: bases whose package cannot be placed,
// a second run started beside the first, the main window closed mid-run, a
// path pasted between quotes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Rapport.h"
#include "app/SingleRun.h"
#include "steps/BasePath.h"
#include "tests/support/RunFixture.h"

namespace maj {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* kNoDirectory =
    "PB DANS LA RECUPERATION DU CHEMIN DE LA BASE DE DONNEES. MERCI D'APPELER MERIDOXAN";

// The administrator, and the bases, each in the directory given.
std::string Settings(const std::vector<std::pair<std::string, std::string>>& bases,
                     const std::string& tail = "") {
  std::string text = "[users]\nADM =\n";
  for (const auto& [entry, directory] : bases) {
    text += "[base " + entry + "]\ndirectory = " + directory + "\n";
  }
  return text + tail;
}

class OperatorTest : public test::RunFixture {
 protected:
  Lines Lancemajcd() const {
    Lines out;
    for (const auto& line : server->Journal()) {
      if (line.find("LANCEMAJCD") != std::string::npos) out.push_back(line.substr(0, 7));
    }
    return out;
  }
};

TEST_F(OperatorTest, ABaseWhoseCopiesCannotBeNamedIsNotUpgradedAndTheRunGoesOn) {
  // A directory of 250 characters: its INSTALLMAJ folder alone passes MAX_PATH.
  const std::string longDirectory =
      R"(D:\)" + std::string(100, 'L') + "\\" + std::string(100, 'M') + "\\" + std::string(45, 'N');
  ASSERT_EQ(longDirectory.size(), 250u);
  Server(Settings({{"LONG", longDirectory}, {"B", R"(D:\BASES\B)"}}));
  Folders({longDirectory, R"(D:\BASES\B)"});
  Package({"A.DAT"});
  Bases({"LONG", "B"});
  Run();
  // Nothing copied, nothing created, the server not asked to upgrade it.
  EXPECT_FALSE(platform.Exists(longDirectory + R"(\INSTALLMAJ)"));
  EXPECT_EQ(platform.commands.size(), 1u);
  EXPECT_EQ(Lancemajcd(), Lines{"base B:"});
  EXPECT_EQ(BoxTexts(), (Lines{"La mise à jour du serveur contient des erreurs.\r\n\r\n"
                               "\r\n"
                               "Base B : mise à jour.\r\n\r\n"
                               "Base LONG : non mise à jour.\r\n\r\n"
                               "Veuillez contacter MERIDOXAN."}));
}

TEST_F(OperatorTest, AFileNamedInstallmajInABaseIsLeftUntouchedAndTheBaseIsNotUpgraded) {
  Server(Settings({{"A", R"(D:\BASES\A)"}, {"B", R"(D:\BASES\B)"}}));
  Folders({R"(D:\BASES\B)"});
  platform.WriteFile(R"(D:\BASES\A\INSTALLMAJ)", "kept as it is");
  Package({"A.DAT", "B.DAT"});
  Bases({"A", "B"});
  Run();
  EXPECT_EQ(platform.ReadFile(R"(D:\BASES\A\INSTALLMAJ)"), "kept as it is");
  EXPECT_EQ(platform.commands.size(), 2u);  // B's two files only
  EXPECT_EQ(Lancemajcd(), Lines{"base B:"});
  EXPECT_EQ(BoxTexts(), (Lines{"La mise à jour du serveur contient des erreurs.\r\n\r\n"
                               "\r\n"
                               "Base B : mise à jour.\r\n\r\n"
                               "Base A : non mise à jour.\r\n\r\n"
                               "Veuillez contacter MERIDOXAN."}));
}

TEST_F(OperatorTest, CloseRequestsAreRefusedWhileTheRunGoesOn) {
  // The first base asks for a login, which enables the main window; the
  // operator then asks to close it at the input box, and at the summary.
  Server(
      "[users]\nSUPPORT = s3cret\n[base A]\ndirectory = D:\\BASES\\A\n"
      "[fault]\ncall = QUI\nanswer = empty\n");
  Folders({R"(D:\BASES\A)"});
  Package({"A.DAT"});
  Bases({"A"});
  platform.dialogAnswers = {test::LoginOk("SUPPORT", "s3cret")};
  platform.inputAnswers = {R"(D:\BASES\A)"};
  platform.closeRequestAt = "InputBox";
  Run();
  EXPECT_EQ(platform.Calls({"RefuseClose", "SetBusyPointer(true)", "CloseRequest"}),
            (Lines{"RefuseClose(true)", "SetBusyPointer(true)", "CloseRequest(refused)"}));
  EXPECT_FALSE(platform.closedByOperator);
  EXPECT_TRUE(platform.unloaded);  // by the run's end, as before
  EXPECT_EQ(BoxTexts(), Lines{"Mise à jour du serveur terminée avec succès.\r\n\r\n"
                              "Base A : mise à jour.\r\n"});
}

TEST_F(OperatorTest, APathPastedBetweenQuotesIsTakenWithoutThem) {
  Server(Settings({{"A", R"(D:\BASES\A)"}, {"B", R"(D:\BASES\B)"}, {"C", R"(D:\BASES\C)"}},
                  "[fault]\ncall = QUI\nanswer = empty\n"));
  Folders({R"(D:\SAISIE\A)", R"(D:\SAISIE\B)", R"(D:\SAISIE\C)"});
  Package({"A.DAT"});
  Bases({"A", "B", "C"});
  // Windows' "Copy as path"; no quote; a pair pasted twice.
  platform.inputAnswers = {R"("d:\saisie\a")", R"(d:\saisie\b)", R"(""d:\saisie\c"")"};
  Run();
  EXPECT_EQ(
      platform.Calls({"ToUpper"}),
      (Lines{R"(ToUpper(d:\saisie\a))", R"(ToUpper(d:\saisie\b))", R"(ToUpper(d:\saisie\c))"}));
  for (const char* base : {"A", "B", "C"}) {
    EXPECT_EQ(platform.ReadFile(R"(D:\SAISIE\)" + std::string(base) + R"(\INSTALLMAJ\A.DAT)"),
              "contents of A.DAT");
  }
  EXPECT_EQ(WithoutOuterQuotes(R"("")"), "");
  EXPECT_EQ(WithoutOuterQuotes(R"(")"), "");
  EXPECT_EQ(WithoutOuterQuotes(R"("d:\a"b")"), R"(d:\a"b)");
}

TEST_F(OperatorTest, AStrayQuoteIsDroppedAndAQuoteInsideSkipsOnlyItsBase) {
  Server(Settings({{"A", R"(D:\BASES\A)"}, {"B", R"(D:\BASES\B)"}, {"C", R"(D:\BASES\C)"}},
                  "[fault]\ncall = QUI\nanswer = empty\n"));
  Folders({R"(D:\SAISIE\A)", R"(D:\SAISIE\B)", R"(D:\SAISIE\C)"});
  Package({"A.DAT"});
  Bases({"A", "B", "C"});
  // An opening quote alone; a quote inside; a closing quote alone.
  platform.inputAnswers = {R"("d:\saisie\a)", R"(d:\sai"sie\b)", R"(d:\saisie\c")"};
  Run();
  EXPECT_EQ(platform.ReadFile(R"(D:\SAISIE\A\INSTALLMAJ\A.DAT)"), "contents of A.DAT");
  EXPECT_EQ(platform.ReadFile(R"(D:\SAISIE\C\INSTALLMAJ\A.DAT)"), "contents of A.DAT");
  // B: nothing copied, the server not asked; the run goes on to the summary.
  EXPECT_EQ(platform.commands.size(), 2u);
  EXPECT_EQ(Lancemajcd(), (Lines{"base A:", "base C:"}));
  EXPECT_EQ(BoxTexts(), (Lines{"La mise à jour du serveur contient des erreurs.\r\n\r\n"
                               "Base A : mise à jour.\r\n"
                               "\r\n"
                               "Base C : mise à jour.\r\n\r\n"
                               "Base B : non mise à jour.\r\n\r\n"
                               "Veuillez contacter MERIDOXAN."}));
  EXPECT_TRUE(platform.Exists(R"(\\127.0.0.1\UNIDATA\MERIDOXAN\VERSION.txt)"));
}

TEST_F(OperatorTest, AnInputBoxThatCannotBeShownEndsTheRunWithTheNoDirectoryMessage) {
  // Nobody can answer it: the run ends as when the operator cancels, rather
  // than upgrading a base without its directory.
  Server(Settings({{"A", R"(D:\BASES\A)"}}, "[fault]\ncall = QUI\nanswer = empty\n"));
  Package({"A.DAT"});
  Bases({"A"});
  platform.Fail("InputBox", kWin32AccessDenied);
  Run();
  EXPECT_EQ(BoxTexts(), Lines{kNoDirectory});
  EXPECT_TRUE(platform.commands.empty());
  EXPECT_TRUE(Lancemajcd().empty());
  EXPECT_TRUE(platform.unloaded);
}

TEST(SingleRunTest, ASecondRunSaysSoInOneBoxAndTouchesNothing) {
  test::TestPlatform platform;
  platform.anotherRun = true;
  RunLog log;  // none yet: the run opens it
  EXPECT_TRUE(AnotherRunGoesOn(platform, platform, log));
  EXPECT_EQ(platform.calls, (Lines{"ClaimSingleRun",
                                   "MsgBox(Une mise à niveau est déjà en cours sur ce serveur.)"}));
  ASSERT_EQ(platform.boxes.size(), 1u);
  EXPECT_EQ(platform.boxes[0].icon, BoxIcon::Critical);
  EXPECT_EQ(platform.boxes[0].title, kMessageTitle);

  // Alone: no box, the run follows.
  test::TestPlatform first;
  EXPECT_FALSE(AnotherRunGoesOn(first, first, log));
  EXPECT_EQ(first.calls, Lines{"ClaimSingleRun"});

  // A claim that cannot be made does not keep the upgrade from running.
  test::TestPlatform unclaimed;
  unclaimed.Fail("ClaimSingleRun", kWin32AccessDenied);
  EXPECT_FALSE(AnotherRunGoesOn(unclaimed, unclaimed, log));
  EXPECT_TRUE(unclaimed.boxes.empty());
}

}  // namespace
}  // namespace maj
