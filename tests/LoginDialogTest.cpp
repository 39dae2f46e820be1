// The login dialog's data and handlers, and the login name that prefills it.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "connection/Frm_Connexion.h"
#include "state/RunState.h"
#include "tests/support/TestPlatform.h"

namespace maj {
namespace {

TEST(GetUserTest, ReturnsTheWholeNameThroughTheAnsiCodePage) {
  test::TestPlatform platform;
  for (const std::string& name :
       std::vector<std::string>{"operateur", std::string(19, 'n'), std::string(20, 'n'),
                                std::string(256, 'n'), "Hélène.Müller"}) {
    platform.loginName = name;
    EXPECT_EQ(GetUser(platform), name);
  }
}

TEST(GetUserTest, AFailedLookupGivesTheEmptyText) {
  test::TestPlatform platform;
  platform.loginNameFails = true;
  EXPECT_EQ(GetUser(platform), "");
  platform.loginNameFails = false;
  platform.loginName = std::string(300, 'n');  // longer than any Windows login name
  EXPECT_EQ(GetUser(platform), "");
}

TEST(LoginDialogTest, LayoutIsTheOneOperatorsKnow) {
  const DialogDesign& design = Frm_Connexion::kDesign;
  EXPECT_EQ(design.caption, "Identification");
  EXPECT_EQ(design.clientWidth, 3750);
  EXPECT_EQ(design.clientHeight, 1350);
  struct Row {
    const char* name;
    ControlKind kind;
    const char* text;
    int left, top, width, height, tab;
  };
  const Row expected[] = {
      {"Cmd_Annuler", ControlKind::PushButton, "A&nnuler", 2880, 840, 735, 375, 5},
      {"Cmd_Ok", ControlKind::PushButton, "&Ok", 2040, 840, 735, 375, 4},
      {"Txt_MotPasse", ControlKind::TextBox, "", 1800, 480, 1815, 285, 1},
      {"Txt_Utilisateur", ControlKind::TextBox, "", 1800, 120, 1815, 285, 0},
      {"Etq_MotPasse", ControlKind::Label, "Mot de Passe", 240, 480, 975, 255, 3},
      {"Etq_Utilisateur", ControlKind::Label, "Utilisateur", 240, 120, 1095, 255, 2},
  };
  ASSERT_EQ(design.controls.size(), std::size(expected));
  for (std::size_t i = 0; i < design.controls.size(); ++i) {
    const ControlDesign& c = design.controls[i];
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.name, expected[i].name);
    EXPECT_EQ(c.kind, expected[i].kind);
    EXPECT_EQ(c.text, expected[i].text);
    EXPECT_EQ(c.left, expected[i].left);
    EXPECT_EQ(c.top, expected[i].top);
    EXPECT_EQ(c.width, expected[i].width);
    EXPECT_EQ(c.height, expected[i].height);
    EXPECT_EQ(c.tabIndex, expected[i].tab);
    EXPECT_EQ(c.isDefault, c.name == "Cmd_Ok");
    EXPECT_EQ(c.isCancel, c.name == "Cmd_Annuler");
    EXPECT_EQ(c.passwordChar, c.name == "Txt_MotPasse" ? '*' : '\0');
  }
}

TEST(LoginDialogTest, LoadPrefillsTheUserAndSelectsAllOfIt) {
  RunState state;
  state.G_Utilisateur = "Hélène";
  Frm_Connexion dialog(state);
  dialog.Txt_MotPasse.text = "left over";
  dialog.Form_Load();
  EXPECT_EQ(dialog.Txt_Utilisateur.text, "Hélène");
  EXPECT_EQ(dialog.Txt_Utilisateur.selStart, 0);
  EXPECT_EQ(dialog.Txt_Utilisateur.selLength, 6);    // characters, not bytes
  EXPECT_EQ(dialog.Txt_MotPasse.text, "left over");  // Form_Load leaves the password box alone

  state.G_Utilisateur.clear();
  Frm_Connexion empty(state);
  empty.Form_Load();
  EXPECT_EQ(empty.Txt_Utilisateur.text, "");
  EXPECT_EQ(empty.Txt_Utilisateur.selLength, 0);
}

TEST(LoginDialogTest, EachWayOfClosingLeavesTheGlobalsAsTheOperatorMeant) {
  test::TestPlatform platform;
  RunState state;
  state.G_Utilisateur = "operateur";
  state.G_MotPasse = "before";

  // Ok stores both boxes exactly as typed, blanks and empty included.
  platform.dialogAnswers = {test::LoginOk(" Jean ", "")};
  Frm_Connexion ok(state);
  ASSERT_EQ(platform.ShowModal(ok), kOk);
  EXPECT_EQ(state.G_Utilisateur, " Jean ");
  EXPECT_EQ(state.G_MotPasse, "");
  EXPECT_EQ(state.G_Annuler, False);

  // Cancel sets only G_Annuler, whatever was typed.
  platform.dialogAnswers = {{{{"Txt_Utilisateur", "other"}, {"Txt_MotPasse", "x"}}, "Cmd_Annuler"}};
  Frm_Connexion cancel(state);
  ASSERT_EQ(platform.ShowModal(cancel), kOk);
  EXPECT_EQ(state.G_Annuler, True);
  EXPECT_EQ(state.G_Utilisateur, " Jean ");
  EXPECT_EQ(state.G_MotPasse, "");

  // A close through the title bar runs no handler at all.
  state.G_Annuler = False;
  platform.dialogAnswers = {{{{"Txt_Utilisateur", "other"}, {"Txt_MotPasse", "x"}}, ""}};
  Frm_Connexion closed(state);
  ASSERT_EQ(platform.ShowModal(closed), kOk);
  EXPECT_FALSE(closed.unloadRequested);
  EXPECT_EQ(state.G_Annuler, False);
  EXPECT_EQ(state.G_Utilisateur, " Jean ");
  EXPECT_EQ(state.G_MotPasse, "");
  EXPECT_TRUE(platform.unexpected.empty());
}

}  // namespace
}  // namespace maj
