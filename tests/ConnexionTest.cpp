// Logging in and out: what each operation leaves in the run state and the
// last error when the component succeeds, refuses, or cannot be created.
#include <gtest/gtest.h>

#include "connection/Connexion.h"
#include "steps/ExecutionMAJ.h"
#include "tests/support/RunFixture.h"
#include "tests/support/Switchboard.h"

namespace maj {
namespace {

using Lines = std::vector<std::string>;

constexpr ErrorNumber kStandInLoginRefused = 0x80040201;

class ConnexionTest : public test::RunFixture {
 protected:
  void SetUp() override {
    Server("[users]\nADM =\nSUPPORT = s3cret\n[base A]\ndirectory = D:\\A\n");
    flaky = std::make_unique<test::Switchboard>(*dba);
  }
  // Creates every client until told otherwise.
  void FailCreate(bool fail) {
    if (fail) {
      for (int i = 1; i < 100; ++i) flaky->failCreateClient.insert(i);
    } else {
      flaky->failCreateClient.clear();
    }
  }
  std::unique_ptr<test::Switchboard> flaky;
};

TEST_F(ConnexionTest, InitialisationLogsInAsTheAdministratorWhateverWasTyped) {
  state.G_Utilisateur = "SUPPORT";
  state.G_MotPasse = "s3cret";
  state.Err = 0x1234;  // an older failure is gone when everything succeeds
  Initialisation(state, *flaky);
  EXPECT_EQ(state.G_Utilisateur, "ADM");
  EXPECT_EQ(state.G_MotPasse, "");
  EXPECT_TRUE(state.MyClient);
  EXPECT_EQ(state.G_Bool, True);
  EXPECT_EQ(state.Err, kOk);
  EXPECT_EQ(Journal(), (Lines{R"(client 1: Create() -> 0)",
                              R"(client 1: Connect(user="ADM", password="", third="") -> 0)"}));
}

TEST_F(ConnexionTest, Initialisation2UsesTheCredentialsAsTheyAreAndKeepsGBoolOnARefusal) {
  Initialisation(state, *flaky);
  ASSERT_EQ(state.G_Bool, True);
  state.G_Utilisateur = "SUPPORT";
  state.G_MotPasse = "";  // typed empty: sent empty
  Initialisation2(state, *flaky);
  EXPECT_EQ(state.Err, kStandInLoginRefused);
  EXPECT_EQ(state.G_Bool, True);  // never reset by a failed Connect
  EXPECT_EQ(state.G_Utilisateur, "SUPPORT");
  EXPECT_NE(Journal().back().find(R"(Connect(user="SUPPORT", password="")"), std::string::npos);

  // A second Initialisation2 creates yet another client, releasing the one
  // before without disconnecting it.
  state.G_MotPasse = "s3cret";
  Initialisation2(state, *flaky);
  EXPECT_EQ(state.Err, kOk);
  EXPECT_EQ(Journal().size(), 6u);
  for (const auto& line : Journal()) EXPECT_EQ(line.find("Disconnect"), std::string::npos);
  EXPECT_EQ(Journal().back().rfind("client 3: Connect", 0), 0u);
}

TEST_F(ConnexionTest, AClientThatCannotBeCreatedLeavesTheOneHeld) {
  // No client at all: the creation fails, then Connect has nothing to call
  // and the caller finds why: the creation's number.
  FailCreate(true);
  state.G_Bool = True;
  Initialisation(state, *flaky);
  EXPECT_FALSE(state.MyClient);
  EXPECT_EQ(state.Err, test::kSwitchedOff);
  EXPECT_EQ(state.G_Bool, True);

  // A client held before: it stays, it is connected again, and the failed
  // creation is what the caller finds.
  FailCreate(false);
  Initialisation(state, *flaky);
  const auto held = state.MyClient;
  FailCreate(true);
  Initialisation2(state, *flaky);
  EXPECT_EQ(state.MyClient, held);
  EXPECT_EQ(state.Err, test::kSwitchedOff);
  EXPECT_NE(Journal().back().find("client 1: Connect"), std::string::npos);
}

TEST_F(ConnexionTest, DesinitialisationDropsTheRunsObjectsAndDisconnects) {
  Initialisation(state, *flaky);
  ASSERT_EQ(dba->CreateDynArray(state.W_Params), kOk);
  ASSERT_EQ(dba->CreateDynArray(state.W_Reponse), kOk);
  ASSERT_EQ(state.MyClient->OpenDatabase("MERIDOXAN", "A", state.MyDatabase), kOk);
  state.Err = 0x1234;
  Desinitialisation(state);
  EXPECT_FALSE(state.W_Params);
  EXPECT_FALSE(state.W_Reponse);
  EXPECT_FALSE(state.MyDatabase);
  EXPECT_TRUE(state.MyClient);  // kept, disconnected
  EXPECT_EQ(state.Err, kOk);
  EXPECT_EQ(Journal().back(), "client 1: Disconnect() -> 0");

  // With no client the objects are dropped all the same.
  RunState none;
  ASSERT_EQ(dba->CreateDynArray(none.W_Params), kOk);
  Desinitialisation(none);
  EXPECT_FALSE(none.W_Params);
  EXPECT_EQ(none.Err, kErrObjectRequired);
}

TEST_F(ConnexionTest, AFailedDisconnectIsLeftInTheLastError) {
  Server("[users]\nADM =\n[fault]\ncall = Disconnect\nerror = 0x80040299\n");
  Initialisation(state, *dba);
  Desinitialisation(state);
  EXPECT_EQ(state.Err, 0x80040299u);
  EXPECT_TRUE(state.MyClient);
}

TEST_F(ConnexionTest, ExecutionMAJKeepsTheLastAnswerWhenTheCommandCannotBeSent) {
  std::shared_ptr<DynArray> earlier;
  ASSERT_EQ(dba->CreateDynArray(earlier), kOk);
  state.W_Reponse = earlier;
  // No open base: the version key is set, the command fails, the answer stays.
  EXPECT_EQ(ExecutionMAJ(state, platform, *dba), kErrObjectRequired);
  EXPECT_EQ(state.G_Version, "712");
  EXPECT_EQ(state.W_Reponse, earlier);
  // And the verification, with no base either, counts it as not upgraded.
  state.G_MajOk = True;
  EXPECT_EQ(GestionMAJ(state), kErrObjectRequired);
  EXPECT_EQ(state.G_MajOk, False);
}

}  // namespace
}  // namespace maj
