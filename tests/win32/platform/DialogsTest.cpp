// Dialogs rendered from a DialogModel, and the input box.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "connection/Frm_Connexion.h"
#include "platform/win32/DialogView.h"
#include "platform/win32/Layout.h"
#include "platform/win32/Win32Platform.h"
#include "state/RunState.h"
#include "tests/win32/platform/Operator.h"

namespace maj::win32 {
namespace {

using test::FocusOf;
using test::TextOf;
using test::WaitForWindow;
using test::WaitUntil;
using test::WithOperator;

// Control IDs: 100 + index in creation order.
constexpr int kAnnuler = 100;
constexpr int kOk = 101;
constexpr int kMotPasse = 102;
constexpr int kUtilisateur = 103;
constexpr int kEtqMotPasse = 104;
constexpr int kEtqUtilisateur = 105;

// The program's login dialog, with handlers that record what they saw.
class LoginModel final : public DialogModel {
 public:
  const DialogDesign& Design() const override { return Frm_Connexion::kDesign; }
  TextBoxState* Box(const std::string& name) override {
    if (name == "Txt_Utilisateur") return &user;
    if (name == "Txt_MotPasse") return &password;
    return nullptr;
  }
  void Form_Load() override {
    ++loads;
    user.text = prefill;
    user.selStart = selStart;
    user.selLength = selLength;
  }
  void Click(const std::string& button) override {
    clicks.push_back(button + ":" + user.text + ":" + password.text);
    if (static_cast<int>(clicks.size()) > pressesKeptOpen) unloadRequested = true;
  }

  std::string prefill = "opérateur";
  int selStart = 0;
  int selLength = 9;
  int pressesKeptOpen = 0;
  int loads = 0;
  std::vector<std::string> clicks;
  TextBoxState user;
  TextBoxState password;
};

// What the operator saw of the dialog when it opened.
struct DialogSeen {
  HWND dialog = nullptr;
  HWND owner = nullptr;
  bool mainEnabled = true;
  std::vector<std::wstring> texts;  // by control ID from 100
  int focusId = 0;
  DWORD selStart = 0;
  DWORD selEnd = 0;
};

DialogSeen Look(const std::wstring& title, HWND main, int focusedId, int controls) {
  DialogSeen seen;
  seen.dialog = WaitForWindow(L"#32770", title);
  if (!seen.dialog) return seen;
  const HWND expected = GetDlgItem(seen.dialog, focusedId);
  WaitUntil([&] { return FocusOf(seen.dialog) == expected; });
  seen.focusId = GetDlgCtrlID(FocusOf(seen.dialog));
  SendMessageW(expected, EM_GETSEL, reinterpret_cast<WPARAM>(&seen.selStart),
               reinterpret_cast<LPARAM>(&seen.selEnd));
  seen.owner = GetWindow(seen.dialog, GW_OWNER);
  seen.mainEnabled = main && IsWindowEnabled(main);
  for (int id = kFirstControlId; id < kFirstControlId + controls; ++id) {
    seen.texts.push_back(TextOf(GetDlgItem(seen.dialog, id)));
  }
  return seen;
}

class DialogTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(platform.CreateMainWindow(), maj::kOk);
    platform.ShowMainWindow(SW_SHOWNORMAL);
    main = platform.MainWindowHandle();
  }
  void TearDown() override { (void)platform.UnloadMainWindow(); }

  // Shows the model while `operate` works it; fails the test on a dialog that
  // does not close.
  void Show(DialogModel& model, const std::function<void()>& operate) {
    WithOperator(operate, [&] { EXPECT_EQ(platform.ShowModal(model), maj::kOk); });
  }

  Win32Platform platform;
  HWND main = nullptr;
};

