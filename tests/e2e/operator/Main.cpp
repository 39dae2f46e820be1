// maj-operator: plays the operator of a Windows program from a test script.
// Each call does one step, prints what it saw as UTF-8 lines "key<TAB>value",
// and never waits longer than its time limit.
//
//   maj-operator list [--pid P]
//   maj-operator wait [--title T] [--class C] [--pid P] [--except HWND]... [--timeout S]
//   maj-operator show HWND
//   maj-operator type HWND TEXT
//   maj-operator key HWND KEY [--closes] [--timeout S]
//   maj-operator press HWND BUTTON [--closes] [--timeout S]
//   maj-operator counters PID
//   maj-operator launch EXE --title T [--until T] [--args A] [--timeout S]
//   maj-operator time-commands FILE [--window minimised|none] [--watch] [--timeout S]
//   maj-operator watch-copies PID --until T [--timeout S]
//   maj-operator watch-run EXE [--args A] [--output FILE] [--timeout S]
//   maj-operator responsive HWND --until T [--timeout S]
//   maj-operator end PID [--timeout S]
//   maj-operator exit-code PID [--timeout S]
//
// Exit status: 0 done; 1 not done in time, or the window did not do what was
// expected (the reason is printed as "error"); 2 wrong use; 3 the process given
// with --pid ended while a window was awaited ("exited" and its exit code), or
// the process given to exit-code ended.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cwchar>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "support/win32/ComOwners.h"
#include "support/win32/Handles.h"
#include "tests/e2e/measure/Counters.h"
#include "tests/e2e/measure/Timing.h"
#include "tests/e2e/operator/Watch.h"
#include "tests/win32/operator/Act.h"
#include "tests/win32/operator/Look.h"
#include "tests/win32/operator/Output.h"

namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;
constexpr int kExited = 3;

constexpr wchar_t kUsageText[] =
    L"usage: maj-operator list [--pid P]\n"
    L"       maj-operator wait [--title T] [--class C] [--pid P] [--except HWND]... "
    L"[--timeout S]\n"
    L"       maj-operator show HWND\n"
    L"       maj-operator type HWND TEXT\n"
    L"       maj-operator key HWND Enter|Escape|Tab|Alt+X|Alt+F4|Close|WM_CLOSE [--closes] "
    L"[--timeout S]\n"
    L"       maj-operator press HWND BUTTON [--closes] [--timeout S]\n"
    L"       maj-operator counters PID\n"
    L"       maj-operator launch EXE --title T [--until T] [--args A] [--timeout S]\n"
    L"       maj-operator time-commands FILE [--window minimised|none] [--watch] [--timeout S]\n"
    L"       maj-operator watch-copies PID --until T [--timeout S]\n"
    L"       maj-operator watch-run EXE [--args A] [--output FILE] [--timeout S]\n"
    L"       maj-operator responsive HWND --until T [--timeout S]\n"
    L"       maj-operator end PID [--timeout S]\n"
    L"       maj-operator exit-code PID [--timeout S]";

// The process's arguments, freed with it.
class Arguments {
 public:
  Arguments() : argv_(CommandLineToArgvW(GetCommandLineW(), &argc_)) {}
  Arguments(const Arguments&) = delete;
  Arguments& operator=(const Arguments&) = delete;
  ~Arguments() {
    if (argv_) LocalFree(argv_);
  }
  std::vector<std::wstring> List() const {
    std::vector<std::wstring> list;
    for (int i = 1; argv_ && i < argc_; ++i) list.emplace_back(argv_[i]);
    return list;
  }

 private:
  int argc_ = 0;
  LPWSTR* argv_;
};

using maj::win32::UniqueHandle;

struct Options {
  std::vector<std::wstring> positional;
  op::Criteria criteria;
  std::optional<std::wstring> until;
  std::wstring arguments;
  std::optional<std::wstring> output;
  DWORD timeoutMs = 10000;
  bool closes = false;
  bool watch = false;
  op::CopyWindow window = op::CopyWindow::None;
};

bool ParseNumber(const std::wstring& text, unsigned long long& value) {
  if (text.empty()) return false;
  wchar_t* end = nullptr;
  value = std::wcstoull(text.c_str(), &end, 0);
  return end && *end == L'\0';
}

bool Refuse(std::string& error, const char* why) {
  error = why;
  return false;
}

