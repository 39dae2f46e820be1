// The taskbar button's progress, and the flashing that calls the operator to
// a box while another program is in front.
#include "platform/win32/Win32Platform.h"

namespace maj::win32 {

void Win32Operator::TaskbarProgress(TaskbarState state, int done, int total) {
  const HWND window = main_.Handle();
  if (!window) return;
  // Created at the first use; where the system has no such interface the
  // button just shows no progress.
  if (!taskbarTried_) {
    taskbarTried_ = true;
    if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                reinterpret_cast<void**>(taskbar_.Put()))) ||
        FAILED(taskbar_->HrInit())) {
      taskbar_.Reset();
    }
  }
  if (!taskbar_) return;
  if (state == TaskbarState::None) {
    taskbar_->SetProgressState(window, TBPF_NOPROGRESS);
    return;
  }
  taskbar_->SetProgressState(window, state == TaskbarState::Error ? TBPF_ERROR : TBPF_NORMAL);
  if (total > 0) {
    taskbar_->SetProgressValue(window, static_cast<ULONGLONG>(done), static_cast<ULONGLONG>(total));
  }
}

void Win32Operator::AttractOperator() {
  const HWND window = main_.Handle();
  const HWND front = GetForegroundWindow();
  DWORD frontProcess = 0;
  if (!window || !front) return;
  GetWindowThreadProcessId(front, &frontProcess);
  if (frontProcess == GetCurrentProcessId()) return;
  // Flashes until the program is brought forward.
  FLASHWINFO flash{};
  flash.cbSize = sizeof flash;
  flash.hwnd = window;
  flash.dwFlags = FLASHW_ALL | FLASHW_TIMERNOFG;
  FlashWindowEx(&flash);
}

}  // namespace maj::win32
