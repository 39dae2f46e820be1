// What the run log needs of the system: whole lines appended by two writers,
// the refusals that send the log elsewhere, the rename, the system's texts,
// the exit code of a copy, and the last error left as it was.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <windows.h>

#include "platform/win32/Win32Platform.h"
#include "state/RunLog.h"
#include "support/win32/ComOwners.h"
#include "support/win32/Handles.h"
#include "tests/win32/platform/Scratch.h"

namespace maj::win32 {
namespace {

std::wstring Temp() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetTempPathW(MAX_PATH, path);
  return std::wstring(path, length > 0 ? length - 1 : 0);
}

std::string Content(const std::string& path) {
  UniqueHandle file = FromCreateFile(CreateFileW(com::Widen(path).c_str(), GENERIC_READ,
                                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                 OPEN_EXISTING, 0, nullptr));
  if (!file) return "<cannot open>";
  std::string bytes(4096, '\0');
  DWORD read = 0;
  if (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
    return "<cannot read>";
  }
  bytes.resize(read);
  return bytes;
}

TEST(RunLogCalls, TwoWritersAppendWholeLinesAtTheEnd) {
  Win32Platform platform;
  const Scratch scratch(Temp());
  const std::string path = scratch.Path("MiseANiveau.log");
  std::unique_ptr<LineSink> first, second;
  ASSERT_EQ(platform.OpenLines(path, "", first), kOk);
  ASSERT_EQ(platform.OpenLines(path, "", second), kOk) << "a second run must be able to log too";
  std::uint64_t length = 1;
  ASSERT_EQ(first->Length(length), kOk);
  EXPECT_EQ(length, 0u);
  for (int n = 0; n < 3; ++n) {
    ASSERT_EQ(first->Append("first " + std::to_string(n) + "\r\n"), kOk);
    ASSERT_EQ(second->Append("second " + std::to_string(n) + "\r\n"), kOk);
  }
  EXPECT_EQ(Content(path), "first 0\r\nsecond 0\r\nfirst 1\r\nsecond 1\r\nfirst 2\r\nsecond 2\r\n");
  ASSERT_EQ(second->Length(length), kOk);
  EXPECT_EQ(length, 57u);
}

// Runs that start at the same instant on a log not yet there: its byte-order
// mark once, at its start, and a log for every run.
TEST(RunLogCalls, RunsCreatingTheLogAtOnceWriteOneMarkBetweenThem) {
  const Scratch scratch(Temp());
  constexpr int kRuns = 8;
  for (int round = 0; round < 60; ++round) {
    const std::string folder = scratch.Path(std::to_string(round));
    ASSERT_TRUE(CreateDirectoryW(com::Widen(folder).c_str(), nullptr));
    const UniqueHandle go(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::atomic<int> logged{0};
    std::vector<std::thread> runs;
    for (int n = 0; n < kRuns; ++n) {
      runs.emplace_back([&] {
        Win32Platform platform;
        RunLog log;
        WaitForSingleObject(go.Get(), INFINITE);
        log.OpenRotated(platform, platform, platform, {folder});
        if (log.IsOpen()) ++logged;
        log.Line("run");
      });
    }
    SetEvent(go.Get());
    for (auto& run : runs) run.join();
    const std::string bytes = Content(folder + "\\MiseANiveau.log");
    std::size_t marks = 0;
    for (std::size_t at = 0; (at = bytes.find("\xEF\xBB\xBF", at)) != std::string::npos; ++at) {
      ++marks;
    }
    EXPECT_EQ(bytes.rfind("\xEF\xBB\xBF", 0), 0u) << "round " << round;
    EXPECT_EQ(marks, 1u) << "round " << round << "\n" << bytes;
    EXPECT_EQ(logged, kRuns) << "round " << round;
  }
}

TEST(RunLogCalls, ALockedLogAndAFolderAreRefused) {
  Win32Platform platform;
  const Scratch scratch(Temp());
  const std::string path = scratch.Path("MiseANiveau.log");
  std::unique_ptr<LineSink> sink;
  {
    // Another program holds the file without sharing it.
    UniqueHandle held = FromCreateFile(CreateFileW(com::Widen(path).c_str(), GENERIC_WRITE, 0,
                                                   nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(held);
    EXPECT_EQ(platform.OpenLines(path, "mark", sink), FromWin32(ERROR_SHARING_VIOLATION));
  }
  const std::string folder = scratch.Path("folder.log");
  ASSERT_TRUE(CreateDirectoryW(com::Widen(folder).c_str(), nullptr));
  EXPECT_NE(platform.OpenLines(folder, "", sink), kOk);
  EXPECT_NE(platform.OpenLines(scratch.Path("absent\\MiseANiveau.log"), "", sink), kOk);
  EXPECT_FALSE(sink);
}

TEST(RunLogCalls, TheRenameReplacesTheOlderLog) {
  Win32Platform platform;
  const Scratch scratch(Temp());
  const std::string path = scratch.Path("MiseANiveau.log");
  for (const auto& [name, bytes] :
       {std::pair<std::string, std::string>{path, "new"}, {path + ".1", "old"}}) {
    std::unique_ptr<LineSink> sink;
    ASSERT_EQ(platform.OpenLines(name, "", sink), kOk);
    ASSERT_EQ(sink->Append(bytes), kOk);
  }
  ASSERT_EQ(platform.RenameOver(path, path + ".1"), kOk);
  EXPECT_EQ(Content(path + ".1"), "new");
  EXPECT_EQ(Content(path), "<cannot open>");
}

// A log opened already in this process (for the box of a start nobody
// watches) must not keep the run's own opening from setting it aside.
TEST(RunLogCalls, ALogOpenedBeforeIsLetGoSoThatTheRunCanRotateIt) {
  Win32Platform platform;
  const Scratch scratch(Temp());
  const std::string path = scratch.Path("MiseANiveau.log");
  std::unique_ptr<LineSink> sink;
  ASSERT_EQ(platform.OpenLines(path, "", sink), kOk);
  ASSERT_EQ(sink->Append(std::string(kLogRotateBytes + 1, 'x')), kOk);
  sink.reset();
  RunLog log;
  log.Open(platform, platform, {scratch.Path()});
  log.OpenRotated(platform, platform, platform, {scratch.Path()});
  log.Close();
  std::uint64_t length = 0;
  EXPECT_EQ(platform.FileLength(path + ".1", length), kOk);
  EXPECT_EQ(length, kLogRotateBytes + 1);
}

TEST(RunLogCalls, TheSystemsTextsTheClockAndTheNames) {
  Win32Platform platform;
  EXPECT_FALSE(platform.ErrorText(kWin32AccessDenied).empty());
  const std::string text = platform.ErrorText(kWin32FileNotFound);
  ASSERT_FALSE(text.empty());
  EXPECT_NE(text.back(), '\n');
  EXPECT_EQ(platform.ErrorText(kErrFileNotFound), "")
      << "the runtime's numbers have no system text";
  std::string name;
  EXPECT_TRUE(platform.ComputerName(name));
  EXPECT_FALSE(name.empty());
  std::string program;
  ASSERT_EQ(platform.ProgramFile(program), kOk);
  EXPECT_NE(program.find(".exe"), std::string::npos);
  const LocalTime before = platform.Now();
  Sleep(20);
  const LocalTime after = platform.Now();
  EXPECT_GE(after.tick, before.tick) << "the clock of durations never goes back";
  EXPECT_GE(before.year, 2024);
  EXPECT_LT(before.millisecond, 1000);
}

TEST(RunLogCalls, NoneOfThemChangesTheLastError) {
  Win32Platform platform;
  const Scratch scratch(Temp());
  std::unique_ptr<LineSink> sink;
  std::string text;
  SetLastError(1234);
  Unheeded(platform.OpenLines(scratch.Path("absent\\x.log"), "", sink));  // fails
  EXPECT_EQ(GetLastError(), 1234u);
  ASSERT_EQ(platform.OpenLines(scratch.Path("x.log"), "mark", sink), kOk);
  EXPECT_EQ(GetLastError(), 1234u);
  Unheeded(sink->Append("line\r\n"));
  EXPECT_EQ(GetLastError(), 1234u);
  Unheeded(platform.RenameOver(scratch.Path("none"), scratch.Path("other")));  // fails
  EXPECT_EQ(GetLastError(), 1234u);
  platform.ErrorText(0x800A0035);
  platform.Now();
  platform.ComputerName(text);
  Unheeded(platform.ProgramFile(text));
  EXPECT_EQ(GetLastError(), 1234u);
}

TEST(RunLogCalls, TheExitCodeOfAnEndedProcess) {
  Win32Platform platform;
  std::unique_ptr<Process> process;
  ASSERT_EQ(platform.StartProcess("cmd /c exit 4", StartWindow::Minimised, process), kOk);
  ASSERT_TRUE(EndsWithin(*process, 10000));
  std::uint32_t code = 0;
  ASSERT_EQ(process->ExitCode(code), kOk);
  EXPECT_EQ(code, 4u);
}

TEST(RunLogCalls, TheTaskbarTakesTheProgressOfTheMainWindow) {
  Win32Platform platform;
  ASSERT_EQ(platform.CreateMainWindow(), kOk);
  platform.ShowMainWindow(SW_SHOWNORMAL);
  // Where the system has the interface the calls reach it; where it has not
  // (some Wine versions), they do nothing. Either way the window stays.
  platform.TaskbarProgress(TaskbarState::Normal, 1, 3);
  platform.TaskbarProgress(TaskbarState::Error, 3, 3);
  platform.TaskbarProgress(TaskbarState::None, 0, 0);
  EXPECT_TRUE(IsWindow(platform.MainWindowHandle()));
  EXPECT_EQ(platform.UnloadMainWindow(), kOk);
}

}  // namespace
}  // namespace maj::win32