bool ParseOptions(const std::vector<std::wstring>& args, Options& options, std::string& error) {
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::wstring& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    unsigned long long number = 0;
    if (arg == L"--closes") {
      options.closes = true;
    } else if (arg == L"--watch") {
      options.watch = true;
    } else if (arg.rfind(L"--", 0) == 0 && !hasValue) {
      error = com::Narrow(arg) + " needs a value";
      return false;
    } else if (arg == L"--title") {
      options.criteria.title = args[++i];
    } else if (arg == L"--window") {
      const std::wstring& way = args[++i];
      if (way != L"minimised" && way != L"none") return Refuse(error, "bad --window");
      options.window = way == L"minimised" ? op::CopyWindow::Minimised : op::CopyWindow::None;
    } else if (arg == L"--args") {
      options.arguments = args[++i];
    } else if (arg == L"--output") {
      options.output = args[++i];
    } else if (arg == L"--until") {
      options.until = args[++i];
    } else if (arg == L"--class") {
      options.criteria.className = args[++i];
    } else if (arg == L"--pid") {
      if (!ParseNumber(args[++i], number)) return Refuse(error, "bad --pid");
      options.criteria.pid = static_cast<DWORD>(number);
    } else if (arg == L"--except") {
      if (!ParseNumber(args[++i], number)) return Refuse(error, "bad --except");
      options.criteria.except.push_back(reinterpret_cast<HWND>(static_cast<ULONG_PTR>(number)));
    } else if (arg == L"--timeout") {
      const double seconds = std::wcstod(args[++i].c_str(), nullptr);
      if (seconds <= 0 || seconds > 3600) return Refuse(error, "bad --timeout");
      options.timeoutMs = static_cast<DWORD>(seconds * 1000);
    } else if (arg.rfind(L"--", 0) == 0) {
      error = "unknown option " + com::Narrow(arg);
      return false;
    } else {
      options.positional.push_back(arg);
    }
  }
  return true;
}

bool ParseWindow(const std::wstring& text, HWND& window, std::string& error) {
  unsigned long long number = 0;
  if (!ParseNumber(text, number)) {
    error = "not a window handle: " + com::Narrow(text);
    return false;
  }
  window = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(number));
  if (!IsWindow(window)) {
    error = "no window " + com::Narrow(text);
    return false;
  }
  return true;
}

int Fail(const std::string& error) {
  op::PrintField("error", error);
  return kFailed;
}

int List(const Options& options) {
  bool first = true;
  for (const HWND window : op::TopWindows(options.criteria)) {
    if (!first) op::PrintLine("");
    first = false;
    op::Describe(window);
  }
  return kDone;
}

int Wait(const Options& options) {
  const UniqueHandle process(options.criteria.pid != 0
                                 ? OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION,
                                               FALSE, options.criteria.pid)
                                 : nullptr);
  if (options.criteria.pid != 0 && !process.Get()) {
    op::PrintField("exited", "unknown");
    return kExited;
  }
  const ULONGLONG end = GetTickCount64() + options.timeoutMs;
  for (;;) {
    const std::vector<HWND> found = op::TopWindows(options.criteria);
    if (!found.empty()) {
      // A window just shown may still be setting its focus and selection.
      op::Settle(found.front());
      op::Describe(found.front());
      return kDone;
    }
    if (process.Get() && WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0) {
      DWORD code = 0;
      GetExitCodeProcess(process.Get(), &code);
      op::PrintField("exited", std::to_string(code));
      return kExited;
    }
    if (GetTickCount64() >= end) return Fail("no such window appeared in time");
    Sleep(25);
  }
}

// After an action: the window closed as expected, or is still there as expected.
int Outcome(HWND window, const Options& options) {
  if (options.closes) {
    if (op::WaitGone(window, options.timeoutMs)) {
      op::PrintField("state", "closed");
      return kDone;
    }
    op::PrintField("state", "open");
    op::Describe(window);
    return Fail("the window did not close");
  }
  op::Settle(window);
  if (!IsWindow(window) || !IsWindowVisible(window)) {
    op::PrintField("state", "closed");
    return Fail("the window closed");
  }
  op::PrintField("state", "open");
  op::Describe(window);
  return kDone;
}

int Counters(const std::wstring& pidText) {
  unsigned long long pid = 0;
  if (!ParseNumber(pidText, pid)) return Fail("not a process id: " + com::Narrow(pidText));
  op::Counters counters;
  std::string error;
  if (!op::ReadCounters(static_cast<DWORD>(pid), counters, error)) return Fail(error);
  op::PrintField("pid", std::to_string(pid));
  op::PrintCounters(counters);
  return kDone;
}

// Ends a program that is not needed any more (the bench's reference program).
int End(const std::wstring& pidText, const Options& options) {
  unsigned long long pid = 0;
  if (!ParseNumber(pidText, pid)) return Fail("not a process id: " + com::Narrow(pidText));
  const UniqueHandle process(
      OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, static_cast<DWORD>(pid)));
  if (!process) {
    op::PrintField("exited", "unknown");
    return kExited;
  }
  if (!TerminateProcess(process.Get(), 1) ||
      WaitForSingleObject(process.Get(), options.timeoutMs) != WAIT_OBJECT_0) {
    return Fail("the process did not end");
  }
  op::PrintField("state", "ended");
  return kDone;
}

