// Starting a command line as a process, and waiting for its end or a message.
#include <string>
#include <vector>

#include "platform/win32/Win32Platform.h"
#include "support/win32/ComOwners.h"
#include "support/win32/Handles.h"
#include "support/win32/Win32Errors.h"

namespace maj::win32 {
namespace {

class Win32Process final : public Process {
 public:
  explicit Win32Process(UniqueHandle process) : process_(std::move(process)) {}

  // The handle is signalled when the process ends, whatever its exit code:
  // one that ends with 259 (STILL_ACTIVE) is not taken for a running one.
  // MWMO_INPUTAVAILABLE wakes for messages already queued too, not only for
  // those that arrive during the wait.
  ErrorNumber WaitForEnd(std::uint32_t milliseconds, bool& ended) override {
    const HANDLE handle = process_.Get();
    switch (
        MsgWaitForMultipleObjectsEx(1, &handle, milliseconds, QS_ALLINPUT, MWMO_INPUTAVAILABLE)) {
      case WAIT_OBJECT_0:
        ended = true;
        return kOk;
      case WAIT_OBJECT_0 + 1:
      case WAIT_TIMEOUT:
        ended = false;
        return kOk;
      default:
        return LastError();
    }
  }

  ErrorNumber ExitCode(std::uint32_t& code) override {
    DWORD exit = 0;
    if (!GetExitCodeProcess(process_.Get(), &exit)) return LastError();
    code = exit;
    return kOk;
  }

 private:
  UniqueHandle process_;
};

// Starts the command line as it is: no quoting added. CreateProcessW may write
// into it, so it lives in a buffer of our own. Without an application name
// the system takes the program from the command line's first word.
ErrorNumber Start(const wchar_t* application, const std::string& commandLine, StartWindow window,
                  std::unique_ptr<Process>& process) {
  const std::wstring wide = com::Widen(commandLine);
  std::vector<wchar_t> buffer(wide.begin(), wide.end());
  buffer.push_back(L'\0');

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  DWORD flags = 0;
  if (window == StartWindow::NoConsoleWindow) {
    // Not DETACHED_PROCESS: the program keeps a console, so it behaves as
    // from a console window; only the window is not made.
    flags = CREATE_NO_WINDOW;
  } else {
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = window == StartWindow::Minimised ? SW_SHOWMINIMIZED : SW_SHOWNORMAL;
  }
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(application, buffer.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr,
                      &startup, &started)) {
    return LastError();
  }
  CloseHandle(started.hThread);
  process = std::make_unique<Win32Process>(UniqueHandle(started.hProcess));
  return kOk;
}

// The system folder. For a 32-bit process on 64-bit Windows, file-system
// redirection maps it to the 32-bit system folder (SysWOW64).
ErrorNumber SystemFolder(std::wstring& folder) {
  folder.assign(MAX_PATH, L'\0');
  for (;;) {
    const UINT length = GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
    if (length == 0) return LastError();
    if (length < folder.size()) {
      folder.resize(length);
      return kOk;
    }
    folder.resize(length);  // too small: the length asked includes the zero
  }
}

}  // namespace

ErrorNumber Win32Processes::StartProcess(const std::string& commandLine, StartWindow window,
                                         std::unique_ptr<Process>& process) {
  return Start(nullptr, commandLine, window, process);
}

ErrorNumber Win32Processes::StartSystemProcess(const std::string& program,
                                               const std::string& commandLine, StartWindow window,
                                               std::unique_ptr<Process>& process) {
  // Named by its full path: neither the program's folder nor the current one
  // is searched, so a file of that name put there cannot run instead.
  std::wstring path;
  if (const ErrorNumber failed = SystemFolder(path)) return failed;
  path += L"\\" + com::Widen(program);
  return Start(path.c_str(), commandLine, window, process);
}

}  // namespace maj::win32