TEST_F(DialogTest, RendersTheLoginDialogWithFocusSelectionTabOrderAndKeys) {
  RunState state;
  state.G_Utilisateur = "opérateur";
  Frm_Connexion model(state);
  DialogSeen seen;
  std::vector<std::wstring> classes;
  std::vector<RECT> places;
  std::vector<int> tabs;  // control IDs from the user-name box on
  LRESULT defaultId = 0;
  LRESULT passwordChar = 0;
  UINT dpi = 0;
  RECT client{};
  LOGFONTW font{};
  Show(model, [&] {
    seen = Look(L"Identification", main, kUtilisateur, 6);
    const HWND dialog = seen.dialog;
    if (!dialog) return;
    dpi = WindowDpi(dialog);
    font = test::FontOf(GetDlgItem(dialog, kEtqMotPasse));
    GetClientRect(dialog, &client);
    for (int id = kAnnuler; id <= kEtqUtilisateur; ++id) {
      classes.push_back(test::ClassOf(GetDlgItem(dialog, id)));
      places.push_back(test::ChildRect(GetDlgItem(dialog, id)));
    }
    HWND tab = GetDlgItem(dialog, kUtilisateur);
    for (int i = 0; i < 4; ++i) {
      tab = GetNextDlgTabItem(dialog, tab, FALSE);
      tabs.push_back(GetDlgCtrlID(tab));
    }
    defaultId = LOWORD(SendMessageW(dialog, DM_GETDEFID, 0, 0));
    passwordChar = SendMessageW(GetDlgItem(dialog, kMotPasse), EM_GETPASSWORDCHAR, 0, 0);
    // Typing, then Enter in the password box.
    SendMessageW(GetDlgItem(dialog, kUtilisateur), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(L"Gérard"));
    SendMessageW(GetDlgItem(dialog, kMotPasse), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(L"s3cr et"));
    test::PressKey(dialog, L"Enter");
  });

  ASSERT_TRUE(seen.dialog);
  EXPECT_EQ(seen.owner, nullptr) << "modal with no owner";
  EXPECT_FALSE(seen.mainEnabled) << "the main window takes no input meanwhile";
  EXPECT_TRUE(IsWindowEnabled(main)) << "and gets its state back";
  EXPECT_EQ(seen.texts, (std::vector<std::wstring>{L"A&nnuler", L"&Ok", L"", L"opérateur",
                                                   L"Mot de Passe", L"Utilisateur"}));
  EXPECT_EQ(classes, (std::vector<std::wstring>{L"Button", L"Button", L"Edit", L"Edit", L"Static",
                                                L"Static"}));
  const auto& designs = model.Design().controls;
  for (std::size_t i = 0; i < designs.size() && i < places.size(); ++i) {
    EXPECT_EQ(places[i].left, TwipsToPixels(designs[i].left, dpi)) << designs[i].name;
    EXPECT_EQ(places[i].top, TwipsToPixels(designs[i].top, dpi)) << designs[i].name;
    EXPECT_EQ(places[i].right - places[i].left, TwipsToPixels(designs[i].width, dpi));
    EXPECT_EQ(places[i].bottom - places[i].top, TwipsToPixels(designs[i].height, dpi));
  }
  EXPECT_EQ(client.right, TwipsToPixels(3750, dpi));
  EXPECT_EQ(client.bottom, TwipsToPixels(1350, dpi));
  // The forms' default font, for which the layout was made.
  if (FaceInstalled(L"MS Sans Serif")) {
    EXPECT_STREQ(font.lfFaceName, L"MS Sans Serif");
  }
  EXPECT_EQ(font.lfHeight, -MulDiv(8, static_cast<int>(dpi), 72));
  EXPECT_EQ(seen.focusId, kUtilisateur);
  EXPECT_EQ(seen.selStart, 0u);
  EXPECT_EQ(seen.selEnd, 9u) << "the whole prefilled name selected";
  EXPECT_EQ(tabs, (std::vector<int>{kMotPasse, kOk, kAnnuler, kUtilisateur}))
      << "labels never take the focus";
  EXPECT_EQ(defaultId, kOk);
  EXPECT_EQ(passwordChar, static_cast<LRESULT>(L'*'));
  EXPECT_EQ(state.G_Utilisateur, "Gérard");
  EXPECT_EQ(state.G_MotPasse, "s3cr et");
  EXPECT_EQ(state.G_Annuler, False);
  EXPECT_FALSE(IsWindow(seen.dialog));
}

// A window of another thread, above the main window, as another program's
// window would be.
class ForeignWindow {
 public:
  ForeignWindow() {
    thread_ = std::thread([this] {
      window_ = CreateWindowExW(0, L"Static", L"autre programme", WS_POPUP | WS_BORDER, 10, 10, 200,
                                100, nullptr, nullptr, nullptr, nullptr);
      ShowWindow(window_, SW_SHOWNOACTIVATE);
      ready_ = true;
      MSG message;
      while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
      DestroyWindow(window_);
    });
    WaitUntil([this] { return ready_.load(); });
  }
  ~ForeignWindow() {
    PostThreadMessageW(GetWindowThreadProcessId(window_, nullptr), WM_QUIT, 0, 0);
    thread_.join();
  }

