// Frm_MAJ, the busy pointer and the message boxes, under a real window manager
// of Windows (Wine on the build machine).
#include <gtest/gtest.h>

#include <string>

#include "app/SessionEnd.h"
#include "platform/win32/Layout.h"
#include "platform/win32/Win32Platform.h"
#include "tests/win32/platform/Operator.h"
#include "tests/win32/platform/Scratch.h"

namespace maj::win32 {
namespace {

using test::TextOf;
using test::WaitForWindow;
using test::WithOperator;

HCURSOR Hourglass() {
  return LoadCursorW(nullptr, IDC_WAIT);
}

// Lets the system deliver what the pointer and the windows have queued. What
// is already queued is handled however late the thread gets to run.
void Pump(Win32Platform& platform, DWORD ms = 300) {
  const ULONGLONG end = GetTickCount64() + ms;
  do {
    platform.DoEvents();
    Sleep(10);
  } while (GetTickCount64() < end);
}

POINT CentreOf(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

std::wstring FaceOf(const FontOwner& font) {
  return test::FontOf(font.Get()).lfFaceName;
}

TEST(Fonts, AMissingFaceFallsBackToTheNextThenToTheDialogFont) {
  const wchar_t* const missing[] = {L"No Such Face 1", L"Tahoma", nullptr};
  if (FaceInstalled(L"Tahoma")) {
    EXPECT_EQ(FaceOf(CreateFaceFont(missing, 975, 96)), L"Tahoma");
  }
  const wchar_t* const none[] = {L"No Such Face 1", L"No Such Face 2", nullptr};
  const FontOwner fallback = CreateFaceFont(none, 975, 144);
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0));
  EXPECT_EQ(FaceOf(fallback), metrics.lfMessageFont.lfFaceName) << "the message boxes' face";
  EXPECT_EQ(test::FontOf(fallback.Get()).lfHeight, -MulDiv(975, 144, 7200))
      << "the size is kept, at the DPI given";
}

class MainWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(platform.CreateMainWindow(), kOk);
    platform.ShowMainWindow(SW_SHOWNORMAL);
    main = platform.MainWindowHandle();
    ASSERT_TRUE(main);
  }
  void TearDown() override {
    (void)platform.SetBusyPointer(false);
    (void)platform.UnloadMainWindow();
  }

  Win32Platform platform;
  HWND main = nullptr;
};

