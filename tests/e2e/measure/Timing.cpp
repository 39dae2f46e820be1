#include "tests/e2e/measure/Timing.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "support/win32/ComOwners.h"
#include "support/win32/Handles.h"
#include "tests/win32/operator/Look.h"
#include "tests/win32/operator/Output.h"

namespace op {
namespace {

using maj::win32::UniqueHandle;

class Stopwatch {
 public:
  Stopwatch() {
    QueryPerformanceFrequency(&frequency_);
    QueryPerformanceCounter(&start_);
  }
  double Ms() const {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - start_.QuadPart) * 1000.0 /
           static_cast<double>(frequency_.QuadPart);
  }

 private:
  LARGE_INTEGER frequency_{};
  LARGE_INTEGER start_{};
};

struct Started {
  UniqueHandle process;
  DWORD pid = 0;
};

bool Start(const std::wstring& commandLine, const wchar_t* folder, WORD showState, DWORD flags,
           Started& started, std::string& error) {
  std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (showState != SW_SHOWDEFAULT) {
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = showState;
  }
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, flags, nullptr, folder,
                      &startup, &info)) {
    error = "cannot start " + com::Narrow(commandLine) + " (error " +
            std::to_string(GetLastError()) + ")";
    return false;
  }
  CloseHandle(info.hThread);
  started.process = UniqueHandle(info.hProcess);
  started.pid = info.dwProcessId;
  return true;
}

// Nothing left to paint in the window or any of its controls, as the window
// system keeps it.
bool Painted(HWND window) {
  if (GetUpdateRect(window, nullptr, FALSE)) return false;
  for (const HWND control : ControlsOf(window)) {
    if (GetUpdateRect(control, nullptr, FALSE)) return false;
  }
  return true;
}

// Polls every `stepMs` until `ready` holds; false when the process ended or
// the time ran out first.
template <class Ready>
bool PollUntil(const Started& started, const Stopwatch& clock, DWORD timeoutMs, DWORD stepMs,
               Ready ready, const char* what, std::string& error) {
  for (;;) {
    if (ready()) return true;
    if (WaitForSingleObject(started.process.Get(), 0) == WAIT_OBJECT_0) {
      error = std::string("the program ended before ") + what;
      return false;
    }
    if (clock.Ms() > timeoutMs) {
      error = std::string("no ") + what + " in time";
      return false;
    }
    Sleep(stepMs);
  }
}

struct Titled {
  DWORD pid;
  const std::wstring* title;
  HWND found;
};

BOOL CALLBACK FindTop(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<Titled*>(context);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != search->pid || !IsWindowVisible(window)) return TRUE;
  // The caption the system keeps: no message is sent, so the program is not
  // disturbed, nor awaited while it is busy.
  wchar_t text[256] = {};
  const int n = GetWindowTextW(window, text, 256);
  if (search->title->compare(0, std::wstring::npos, text, n > 0 ? n : 0) != 0) return TRUE;
  search->found = window;
  return FALSE;
}

HWND FindTitled(DWORD pid, const std::wstring& title) {
  Titled search{pid, &title, nullptr};
  EnumWindows(FindTop, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

bool Launch(const std::wstring& exe, const std::wstring& arguments, const std::wstring& title,
            const std::optional<std::wstring>& until, DWORD timeoutMs, LaunchTimes& times,
            std::string& error) {
  const std::wstring folder = exe.substr(0, exe.find_last_of(L"\\/"));
  Started started;
  const Stopwatch clock;
  // Without this helper's console, as when an operator starts it.
  const std::wstring line = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
  if (!Start(line, folder.c_str(), SW_SHOWDEFAULT, DETACHED_PROCESS, started, error)) {
    return false;
  }
  times.pid = started.pid;
  const auto shown = [&] { return (times.window = FindTitled(started.pid, title)) != nullptr; };
  if (!PollUntil(started, clock, timeoutMs, 1, shown, "main window", error)) return false;
  times.shownMs = clock.Ms();
  const auto painted = [&] { return Painted(times.window); };
  if (!PollUntil(started, clock, timeoutMs, 1, painted, "painted main window", error)) {
    return false;
  }
  times.paintedMs = clock.Ms();
  if (until) {
    // A long wait: a coarser step leaves the machine to the program.
    const auto later = [&] { return (times.until = FindTitled(started.pid, *until)) != nullptr; };
    if (!PollUntil(started, clock, timeoutMs, 10, later, "later window", error)) return false;
    times.untilMs = clock.Ms();
  }
  return true;
}

bool SampleResponses(HWND window, const std::wstring& until, DWORD limitMs, DWORD timeoutMs,
                     Responsiveness& seen, std::string& error) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  const Stopwatch clock;
  while (FindTitled(pid, until) == nullptr) {
    if (clock.Ms() > timeoutMs) {
      error = "no later window in time";
      return false;
    }
    const Stopwatch answer;
    DWORD_PTR result = 0;
    const bool answered =
        SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, limitMs, &result) != 0;
    const double ms = answer.Ms();
    if (!answered && !IsWindow(window)) {
      error = "the window went away";
      return false;
    }
    ++seen.samples;
    if (!answered || ms > limitMs) ++seen.late;
    if (ms > seen.worstMs) seen.worstMs = ms;
    seen.answersMs.push_back(ms);
    Sleep(20);
  }
  return true;
}

double MedianMs(std::vector<double> ms) {
  if (ms.empty()) return 0;
  std::sort(ms.begin(), ms.end());
  const std::size_t half = ms.size() / 2;
  return ms.size() % 2 != 0 ? ms[half] : (ms[half - 1] + ms[half]) / 2;
}

bool TimeCommands(const std::wstring& file, CopyWindow window, DWORD timeoutMs,
                  const std::function<void()>& look, std::string& error) {
  std::ifstream in(std::filesystem::path(file), std::ios::binary);
  if (!in) {
    error = "cannot read " + com::Narrow(file);
    return false;
  }
  std::string line;
  int n = 0;
  // As the program does: a process without a console, so that each command
  // gets a console of its own, which is most of its cost under Wine.
  FreeConsole();
  const WORD show = window == CopyWindow::Minimised ? SW_SHOWMINIMIZED : SW_SHOWDEFAULT;
  const DWORD flags = window == CopyWindow::None ? CREATE_NO_WINDOW : 0;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    Started started;
    const Stopwatch clock;
    if (!Start(com::Widen(line), nullptr, show, flags, started, error)) return false;
    DWORD waited = WAIT_TIMEOUT;
    if (look) {
      while ((waited = WaitForSingleObject(started.process.Get(), 2)) == WAIT_TIMEOUT &&
             clock.Ms() < timeoutMs) {
        look();
      }
    } else {
      waited = WaitForSingleObject(started.process.Get(), timeoutMs);
    }
    if (waited != WAIT_OBJECT_0) {
      TerminateProcess(started.process.Get(), 1);
      error = "still running after the time limit: " + line;
      return false;
    }
    const double ms = clock.Ms();
    DWORD code = 0;
    GetExitCodeProcess(started.process.Get(), &code);
    std::ostringstream out;
    out.precision(3);
    out << std::fixed << "run\t" << ++n << "\tms=" << ms << "\texit=" << code;
    PrintLine(out.str());
  }
  return true;
}

}  // namespace op