 private:
  std::thread thread_;
  HWND window_ = nullptr;
  std::atomic<bool> ready_{false};
};

TEST_F(DialogTest, HandsTheActivationBackToTheWindowActiveBeforeIt) {
  ASSERT_EQ(GetForegroundWindow(), main);
  const ForeignWindow other;
  LoginModel model;
  Show(model, [&] {
    const DialogSeen seen = Look(L"Identification", main, kUtilisateur, 6);
    if (seen.dialog) test::PressKey(seen.dialog, L"Escape");
  });
  EXPECT_EQ(GetForegroundWindow(), main);
}

TEST_F(DialogTest, KeepsAPartialSelectionAndAnswersEscapeAndAccessKeys) {
  struct Case {
    const char* name;
    std::function<void(HWND)> press;
    const char* expected;
  };
  const Case cases[] = {
      {"Escape", [](HWND d) { test::PressKey(d, L"Escape"); }, "Cmd_Annuler"},
      {"Alt+N", [](HWND d) { test::PressKey(d, L"Alt+N"); }, "Cmd_Annuler"},
      {"Alt+O", [](HWND d) { test::PressKey(d, L"Alt+O"); }, "Cmd_Ok"},
      {"click", [](HWND d) { SendMessageW(GetDlgItem(d, kAnnuler), BM_CLICK, 0, 0); },
       "Cmd_Annuler"},
  };
  for (const Case& c : cases) {
    LoginModel model;
    model.selStart = 2;
    model.selLength = 3;
    DialogSeen seen;
    Show(model, [&] {
      seen = Look(L"Identification", main, kUtilisateur, 6);
      if (seen.dialog) c.press(seen.dialog);
    });
    EXPECT_EQ(seen.selStart, 2u) << c.name;
    EXPECT_EQ(seen.selEnd, 5u) << c.name;
    EXPECT_EQ(model.clicks, (std::vector<std::string>{std::string(c.expected) + ":opérateur:"}))
        << c.name;
  }
}