TEST_F(MainWindowTest, ShowsItsCaptionAndLabelAtTheirTwipsMeasures) {
  EXPECT_EQ(test::ClassOf(main), L"MiseANiveau.Frm_MAJ");
  EXPECT_EQ(TextOf(main), L"Mise à niveau");
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_TRUE(IsWindowEnabled(main));

  const UINT dpi = WindowDpi(main);
  RECT client{};
  GetClientRect(main, &client);
  EXPECT_EQ(client.right, TwipsToPixels(3075, dpi));
  EXPECT_EQ(client.bottom, TwipsToPixels(1545, dpi));
  if (dpi == USER_DEFAULT_SCREEN_DPI) {
    EXPECT_EQ(client.right, 205);
    EXPECT_EQ(client.bottom, 103);
  }

  const HWND label = GetDlgItem(main, kLabel1Id);
  ASSERT_TRUE(label);
  EXPECT_EQ(test::ClassOf(label), L"Static");
  EXPECT_EQ(TextOf(label), L"Mise à niveau en cours...");
  const RECT place = test::ChildRect(label);
  EXPECT_EQ(place.left, TwipsToPixels(480, dpi));
  EXPECT_EQ(place.top, TwipsToPixels(600, dpi));
  EXPECT_EQ(place.right - place.left, TwipsToPixels(2190, dpi));
  EXPECT_EQ(place.bottom - place.top, TwipsToPixels(240, dpi));

  // The font, read inside the program (a font handle means nothing elsewhere).
  const LOGFONTW described = test::FontOf(label);
  if (FaceInstalled(L"MS Sans Serif")) {
    EXPECT_STREQ(described.lfFaceName, L"MS Sans Serif");
  }
  EXPECT_EQ(described.lfHeight, -MulDiv(975, static_cast<int>(dpi), 7200));
  EXPECT_EQ(described.lfWeight, FW_NORMAL);
  EXPECT_FALSE(described.lfItalic || described.lfUnderline || described.lfStrikeOut);
  EXPECT_EQ(described.lfCharSet, ANSI_CHARSET);

  // Centred on its monitor, with a fixed frame.
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(main, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const POINT centre = CentreOf(main);
  EXPECT_NEAR(centre.x, (monitor.rcWork.left + monitor.rcWork.right) / 2, 1);
  EXPECT_NEAR(centre.y, (monitor.rcWork.top + monitor.rcWork.bottom) / 2, 1);
  EXPECT_FALSE(GetWindowLongPtrW(main, GWL_STYLE) & WS_THICKFRAME);
}

TEST_F(MainWindowTest, FollowsAMoveToAMonitorOfAnotherDpi) {
  constexpr UINT kDpi = 144;
  RECT suggested{40, 50, 400, 300};
  SendMessageW(main, WM_DPICHANGED, MAKEWPARAM(kDpi, kDpi), reinterpret_cast<LPARAM>(&suggested));
  RECT frame{};
  GetWindowRect(main, &frame);
  EXPECT_EQ(frame.left, 40);
  EXPECT_EQ(frame.top, 50);
  const HWND label = GetDlgItem(main, kLabel1Id);
  const RECT place = test::ChildRect(label);
  EXPECT_EQ(place.left, TwipsToPixels(480, kDpi));
  EXPECT_EQ(place.top, TwipsToPixels(600, kDpi));
  EXPECT_EQ(place.right - place.left, TwipsToPixels(2190, kDpi));
  EXPECT_EQ(test::FontOf(label).lfHeight, -MulDiv(975, kDpi, 7200));
}

TEST_F(MainWindowTest, EnableUnloadAndACloseRequestLeaveNoWindowBehind) {
  EXPECT_EQ(platform.EnableMainWindow(false), kOk);
  EXPECT_FALSE(IsWindowEnabled(main));
  EXPECT_EQ(platform.EnableMainWindow(true), kOk);
  EXPECT_TRUE(IsWindowEnabled(main));

  // A close request destroys it (the default); the run's later calls find
  // nothing to enable and bring nothing back.
  PostMessageW(main, WM_CLOSE, 0, 0);
  Pump(platform, 100);
  EXPECT_FALSE(IsWindow(main));
  EXPECT_EQ(platform.MainWindowHandle(), nullptr);
  EXPECT_EQ(platform.EnableMainWindow(true), kOk);
  EXPECT_EQ(platform.UnloadMainWindow(), kOk);
  EXPECT_EQ(platform.MainWindowHandle(), nullptr);

  ASSERT_EQ(platform.CreateMainWindow(), kOk);
  main = platform.MainWindowHandle();
  EXPECT_EQ(platform.UnloadMainWindow(), kOk);
  EXPECT_FALSE(IsWindow(main));
}

// What the title bar's close button and Alt+F4 send, and a close message.
void RequestClose(HWND window) {
  constexpr LPARAM kAltDown = LPARAM{1} << 29;
  PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  PostMessageW(window, WM_SYSKEYDOWN, VK_F4, 1 | kAltDown);
  PostMessageW(window, WM_CLOSE, 0, 0);
}

TEST_F(MainWindowTest, CloseRequestsAreRefusedWhileTheRunGoesOn) {
  ASSERT_EQ(platform.RefuseClose(true), kOk);
  const HMENU menu = GetSystemMenu(main, FALSE);
  EXPECT_TRUE(GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED);
  RequestClose(main);
  Pump(platform, 200);
  EXPECT_TRUE(IsWindow(main));
  EXPECT_EQ(platform.MainWindowHandle(), main);

  // Each request alone closes it once closing is allowed again: Alt+F4 too.
  for (const int request : {0, 1, 2}) {
    if (!IsWindow(main)) {
      ASSERT_EQ(platform.CreateMainWindow(), kOk);
      main = platform.MainWindowHandle();
    }
    ASSERT_EQ(platform.RefuseClose(false), kOk);
    if (request == 0) PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    if (request == 1) PostMessageW(main, WM_SYSKEYDOWN, VK_F4, 1 | (LPARAM{1} << 29));
    if (request == 2) PostMessageW(main, WM_CLOSE, 0, 0);
    Pump(platform, 200);
    EXPECT_FALSE(IsWindow(main)) << "request " << request;
  }

  // The run's own end closes it while requests are refused.
  ASSERT_EQ(platform.CreateMainWindow(), kOk);
  main = platform.MainWindowHandle();
  ASSERT_EQ(platform.RefuseClose(true), kOk);
  EXPECT_EQ(platform.UnloadMainWindow(), kOk);
  EXPECT_FALSE(IsWindow(main));
}

// A log-off or restart mid-run: the system is asked to wait, the log says so;
// before and after the run the session ends as usual.
TEST_F(MainWindowTest, ASessionEndIsAskedToWaitWhileTheRunGoesOnAndLogged) {
  const Scratch scratch(TempFolder());
  RunState state;
  state.Log.Open(platform, platform, {scratch.Path()});
  EXPECT_EQ(SendMessageW(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
  KeepSessionForTheRun(state, platform);
  EXPECT_EQ(SendMessageW(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), FALSE);
  EXPECT_EQ(SendMessageW(main, WM_QUERYENDSESSION, 0, 0), FALSE) << "a shutdown too";
  // The operator's answer to the system's list: the log-off called off.
  SendMessageW(main, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
  platform.ReleaseSessionEnd();
  EXPECT_EQ(SendMessageW(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
  state.Log.Close();
  const std::string log = ReadAll(scratch.Path("MiseANiveau.log"));
  std::size_t lines = 0;
  for (std::size_t at = 0;
       (at = log.find(" Session end asked: Windows asked to wait\r\n", at)) != std::string::npos;
       ++at) {
    ++lines;
  }
  EXPECT_EQ(lines, 2u) << log;
  EXPECT_NE(log.find(" Session end: called off; the run goes on\r\n"), std::string::npos) << log;
}

TEST_F(MainWindowTest, BusyPointerShowsAtOnceAndStaysOverTheWindows) {
  SetCursorPos(CentreOf(main).x, CentreOf(main).y);
  Pump(platform);
  EXPECT_NE(GetCursor(), Hourglass());

  ASSERT_EQ(platform.SetBusyPointer(true), kOk);
  EXPECT_EQ(GetCursor(), Hourglass()) << "set at once, without a pointer move";
  ASSERT_EQ(platform.EnableMainWindow(false), kOk);

  // Moving over the (disabled) window and its label keeps the hourglass.
  RECT label{};
  GetWindowRect(GetDlgItem(main, kLabel1Id), &label);
  SetCursorPos(label.left + 5, label.top + 5);
  Pump(platform);
  EXPECT_EQ(GetCursor(), Hourglass());
  SetCursorPos(CentreOf(main).x + 7, CentreOf(main).y + 3);
  Pump(platform);
  EXPECT_EQ(GetCursor(), Hourglass());

  // Over a message box as well.
  HCURSOR overBox = nullptr;
  WithOperator(
      [&] {
        const HWND box = WaitForWindow(L"#32770", L"Message MERIDOXAN");
        ASSERT_TRUE(box);
        const POINT centre = CentreOf(box);
        SetCursorPos(centre.x, centre.y - 10);
        Sleep(300);
        SetCursorPos(centre.x + 3, centre.y - 8);
        Sleep(300);
        CURSORINFO info{};
        info.cbSize = sizeof info;
        GetCursorInfo(&info);
        overBox = info.hCursor;
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      },
      [&] {
        EXPECT_EQ(platform.MsgBox("Patientez", BoxIcon::Information, "Message MERIDOXAN"), kOk);
      });
  EXPECT_EQ(overBox, Hourglass());

  ASSERT_EQ(platform.SetBusyPointer(false), kOk);
  EXPECT_NE(GetCursor(), Hourglass()) << "restored at once";
  ASSERT_EQ(platform.EnableMainWindow(true), kOk);
  SetCursorPos(CentreOf(main).x, CentreOf(main).y);
  Pump(platform);
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
}

// What the operator saw of a message box and of the main window meanwhile.
struct BoxSeen {
  std::wstring text;
  bool mainEnabled = true;
  HWND owner = nullptr;
};

BoxSeen AnswerBox(const std::wstring& title) {
  BoxSeen seen;
  const HWND box = WaitForWindow(L"#32770", title);
  if (!box) return seen;
  seen.text = TextOf(GetDlgItem(box, 0xFFFF));
  seen.owner = GetWindow(box, GW_OWNER);
  seen.mainEnabled = IsWindowEnabled(seen.owner) != FALSE;
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  return seen;
}

TEST_F(MainWindowTest, MessageBoxesShowAccentsAndKeepTheWindowsState) {
  const std::string text =
      "Problème dans l'ouverture de la Base de données : BASE É\r\nMerci de contacter MERIDOXAN";
  for (const bool enabledBefore : {true, false}) {
    ASSERT_EQ(platform.EnableMainWindow(enabledBefore), kOk);
    BoxSeen seen;
    WithOperator(
        [&] { seen = AnswerBox(L"Message MERIDOXAN"); },
        [&] { EXPECT_EQ(platform.MsgBox(text, BoxIcon::Critical, "Message MERIDOXAN"), kOk); });
    EXPECT_EQ(seen.text,
              L"Problème dans l'ouverture de la Base de données : BASE É\r\nMerci de contacter "
              L"MERIDOXAN");
    EXPECT_EQ(seen.owner, main) << "the box stays in front of the main window";
    EXPECT_FALSE(seen.mainEnabled) << "the main window takes no input while a box is open";
    EXPECT_EQ(IsWindowEnabled(main) != FALSE, enabledBefore)
        << "a box leaves the main window as it found it";
  }
}

// The program has no loop that ends on a quit request: one put back in the
// queue would wake every later wait at once and close every later box.
TEST(MessagePump, AQuitRequestIsTakenAndNeverPutBack) {
  Win32Platform platform;
  PostQuitMessage(3);
  platform.DoEvents();
  MSG message;
  EXPECT_FALSE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  platform.DoEvents();
  EXPECT_FALSE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST(MessageBox, WorksWithNoMainWindow) {
  Win32Platform platform;
  BoxSeen seen;
  WithOperator([&] { seen = AnswerBox(L"Message MERIDOXAN"); },
               [&] {
                 EXPECT_EQ(platform.MsgBox("Mise à jour du serveur terminée avec succès.",
                                           BoxIcon::Information, "Message MERIDOXAN"),
                           kOk);
               });
  EXPECT_EQ(seen.text, L"Mise à jour du serveur terminée avec succès.");
  EXPECT_EQ(seen.owner, nullptr);
}

}  // namespace
}  // namespace maj::win32
