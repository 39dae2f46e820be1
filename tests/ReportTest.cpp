// The outcome lists and the summary text, including lists that fail.
#include <gtest/gtest.h>

#include <optional>
#include <utility>

#include "app/Rapport.h"
#include "tests/support/RunFixture.h"
#include "tests/support/Switchboard.h"

namespace maj {
namespace {

using test::BrokenList;
constexpr ErrorNumber kBroken = test::kSwitchedOff;

class ReportTest : public test::RunFixture {
 protected:
  void SetUp() override {
    Server("[users]\nADM =\n");
    std::shared_ptr<DynArray> a, b;
    ASSERT_EQ(dba->CreateDynArray(a), kOk);
    ASSERT_EQ(dba->CreateDynArray(b), kOk);
    maj = std::make_shared<BrokenList>(a);
    nonMaj = std::make_shared<BrokenList>(b);
    rapport.W_BasesMaj = maj;
    rapport.W_BasesNonMaj = nonMaj;
  }
  void Record(std::int16_t counter, const std::string& entry, bool upgraded) {
    err = RecordOutcome(upgraded ? True : False, rapport, counter, entry);
  }
  // The summary text; its failure is kept in `err`.
  std::string Summary(const Rapport& of) {
    std::string text;
    err = SummaryText(of, text);
    return text;
  }
  std::shared_ptr<BrokenList> maj, nonMaj;
  Rapport rapport;
  ErrorNumber err = kOk;
};

TEST_F(ReportTest, SuccessLinesSitAtTheBaseNumberAndFailuresArePacked) {
  Record(1, "A", false);
  Record(2, "B", true);
  Record(3, "C", false);
  Record(4, "D", true);
  Record(5, "E", false);  // after the last success: no empty line for it
  EXPECT_EQ(
      Summary(rapport),
      "La mise à jour du serveur contient des erreurs.\r\n\r\n"
      "\r\nBase B : mise à jour.\r\n\r\nBase D : mise à jour.\r\n"
      "\r\n"
      "Base A : non mise à jour.\r\nBase C : non mise à jour.\r\nBase E : non mise à jour.\r\n"
      "\r\nVeuillez contacter MERIDOXAN.");
  EXPECT_EQ(ShowSummary(platform, rapport), kOk);
  ASSERT_EQ(platform.boxes.size(), 1u);
  EXPECT_EQ(platform.boxes[0].icon, BoxIcon::Critical);
  EXPECT_EQ(platform.boxes[0].title, "Message MERIDOXAN");
}

TEST_F(ReportTest, ARunOfOneBaseHasOneLineInOneList) {
  Record(1, "Base à accents", true);
  EXPECT_EQ(
      Summary(rapport),
      "Mise à jour du serveur terminée avec succès.\r\n\r\nBase Base à accents : mise à jour.\r\n");
  EXPECT_EQ(ShowSummary(platform, rapport), kOk);
  EXPECT_EQ(platform.boxes.at(0).icon, BoxIcon::Information);
  std::int32_t count = -1;
  ASSERT_EQ(nonMaj->DCount(count), kOk);
  EXPECT_EQ(count, 0);
}

TEST_F(ReportTest, AFailureThatCannotBeWrittenStillGivesTheErrorForm) {
  nonMaj->failCount = true;
  Record(1, "A", false);
  EXPECT_EQ(rapport.W_Erreur, True);
  EXPECT_EQ(err, kBroken);
  nonMaj->failCount = false;
  nonMaj->failPut = true;
  Record(2, "B", false);
  EXPECT_EQ(rapport.W_Erreur, True);
  nonMaj->failPut = false;
  EXPECT_EQ(Summary(rapport),
            "La mise à jour du serveur contient des erreurs.\r\n\r\n\r\n\r\n"
            "Veuillez contacter MERIDOXAN.");
}

TEST_F(ReportTest, ASuccessThatCannotBeWrittenLeavesTheListAndTheFlag) {
  maj->failPut = true;
  Record(1, "A", true);
  EXPECT_EQ(rapport.W_Erreur, False);
  EXPECT_EQ(err, kBroken);
  EXPECT_EQ(Summary(rapport), "Mise à jour du serveur terminée avec succès.\r\n\r\n");
}

TEST_F(ReportTest, UnreadableCountsAndLinesAddNothing) {
  Record(1, "A", true);
  Record(2, "B", true);
  Record(3, "C", true);
  maj->failGet = 2;
  EXPECT_EQ(Summary(rapport),
            "Mise à jour du serveur terminée avec succès.\r\n\r\n"
            "Base A : mise à jour.\r\nBase C : mise à jour.\r\n");
  maj->failCount = true;
  EXPECT_EQ(Summary(rapport), "Mise à jour du serveur terminée avec succès.\r\n\r\n");
  // A count beyond 16 bits cannot be converted: the list adds nothing.
  maj->failCount = false;
  maj->countOverride = 40000;
  EXPECT_EQ(Summary(rapport), "Mise à jour du serveur terminée avec succès.\r\n\r\n");
  EXPECT_EQ(err, kErrOverflow);
}

TEST_F(ReportTest, ListsThatWereNeverCreatedAreSkipped) {
  Rapport none;
  err = RecordOutcome(True, none, 1, "A");
  EXPECT_EQ(err, kErrObjectRequired);
  err = RecordOutcome(False, none, 2, "B");
  EXPECT_EQ(none.W_Erreur, True);
  EXPECT_EQ(Summary(none),
            "La mise à jour du serveur contient des erreurs.\r\n\r\n\r\n\r\n"
            "Veuillez contacter MERIDOXAN.");
}

}  // namespace
}  // namespace maj