TEST_F(DialogTest, TitleBarCloseRunsNoHandlerAndAHandlerMayKeepItOpen) {
  LoginModel model;
  model.prefill = "";
  model.pressesKeptOpen = 1;  // the first press leaves the dialog open
  DialogSeen seen;
  bool openAfterPress = false;
  Show(model, [&] {
    seen = Look(L"Identification", main, kUtilisateur, 6);
    if (!seen.dialog) return;
    SendMessageW(GetDlgItem(seen.dialog, kOk), BM_CLICK, 0, 0);
    Sleep(200);
    openAfterPress = IsWindowVisible(seen.dialog);
    PostMessageW(seen.dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
  });
  EXPECT_EQ(seen.texts[3], L"") << "an empty name opens an empty box";
  EXPECT_TRUE(openAfterPress);
  EXPECT_EQ(model.clicks, (std::vector<std::string>{"Cmd_Ok::"}))
      << "the close request ran no handler";
  EXPECT_FALSE(IsWindow(seen.dialog));
}

TEST_F(DialogTest, AFreshDialogEachTimeAndTheMainWindowsStateKept) {
  ASSERT_EQ(platform.EnableMainWindow(false), maj::kOk);
  for (int showing = 0; showing < 2; ++showing) {
    LoginModel model;
    DialogSeen seen;
    Show(model, [&] {
      seen = Look(L"Identification", main, kUtilisateur, 6);
      if (seen.dialog) test::PressKey(seen.dialog, L"Escape");
    });
    EXPECT_EQ(model.loads, 1);
    EXPECT_EQ(seen.texts[2], L"") << "the password box starts empty";
    EXPECT_FALSE(IsWindowEnabled(main)) << "a disabled window stays disabled";
  }
}

TEST_F(DialogTest, InputBoxReturnsTheTypedTextOrNothingWhenCancelled) {
  const std::string prompt =
      "Saisir le chemin de la base BASE É.\r\n(ex:D:\\BASESCLIENTS\\BASEAFA)";
  struct Case {
    const char* name;
    std::function<void(HWND)> answer;
    std::string expected;
  };
  const Case cases[] = {
      {"OK", [](HWND d) { SendMessageW(GetDlgItem(d, 102), BM_CLICK, 0, 0); }, "d:\\bases\\été"},
      {"Enter", [](HWND d) { test::PressKey(d, L"Enter"); }, "d:\\bases\\été"},
      {"Annuler", [](HWND d) { SendMessageW(GetDlgItem(d, 103), BM_CLICK, 0, 0); }, ""},
      {"Escape", [](HWND d) { test::PressKey(d, L"Escape"); }, ""},
      {"close", [](HWND d) { PostMessageW(d, WM_CLOSE, 0, 0); }, ""},
  };
  ASSERT_EQ(platform.EnableMainWindow(false), maj::kOk);
  for (const Case& c : cases) {
    DialogSeen seen;
    std::string answer = "avant";
    WithOperator(
        [&] {
          seen = Look(L"MiseANiveau", main, 101, 4);
          if (!seen.dialog) return;
          SendMessageW(GetDlgItem(seen.dialog, 101), WM_SETTEXT, 0,
                       reinterpret_cast<LPARAM>(L"d:\\bases\\été"));
          c.answer(seen.dialog);
        },
        [&] { EXPECT_EQ(platform.InputBox(prompt, answer), maj::kOk); });
    ASSERT_TRUE(seen.dialog) << c.name;
    EXPECT_EQ(answer, c.expected) << c.name;
    EXPECT_EQ(seen.texts,
              (std::vector<std::wstring>{
                  L"Saisir le chemin de la base BASE É.\r\n(ex:D:\\BASESCLIENTS\\BASEAFA)", L"",
                  L"OK", L"Annuler"}))
        << c.name;
    EXPECT_EQ(seen.focusId, 101) << c.name;
    EXPECT_FALSE(IsWindowEnabled(main)) << c.name;
  }
}

// A quit request posted to the program's thread is taken before the system's
// loops of a dialog or a box see it: both stay open for the operator.
TEST_F(DialogTest, AQuitRequestClosesNeitherABoxNorADialog) {
  LoginModel model;
  const int before = platform.QuitRequests();
  bool dialogStayed = false;
  WithOperator(
      [&] {
        const HWND dialog = WaitForWindow(L"#32770", L"Identification");
        WaitUntil([&] { return platform.QuitRequests() > before; });
        dialogStayed = IsWindow(dialog) && IsWindowVisible(dialog);
        if (dialog) test::PressKey(dialog, L"Escape");
      },
      [&] {
        PostQuitMessage(0);
        EXPECT_EQ(platform.ShowModal(model), maj::kOk);
      });
  EXPECT_TRUE(dialogStayed);

  bool boxStayed = false;
  WithOperator(
      [&] {
        const HWND box = WaitForWindow(L"#32770", L"Message MERIDOXAN");
        WaitUntil([&] { return platform.QuitRequests() > before + 1; });
        boxStayed = IsWindow(box) && IsWindowVisible(box);
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      },
      [&] {
        PostQuitMessage(0);
        EXPECT_EQ(platform.MsgBox("Résumé", BoxIcon::Information, "Message MERIDOXAN"), maj::kOk);
      });
  EXPECT_TRUE(boxStayed);
}

// Whatever a dialog's handler throws ends the dialog and reaches the code
// that showed it, never the system's frames.
TEST_F(DialogTest, WhatAHandlerThrowsEndsTheDialogAndReachesItsCaller) {
  struct Throwing final : DialogModel {
    const DialogDesign& Design() const override { return Frm_Connexion::kDesign; }
    TextBoxState* Box(const std::string&) override { return nullptr; }
    void Form_Load() override {}
    void Click(const std::string&) override { throw std::runtime_error("handler"); }
  } model;
  bool caught = false;
  WithOperator(
      [&] {
        const HWND dialog = WaitForWindow(L"#32770", L"Identification");
        if (dialog) PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(kOk, BN_CLICKED), 0);
      },
      [&] {
        try {
          (void)platform.ShowModal(model);
        } catch (const std::runtime_error& error) {
          caught = std::string(error.what()) == "handler";
        }
      });
  EXPECT_TRUE(caught);
  EXPECT_EQ(FindWindowW(L"#32770", L"Identification"), nullptr);
}

}  // namespace
}  // namespace maj::win32
