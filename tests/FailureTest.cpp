// A failing step does not stop the run: each failure of the driver's own
// statements is absorbed and the run goes on as far as it can, ending in one
// of its four ways and never hanging.
#include <gtest/gtest.h>

#include "app/Frm_MAJ.h"
#include "app/VersionFile.h"
#include "steps/Recup_Base.h"
#include "tests/support/RunFixture.h"
#include "tests/support/Switchboard.h"

namespace maj {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* kSettings =
    "[users]\nADM =\nSUPPORT = s3cret\n"
    "[base A]\ndirectory = D:\\BASES\\A\n"
    "[base B]\ndirectory = D:\\BASES\\B\n";
constexpr const char* kSuccessHeading = "Mise à jour du serveur terminée avec succès.\r\n\r\n";

class FailureTest : public test::RunFixture {
 protected:
  void Prepare(const std::string& settings = kSettings, const Lines& bases = {"A", "B"}) {
    Server(settings);
    for (const auto& base : bases) Folders({R"(D:\BASES\)" + base});
    Package({"A.DAT"});
    Bases(bases);
    board = std::make_unique<test::Switchboard>(*dba);
  }
  void RunThroughBoard() { Form_Load(state, platform.All(), *board); }
  Lines Filter(const std::string& word) const {
    Lines out;
    for (const auto& line : server->Journal()) {
      if (line.find(word) != std::string::npos) out.push_back(line);
    }
    return out;
  }
  std::unique_ptr<test::Switchboard> board;
};

TEST_F(FailureTest, ListsAndParametersThatCannotBeCreatedAreDoneWithout) {
  Prepare(kSettings, {"A"});
  board->failCreateDynArray = {1, 2, 3};      // both outcome lists, then W_Params
  platform.inputAnswers = {R"(D:\BASES\A)"};  // no query can be built: the operator is asked
  RunThroughBoard();
  EXPECT_TRUE(Filter("QUI").empty());
  EXPECT_EQ(Filter("LANCEMAJCD").size(), 1u);
  // The base is upgraded, but nothing could be recorded: the summary is bare.
  EXPECT_EQ(BoxTexts(), Lines{kSuccessHeading});
  EXPECT_EQ(platform.ReadFile(kVersionFilePath), "\r\n");
}

TEST_F(FailureTest, QueryParametersThatCannotBeRebuiltAreSentAsTheyAre) {
  Prepare(kSettings, {"A"});
  board->breakPutsOfArray = {3};  // W_Params refuses every put
  platform.inputAnswers = {R"(D:\BASES\A)"};
  RunThroughBoard();
  // Both queries went out, empty, and were refused; the operator gave the path.
  const Lines queries = Filter(R"(Execute(command=[])");
  EXPECT_EQ(queries.size(), 2u);
  EXPECT_EQ(BoxTexts(), Lines{std::string(kSuccessHeading) + "Base A : mise à jour.\r\n"});
}

TEST_F(FailureTest, NoFileSystemObjectMeansNoCopyAndNoUpgrade) {
  Prepare(kSettings, {"A"});
  platform.Fail("CreateFileSystemObject", 0x800A01AD);  // ActiveX can't create object
  RunThroughBoard();
  EXPECT_TRUE(platform.commands.empty());
  EXPECT_FALSE(state.G_Fso);
  // The server finds no package in the base, writes no record: not upgraded.
  EXPECT_NE(Filter("LANCEMAJCD")[0].find("-> 0x"), std::string::npos);
  EXPECT_EQ(BoxTexts(), Lines{"La mise à jour du serveur contient des erreurs.\r\n\r\n\r\n"
                              "Base A : non mise à jour.\r\n\r\n"
                              "Veuillez contacter MERIDOXAN."});
}

TEST_F(FailureTest, WindowOperationsThatFailChangeNothingElse) {
  Prepare();
  for (const char* op : {"SetBusyPointer", "EnableMainWindow", "MsgBox", "UnloadMainWindow"}) {
    platform.Fail(op, FromWin32(1400));  // ERROR_INVALID_WINDOW_HANDLE
  }
  RunThroughBoard();
  // Every base done, the marker file rewritten, the connection closed.
  EXPECT_EQ(Filter("LANCEMAJCD").size(), 2u);
  EXPECT_EQ(platform.ReadFile(kVersionFilePath), "\r\n");
  EXPECT_NE(Journal().back().find("Disconnect() -> 0"), std::string::npos);
  EXPECT_EQ(platform.Calls({"UnloadMainWindow"}).size(), 1u);
}

TEST_F(FailureTest, AReconnectionRefusedBetweenBasesFailsTheNextOpen) {
  // The server answers a client that is not logged in with the number that
  // ends the run: the second base's open is refused and the run stops there.
  Prepare(std::string("[server]\nnot-connected = 0x80040006\n") + kSettings);
  board->failConnect = {2};  // the first reconnection
  RunThroughBoard();
  EXPECT_EQ(BoxTexts(), Lines{"Problème dans l'ouverture de la Base de données : B\r\n"
                              "Merci de contacter MERIDOXAN"});
  EXPECT_FALSE(platform.Exists(kVersionFilePath));
}

TEST_F(FailureTest, AFailedLoginNameLookupPrefillsNothing) {
  Prepare("[users]\nSUPPORT = s3cret\n[base A]\ndirectory = D:\\BASES\\A\n", {"A"});
  platform.loginNameFails = true;
  platform.dialogAnswers = {test::LoginOk("SUPPORT", "s3cret")};
  RunThroughBoard();
  ASSERT_EQ(platform.dialogs.size(), 1u);
  EXPECT_EQ(platform.dialogs[0].boxes.at("Txt_Utilisateur").text, "");
  EXPECT_EQ(BoxTexts(), Lines{std::string(kSuccessHeading) + "Base A : mise à jour.\r\n"});
}

TEST_F(FailureTest, ALoginDialogThatCannotBeShownEndsTheRunInsteadOfLooping) {
  Prepare("[users]\nSUPPORT = s3cret\n[base A]\ndirectory = D:\\BASES\\A\n", {"A"});
  platform.Fail("ShowModal", FromWin32(1400));
  RunThroughBoard();
  EXPECT_EQ(platform.Calls({"ShowModal"}).size(), 1u);
  EXPECT_EQ(BoxTexts(), Lines{"Les bases de données n'ont pas été mise a jour."});
  EXPECT_TRUE(platform.unloaded);
}

TEST_F(FailureTest, AComponentThatCannotBeCreatedStopsTheRunWithOneMessage) {
  // As a 64-bit-only or unregistered component answers: class not registered.
  Prepare(std::string(kSettings) + "[fault]\ncall = Create\nerror = 0x80040154\n");
  RunThroughBoard();
  ASSERT_EQ(platform.boxes.size(), 1u);
  const test::BoxSeen& box = platform.boxes[0];
  EXPECT_EQ(
      box.text,
      "Le composant d'accès aux bases de données DBA n'a pas pu être chargé "
      "(erreur 0x80040154).\r\nAucune base n'a été mise à jour. Merci de contacter MERIDOXAN");
  EXPECT_EQ(box.icon, BoxIcon::Critical);
  EXPECT_EQ(box.title, "Message MERIDOXAN");
  // Nothing asked, read, copied or written; the run ends as every run does.
  EXPECT_TRUE(platform.prompts.empty());
  EXPECT_TRUE(platform.dialogs.empty());
  EXPECT_TRUE(platform.commands.empty());
  EXPECT_TRUE(platform.Calls({"OpenForInput", "RewriteFile", "CreateFolder"}).empty());
  EXPECT_FALSE(platform.Exists(kVersionFilePath));
  EXPECT_TRUE(Filter("OpenDatabase").empty());
  EXPECT_TRUE(platform.unloaded);
  EXPECT_FALSE(platform.busy);
  EXPECT_TRUE(platform.enabled);
}

TEST_F(FailureTest, AFirstBaseRefusedWithAnotherNumberGoesOnWithoutALogin) {
  Prepare(std::string(kSettings) + "[fault]\ncall = OpenDatabase\nbase = A\nerror = 0x80040222\n");
  platform.inputAnswers = {R"(D:\BASES\A)"};
  RunThroughBoard();
  EXPECT_TRUE(platform.dialogs.empty());
  EXPECT_EQ(BoxTexts(), Lines{"La mise à jour du serveur contient des erreurs.\r\n\r\n"
                              "\r\nBase B : mise à jour.\r\n\r\n"
                              "Base A : non mise à jour.\r\n\r\n"
                              "Veuillez contacter MERIDOXAN."});
}

}  // namespace
}  // namespace maj
