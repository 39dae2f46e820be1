// The main window Frm_MAJ: a fixed dialog-like frame, centred, with its one
// label Label1. It has no handler for a close request beyond the default: a
// close destroys it, and the run goes on without it.
//
// On screen: window class kMainWindowClass, title "Mise à niveau"; Label1 is a
// "Static" child with ID kLabel1Id.
#pragma once

#include <windows.h>

#include "platform/Errors.h"
#include "winsupport/Handles.h"

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
    window_.Reset();
    label_ = nullptr;
  }
  // Null before Create and once the window is gone.
  HWND Handle() const { return window_.Get(); }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Layout(UINT dpi);

  WindowOwner window_;
  HWND label_ = nullptr;  // a child: destroyed with the window
  FontOwner font_;
};

}  // namespace maj::win32
