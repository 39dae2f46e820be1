// The taskbar button's progress, and the flashing that calls the operator to
// a box while another program is in front.
#include "platform/win32/Win32Platform.h"

namespace maj::win32 {

ITaskbarList3* Win32Operator::Taskbar() {
  // Where the system has no such interface the button just shows no progress.
  if (!taskbarTried_) {
    taskbarTried_ = true;
    if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                reinterpret_cast<void**>(taskbar_.Put()))) ||
        FAILED(taskbar_->HrInit())) {
      taskbar_.Reset();
    }
  }
  return taskbar_.Get();
}

void Win32Operator::TaskbarProgress(TaskbarState state, int done, int total) {
  const HWND window = main_.Handle();
  ITaskbarList3* const taskbar = window ? Taskbar() : nullptr;
  if (!taskbar) return;
  taskbarState_ = state == TaskbarState::None    ? TBPF_NOPROGRESS
                  : state == TaskbarState::Error ? TBPF_ERROR
                                                 : TBPF_NORMAL;
  taskbar->SetProgressState(window, taskbarState_);
  if (state != TaskbarState::None && total > 0) {
    taskbar->SetProgressValue(window, static_cast<ULONGLONG>(done), static_cast<ULONGLONG>(total));
  }
}

void Win32Operator::TaskbarPaused(bool paused) {
  const HWND window = main_.Handle();
  ITaskbarList3* const taskbar = window ? Taskbar() : nullptr;
  if (taskbar) taskbar->SetProgressState(window, paused ? TBPF_PAUSED : taskbarState_);
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
