// The main window Frm_MAJ: a fixed dialog-like frame, centred, with its one
// label Label1. While close requests are refused (the whole run), its title
// bar's close button, Alt+F4 and WM_CLOSE do nothing; Destroy still closes it.
//
// On screen: window class kMainWindowClass, title "Mise à niveau"; Label1 is a
// "Static" child with ID kLabel1Id.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "platform/Errors.h"
#include "platform/RunGuards.h"
#include "support/win32/Handles.h"

namespace maj::win32 {

inline constexpr const wchar_t* kMainWindowClass = L"MiseANiveau.Frm_MAJ";
inline constexpr int kLabel1Id = 100;

class MainWindow {
 public:
  MainWindow() = default;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window hidden, at its size for the DPI of its monitor.
  [[nodiscard]] ErrorNumber Create();
  // Displays it and paints it at once.
  void Show(int showCommand);
  void Destroy() {
    ReleaseSessionEnd();
    window_.Reset();
    label_ = nullptr;
  }
  // Close requests refused or not; the system menu's Close item follows.
  void RefuseClose(bool refuse);
  // While held, a request to end the session is answered "wait", with the
  // reason shown to whoever ends it (given to the system at once), and
  // `onRequest` is told of the request and of its outcome.
  void HoldSessionEnd(std::wstring reason, std::function<void(SessionEnd)> onRequest);
  void ReleaseSessionEnd();
  // Null before Create and once the window is gone.
  HWND Handle() const { return window_.Get(); }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Layout(UINT dpi);
  LRESULT QueryEndSession();
  void ShowReason();
  void Tell(SessionEnd what);

  WindowOwner window_;
  HWND label_ = nullptr;  // a child: destroyed with the window
  FontOwner font_;
  bool refuseClose_ = false;
  std::wstring sessionEndReason_;  // empty: the session may end
  std::function<void(SessionEnd)> onSessionEnd_;
  bool reasonShown_ = false;
};

}  // namespace maj::win32
