// The main window's operations and the message pump.
#include "platform/win32/Win32Platform.h"

#include <atomic>

#include "platform/win32/Callbacks.h"
#include "support/win32/ComOwners.h"
#include "support/win32/Win32Errors.h"

namespace maj::win32 {
namespace {

// Read by other threads in the tests.
std::atomic<int> quitRequests{0};

// A quit request ends the system's own loops of boxes and dialogs, which
// post it again for the next: it would close every later box unread. No
// loop of the program ends on it either, so it is taken off the queue here,
// before any loop sees it, and only remembered: the run ends as it would
// have, with its own exit code.
LRESULT CALLBACK TakeQuitRequest(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) {
    auto* message = reinterpret_cast<MSG*>(lParam);
    if (message->message == WM_QUIT) {
      // A look that leaves it queued sees it again when it is taken.
      if (wParam == PM_REMOVE) ++quitRequests;
      message->message = WM_NULL;
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

Win32Operator::Win32Operator()
    : quitHook_(SetWindowsHookExW(WH_GETMESSAGE, TakeQuitRequest, nullptr, GetCurrentThreadId())) {}

Win32Operator::~Win32Operator() {
  if (quitHook_) UnhookWindowsHookEx(quitHook_);
}

int Win32Operator::QuitRequests() const {
  return quitRequests;
}

ErrorNumber Win32Operator::SetBusyPointer(bool busy) {
  // The pointer is set in any case; only the hook over foreign windows can fail.
  return busy_.Set(busy) ? kOk : LastError();
}

ErrorNumber Win32Operator::EnableMainWindow(bool enabled) {
  // A window already closed has nothing to enable: it is not brought back.
  if (const HWND window = main_.Handle()) EnableWindow(window, enabled ? TRUE : FALSE);
  return kOk;
}

ErrorNumber Win32Operator::RefuseClose(bool refuse) {
  main_.RefuseClose(refuse);
  return kOk;
}

ErrorNumber Win32Operator::UnloadMainWindow() {
  main_.Destroy();
  return kOk;
}

void Win32Operator::DoEvents() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
    ThrowKept();
  }
}

}  // namespace maj::win32
