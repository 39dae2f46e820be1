// The main window's operations and the message pump.
#include "platform/win32/Win32Platform.h"

#include "support/win32/ComOwners.h"
#include "support/win32/Win32Errors.h"

namespace maj::win32 {

ErrorNumber Win32Platform::SetBusyPointer(bool busy) {
  // The pointer is set in any case; only the hook over foreign windows can fail.
  return busy_.Set(busy) ? kOk : LastError();
}

ErrorNumber Win32Platform::EnableMainWindow(bool enabled) {
  // A window already closed has nothing to enable: it is not brought back.
  if (const HWND window = main_.Handle()) EnableWindow(window, enabled ? TRUE : FALSE);
  return kOk;
}

ErrorNumber Win32Platform::RefuseClose(bool refuse) {
  main_.RefuseClose(refuse);
  return kOk;
}

ErrorNumber Win32Platform::HoldSessionEnd(const std::string& reason,
                                          std::function<void()> onRequest) {
  main_.HoldSessionEnd(com::Widen(reason), std::move(onRequest));
  return kOk;
}

void Win32Platform::ReleaseSessionEnd() {
  main_.ReleaseSessionEnd();
}

ErrorNumber Win32Platform::UnloadMainWindow() {
  main_.Destroy();
  return kOk;
}

void Win32Platform::DoEvents() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // No loop of the program ends on it, and one left in the queue would
      // wake every later wait at once and close every later box: it is
      // dropped, and the run ends as it would have, with its own exit code.
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace maj::win32
