#include "platform/win32/MainWindow.h"

#include <utility>

#include "platform/win32/BusyPointer.h"
#include "platform/win32/Callbacks.h"
#include "platform/win32/Layout.h"
#include "support/win32/ComOwners.h"
#include "support/win32/Win32Errors.h"

namespace maj::win32 {
namespace {

constexpr const char* kCaption = "Mise à niveau";
constexpr const char* kLabel1Text = "Mise à niveau en cours...";

// Measures in twips.
constexpr int kClientWidth = 3075;
constexpr int kClientHeight = 1545;
constexpr int kLabelLeft = 480;
constexpr int kLabelTop = 600;
constexpr int kLabelWidth = 2190;
constexpr int kLabelHeight = 240;
constexpr int kLabelPointSize = 975;  // hundredths of a point

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

ErrorNumber RegisterClassOnce(HINSTANCE instance, WNDPROC proc) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = proc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kMainWindowClass;
  if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    return LastError();
  }
  return kOk;
}

// Looked up at run time: older headers and systems lack them.
using ShutdownBlockReasonCreateFn = BOOL(WINAPI*)(HWND, LPCWSTR);
using ShutdownBlockReasonDestroyFn = BOOL(WINAPI*)(HWND);

template <class Fn>
Fn User32Function(const char* name) {
  const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name)))
                : nullptr;
}

}  // namespace

ErrorNumber MainWindow::Create() {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  if (const ErrorNumber failed = RegisterClassOnce(instance, Proc)) return failed;
  const HWND window = CreateWindowExW(0, kMainWindowClass, com::Widen(kCaption).c_str(), kStyle,
                                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                      nullptr, nullptr, instance, this);
  if (!window) return LastError();
  window_.Reset(window);
  label_ =
      CreateWindowExW(0, L"Static", com::Widen(kLabel1Text).c_str(),
                      WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 0, 0, 0, window,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kLabel1Id)), instance, nullptr);
  if (!label_) {
    const ErrorNumber failed = LastError();
    window_.Reset();
    return failed;
  }
  SizeAndPlace(window, kClientWidth, kClientHeight, Placement::Centre);
  Layout(WindowDpi(window));
  return kOk;
}

void MainWindow::Show(int showCommand) {
  if (!window_) return;
  ShowWindow(window_.Get(), showCommand);
  UpdateWindow(window_.Get());
}

void MainWindow::RefuseClose(bool refuse) {
  refuseClose_ = refuse;
  if (!window_) return;
  // The close button and the menu item show that closing is not offered now.
  EnableMenuItem(GetSystemMenu(window_.Get(), FALSE), SC_CLOSE,
                 MF_BYCOMMAND | (refuse ? MF_GRAYED : MF_ENABLED));
}

void MainWindow::HoldSessionEnd(std::wstring reason, std::function<void(SessionEnd)> onRequest) {
  sessionEndReason_ = std::move(reason);
  onSessionEnd_ = std::move(onRequest);
  // Given now: during a long call (the server's upgrade) no message is
  // handled, and the system lists a program without a reason as one it may
  // end.
  ShowReason();
}

// The reason is what the system shows in its list of programs that keep
// the session open.
void MainWindow::ShowReason() {
  if (reasonShown_ || !window_ || sessionEndReason_.empty()) return;
  if (const auto create =
          User32Function<ShutdownBlockReasonCreateFn>("ShutdownBlockReasonCreate")) {
    reasonShown_ = create(window_.Get(), sessionEndReason_.c_str()) != FALSE;
  }
}

void MainWindow::Tell(SessionEnd what) {
  // A copy of the callback: it may release the hold.
  if (const auto onRequest = onSessionEnd_) onRequest(what);
}

void MainWindow::ReleaseSessionEnd() {
  if (reasonShown_ && window_) {
    if (const auto destroy =
            User32Function<ShutdownBlockReasonDestroyFn>("ShutdownBlockReasonDestroy")) {
      destroy(window_.Get());
    }
  }
  reasonShown_ = false;
  sessionEndReason_.clear();
  onSessionEnd_ = nullptr;
}

LRESULT MainWindow::QueryEndSession() {
  if (sessionEndReason_.empty()) return TRUE;
  ShowReason();  // a window made after the hold
  Tell(SessionEnd::Asked);
  return FALSE;
}

void MainWindow::Layout(UINT dpi) {
  FontOwner font = CreateFaceFont(kFormFaces, kLabelPointSize, dpi);
  PlaceChild(label_, kLabelLeft, kLabelTop, kLabelWidth, kLabelHeight, dpi);
  SendMessageW(label_, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
  font_ = std::move(font);  // the label no longer uses the previous one
}

LRESULT CALLBACK MainWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return Guarded<LRESULT>(0, [&] { return Dispatch(window, message, wParam, lParam); });
}

LRESULT MainWindow::Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self && self->window_.Get() == window) return self->Handle(message, wParam, lParam);
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT MainWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND window = window_.Get();
  switch (message) {
    case WM_SETCURSOR:
      if (BusyPointer::AnswerSetCursor()) return TRUE;
      break;
    case WM_DPICHANGED: {
      Layout(HIWORD(wParam));
      FollowDpiChange(window, kClientWidth, kClientHeight, HIWORD(wParam),
                      *reinterpret_cast<const RECT*>(lParam));
      return 0;
    }
    case WM_SYSCOMMAND:
      // Alt+F4 and the title bar's close button come this way.
      if (refuseClose_ && (wParam & 0xFFF0) == SC_CLOSE) return 0;
      break;
    case WM_CLOSE:
      if (refuseClose_) return 0;
      break;
    case WM_QUERYENDSESSION:
      return QueryEndSession();
    case WM_ENDSESSION:
      // The operator's choice once asked: the session ends all the same, or not.
      if (!sessionEndReason_.empty()) Tell(wParam ? SessionEnd::Ends : SessionEnd::CalledOff);
      return 0;
    case WM_NCDESTROY:
      // Destroyed by a close request or by Destroy: nothing left to destroy.
      window_.Release();
      label_ = nullptr;
      reasonShown_ = false;  // the system forgets a window's reason with it
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace maj::win32