// Holds the process from the start, so that its exit code can still be read
// however soon after it ends the caller asks: started beside the program,
// it answers once the program has ended.
int ExitCode(const std::wstring& pidText, const Options& options) {
  unsigned long long pid = 0;
  if (!ParseNumber(pidText, pid)) return Fail("not a process id: " + com::Narrow(pidText));
  const UniqueHandle process(
      OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid)));
  if (!process) {
    op::PrintField("exited", "unknown");
    return kExited;
  }
  op::PrintField("held", std::to_string(pid));
  if (WaitForSingleObject(process.Get(), options.timeoutMs) != WAIT_OBJECT_0) {
    return Fail("the process did not end in time");
  }
  DWORD code = 0;
  if (!GetExitCodeProcess(process.Get(), &code)) return Fail("no exit code");
  op::PrintField("exited", std::to_string(code));
  return kExited;
}

std::string Milliseconds(double ms) {
  std::ostringstream out;
  out.precision(1);
  out << std::fixed << ms;
  return out.str();
}

int Launch(const std::wstring& exe, const Options& options) {
  op::LaunchTimes times;
  std::string error;
  const bool done = op::Launch(exe, options.arguments, *options.criteria.title, options.until,
                               options.timeoutMs, times, error);
  if (times.pid != 0) op::PrintField("pid", std::to_string(times.pid));
  if (!done) return Fail(error);
  op::PrintField("window", op::Hex(reinterpret_cast<ULONG_PTR>(times.window)));
  op::PrintField("shown-ms", Milliseconds(times.shownMs));
  op::PrintField("painted-ms", Milliseconds(times.paintedMs));
  if (options.until) {
    op::PrintField("until-window", op::Hex(reinterpret_cast<ULONG_PTR>(times.until)));
    op::PrintField("until-ms", Milliseconds(times.untilMs));
  }
  return kDone;
}

int TimeCommands(const std::wstring& file, const Options& options) {
  std::string error;
  // With --watch: every window the commands show while they run.
  op::WindowWatch watch(GetCurrentProcessId(), L"xcopy.exe");
  const std::function<void()> look = [&watch] { watch.Look(); };
  const bool done = op::TimeCommands(file, options.window, options.timeoutMs,
                                     options.watch ? look : std::function<void()>(), error);
  if (options.watch) watch.Print();
  return done ? kDone : Fail(error);
}

// Watches the program's copies until it shows a window titled `until`: the
// copies seen, and every window another process showed meanwhile.
int WatchCopies(const std::wstring& pidText, const Options& options) {
  unsigned long long pid = 0;
  if (!ParseNumber(pidText, pid)) return Fail("not a process id: " + com::Narrow(pidText));
  const UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid)));
  if (!process) return Fail("no process " + com::Narrow(pidText));
  op::Criteria until;
  until.pid = static_cast<DWORD>(pid);
  until.title = options.until;
  op::WindowWatch watch(static_cast<DWORD>(pid), L"xcopy.exe");
  const ULONGLONG end = GetTickCount64() + options.timeoutMs;
  for (int look = 0;; ++look) {
    watch.Look();
    // Asking every window for its title is slower: one time in ten.
    if (look % 10 == 0 && !op::TopWindows(until).empty()) break;
    if (WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0) {
      watch.Print();
      return Fail("the program ended first");
    }
    if (GetTickCount64() >= end) {
      watch.Print();
      return Fail("no such window appeared in time");
    }
    Sleep(2);
  }
  watch.Print();
  return kDone;
}

// Starts the program as a scheduled task does, with no console and nobody at
// the screen, and watches it to its end: each window of its own that shows,
// each window another process shows, its copies; then its exit code. With
// --output its standard output and error go to that file, as a remote
// command takes them.
int WatchRun(const std::wstring& exe, const Options& options) {
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  UniqueHandle output;
  if (options.output) {
    output = maj::win32::FromCreateFile(CreateFileW(options.output->c_str(), GENERIC_WRITE,
                                                    FILE_SHARE_READ, &inherited, CREATE_ALWAYS,
                                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!output) return Fail("cannot create " + com::Narrow(*options.output));
  }
  std::wstring line = L"\"" + exe + L"\"";
  if (!options.arguments.empty()) line += L" " + options.arguments;
  std::vector<wchar_t> buffer(line.begin(), line.end());
  buffer.push_back(L'\0');
  const std::wstring folder = exe.substr(0, exe.find_last_of(L'\\'));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (output) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = output.Get();
  }
  PROCESS_INFORMATION info{};
  // Suspended until the watch knows what was on the screen before it.
  if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, output ? TRUE : FALSE,
                      CREATE_SUSPENDED | DETACHED_PROCESS, nullptr, folder.c_str(), &startup,
                      &info)) {
    return Fail("cannot start " + com::Narrow(line) + " (error " + std::to_string(GetLastError()) +
                ")");
  }
  const UniqueHandle process(info.hProcess);
  const UniqueHandle thread(info.hThread);
  // The program holds its own copy: the file closes when it ends.
  output = UniqueHandle();
  op::PrintField("pid", std::to_string(info.dwProcessId));
  op::WindowWatch watch(info.dwProcessId, L"xcopy.exe");
  ResumeThread(thread.Get());
  const ULONGLONG end = GetTickCount64() + options.timeoutMs;
  bool ended = false;
  while (!ended) {
    ended = WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0;
    watch.Look();
    if (!ended && GetTickCount64() >= end) {
      watch.Print();
      return Fail("the program did not end in time");
    }
    Sleep(2);
  }
  watch.Print();
  DWORD code = 0;
  if (!GetExitCodeProcess(process.Get(), &code)) return Fail("no exit code");
  op::PrintField("exited", std::to_string(code));
  return kDone;
}

// How the window answers while its program works, until a later window shows.
int Responsive(HWND window, const Options& options) {
  // A hung window is one that does not answer for seconds; a loaded machine
  // delays answers by a fraction of that.
  constexpr DWORD kHangMs = 2000;
  op::Responsiveness seen;
  std::string error;
  const bool done =
      op::SampleResponses(window, *options.until, kHangMs, options.timeoutMs, seen, error);
  op::PrintField("limit-ms", std::to_string(kHangMs));
  op::PrintField("samples", std::to_string(seen.samples));
  op::PrintField("late", std::to_string(seen.late));
  op::PrintField("median-ms", Milliseconds(op::MedianMs(seen.answersMs)));
  op::PrintField("worst-ms", Milliseconds(seen.worstMs));
  return done ? kDone : Fail(error);
}

int Run(const std::vector<std::wstring>& args) {
  if (args.empty()) return op::PrintError(com::Narrow(kUsageText)), kUsage;
  Options options;
  std::string error;
  if (!ParseOptions(args, options, error)) {
    op::PrintError(error);
    op::PrintError(com::Narrow(kUsageText));
    return kUsage;
  }
  const std::wstring& command = args[0];
  const bool single = command == L"show" || command == L"counters" || command == L"launch" ||
                      command == L"time-commands" || command == L"end" ||
                      command == L"watch-copies" || command == L"watch-run" ||
                      command == L"exit-code";
  const bool windowOnly = command == L"show" || command == L"responsive";
  const std::size_t needed = command == L"list" || command == L"wait" ? 0
                             : single || windowOnly                   ? 1
                                                                      : 2;
  const bool known = single || windowOnly || command == L"list" || command == L"wait" ||
                     command == L"type" || command == L"key" || command == L"press";
  if (!known || options.positional.size() != needed ||
      (command == L"launch" && !options.criteria.title) ||
      ((command == L"responsive" || command == L"watch-copies") && !options.until)) {
    op::PrintError(com::Narrow(kUsageText));
    return kUsage;
  }
  if (command == L"list") return List(options);
  if (command == L"wait") return Wait(options);
  if (command == L"counters") return Counters(options.positional[0]);
  if (command == L"launch") return Launch(options.positional[0], options);
  if (command == L"time-commands") return TimeCommands(options.positional[0], options);
  if (command == L"end") return End(options.positional[0], options);
  if (command == L"exit-code") return ExitCode(options.positional[0], options);
  if (command == L"watch-copies") return WatchCopies(options.positional[0], options);
  if (command == L"watch-run") return WatchRun(options.positional[0], options);

  HWND window = nullptr;
  if (!ParseWindow(options.positional[0], window, error)) return Fail(error);
  if (command == L"show") {
    op::Describe(window);
    return kDone;
  }
  if (command == L"responsive") return Responsive(window, options);
  const std::wstring& what = options.positional[1];
  const bool acted = command == L"type"  ? op::TypeText(window, what, error)
                     : command == L"key" ? op::PressKey(window, what, error)
                                         : op::PressButton(window, what, error);
  if (!acted) return Fail(error);
  return Outcome(window, options);
}

}  // namespace

int main() {
  Arguments arguments;
  const int status = Run(arguments.List());
  // Wine's loader may still crash once this program is done (ld.so's
  // "Inconsistency detected" at exit, seen on a loaded machine): the harness
  // then takes the status from here.
  op::PrintError("maj-operator status " + std::to_string(status));
  return status;
}
