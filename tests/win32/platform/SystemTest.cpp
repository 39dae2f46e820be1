// Processes, files and folders, the file-system object and the system's names.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <windows.h>
// lmcons.h needs the types windows.h declares.
#include <lmcons.h>

#include "platform/Text.h"
#include "platform/win32/DllSearch.h"
#include "platform/win32/Win32Platform.h"
#include "support/win32/ComOwners.h"
#include "tests/win32/platform/Scratch.h"

namespace maj::win32 {
namespace {

void Write(Win32Platform& platform, const std::string& path, const std::string& bytes) {
  ASSERT_EQ(platform.RewriteFile(path, bytes), kOk) << path;
}

std::string ReadAll(Win32Platform& platform, const std::string& path) {
  std::unique_ptr<ByteSource> file;
  if (platform.OpenForInput(path, file) != kOk) return "<cannot open>";
  std::string bytes;
  char buffer[3];  // small, so that reads are joined
  for (;;) {
    std::size_t got = 0;
    if (file->Read(buffer, got) != kOk) return "<cannot read>";
    if (got == 0) return bytes;
    bytes.append(buffer, got);
  }
}

TEST(Processes, AProcessEndingWith259IsSeenAsEnded) {
  Win32Platform platform;
  std::unique_ptr<Process> process;
  ASSERT_EQ(platform.StartProcess("cmd /c exit 259", StartWindow::Minimised, process), kOk);
  EXPECT_TRUE(EndsWithin(*process, kHangMs));
}

// A program of ours that runs for `ms` milliseconds.
std::string SleepingSelf(int ms) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  // Appended piece by piece: GCC 12 sees a false overlap in "\"" + text.
  std::string command(1, '"');
  command.append(com::Narrow(self)).append("\" --sleep-ms=").append(std::to_string(ms));
  return command;
}

// On a thread of its own, whose queue holds only what the test posts: earlier
// tests may leave messages queued for the main thread.
TEST(Processes, TheWaitReturnsForAMessageForItsBoundAndAtTheEnd) {
  std::thread([] {
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // makes the thread's queue
    Win32Platform platform;
    std::unique_ptr<Process> process;
    ASSERT_EQ(platform.StartProcess(SleepingSelf(1500), StartWindow::Minimised, process), kOk);
    const ULONGLONG started = GetTickCount64();

    // A message already queued wakes it at once, and stays for the pump.
    ASSERT_TRUE(PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0));
    bool ended = true;
    ASSERT_EQ(process->WaitForEnd(kHangMs, ended), kOk);
    EXPECT_FALSE(ended);
    EXPECT_TRUE(PeekMessageW(&message, nullptr, WM_APP, WM_APP, PM_REMOVE));

    // Nothing queued: the bound ends it, the process still running.
    ASSERT_EQ(process->WaitForEnd(100, ended), kOk);
    EXPECT_FALSE(ended);

    // Then a long bound: it returns when the process ends, not at the bound,
    // and the process did end (its own exit code, not STILL_ACTIVE).
    ASSERT_EQ(process->WaitForEnd(kHangMs, ended), kOk);
    EXPECT_TRUE(ended);
    EXPECT_LT(GetTickCount64() - started, kHangMs);
    std::uint32_t code = 0;
    ASSERT_EQ(process->ExitCode(code), kOk);
    EXPECT_EQ(code, 3u);
  }).join();
}

TEST(Processes, ABadCommandFailsToStart) {
  Win32Platform platform;
  std::unique_ptr<Process> none;
  EXPECT_EQ(platform.StartProcess("no-such-program-here.exe /x", StartWindow::Minimised, none),
            kWin32FileNotFound);
  EXPECT_FALSE(none);
}

TEST(Processes, ASystemProgramRunsFromTheSystemFolderWhateverLiesElsewhere) {
  // An impostor in the current folder: this very program, which ends with 3
  // when it sees --sleep-ms; the system's xcopy shows its help and ends
  // with a code of its own.
  Win32Platform platform;
  const Scratch scratch(TempFolder());
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  ASSERT_TRUE(CopyFileW(self, com::Widen(scratch.Path("xcopy.exe")).c_str(), TRUE));
  wchar_t previous[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(com::Widen(scratch.Path()).c_str()));
  const std::string command = "xcopy /? --sleep-ms=0";
  static constexpr std::uint32_t kNoCode = 0xFFFFFFFF;  // not ended, or no code read
  const auto exitCode = [](Process& process) {
    std::uint32_t code = 0;
    return EndsWithin(process, kHangMs) && process.ExitCode(code) == kOk ? code : kNoCode;
  };

  std::unique_ptr<Process> searched;
  ASSERT_EQ(platform.StartProcess(command, StartWindow::Minimised, searched), kOk);
  EXPECT_EQ(exitCode(*searched), 3u) << "a search by name finds the impostor";
  std::unique_ptr<Process> named;
  ASSERT_EQ(platform.StartSystemProcess("xcopy.exe", command, StartWindow::Minimised, named), kOk);
  const std::uint32_t code = exitCode(*named);
  EXPECT_NE(code, 3u) << "the system's xcopy, named by its path";
  EXPECT_NE(code, kNoCode) << "the system's xcopy ends";

  std::unique_ptr<Process> none;
  EXPECT_EQ(
      platform.StartSystemProcess("no-such-program-here.exe", "x", StartWindow::Minimised, none),
      kWin32FileNotFound);
  SetCurrentDirectoryW(previous);
}

// Every file operation, on a local folder and on the share.
void CheckFileOperations(Win32Platform& platform, const std::wstring& parent) {
  const Scratch scratch(parent);
  const std::string folder = scratch.Path("MERIDOXAN");
  const std::string file = folder + "\\VERSION.txt";

  bool found = true;
  ASSERT_EQ(platform.FindEntry(folder, found), kOk);
  EXPECT_FALSE(found);
  ASSERT_EQ(platform.FindEntry(folder + "\\absent\\x.txt", found), kOk) << "parent missing";
  EXPECT_FALSE(found);
  ASSERT_EQ(platform.CreateFolder(folder), kOk);
  EXPECT_EQ(platform.CreateFolder(folder), kWin32AlreadyExists);
  ASSERT_EQ(platform.FindEntry(folder, found), kOk);
  EXPECT_TRUE(found) << "a folder counts";
  EntryKind kind = EntryKind::Other;
  ASSERT_EQ(platform.FindEntryKind(folder, kind), kOk);
  EXPECT_EQ(kind, EntryKind::Folder);
  ASSERT_EQ(platform.FindEntryKind(file, kind), kOk);
  EXPECT_EQ(kind, EntryKind::Missing);
  ASSERT_EQ(platform.FindEntryKind(folder + "\\absent\\x", kind), kOk);
  EXPECT_EQ(kind, EntryKind::Missing);

  // Append creates an empty file and then leaves it alone.
  ASSERT_EQ(platform.OpenForAppend(file), kOk);
  ASSERT_EQ(platform.FindEntry(file, found), kOk);
  EXPECT_TRUE(found);
  std::uint64_t length = 99;
  ASSERT_EQ(platform.FileLength(file, length), kOk);
  EXPECT_EQ(length, 0u);
  ASSERT_EQ(platform.FindEntryKind(file, kind), kOk);
  EXPECT_EQ(kind, EntryKind::Other) << "a plain file";

  // Bytes go through untouched, in both directions.
  const std::string bytes = "712\r\nVersion \xE9t\xE9\r\n\x00\xFF fin";
  Write(platform, file, bytes);
  EXPECT_EQ(ReadAll(platform, file), bytes);
  ASSERT_EQ(platform.OpenForAppend(file), kOk);
  ASSERT_EQ(platform.FileLength(file, length), kOk);
  EXPECT_EQ(length, bytes.size());
  Write(platform, file, "court");
  EXPECT_EQ(ReadAll(platform, file), "court");
  EXPECT_EQ(Entries(folder), (std::vector<std::string>{"VERSION.txt"})) << "no temporary file left";

  // A read-only file is refused and kept as it is.
  SetFileAttributesW(com::Widen(file).c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(platform.RewriteFile(file, "nouveau"), kWin32AccessDenied);
  EXPECT_EQ(ReadAll(platform, file), "court");
  EXPECT_EQ(Entries(folder), (std::vector<std::string>{"VERSION.txt"}));
  SetFileAttributesW(com::Widen(file).c_str(), FILE_ATTRIBUTE_NORMAL);

  // A missing folder fails and creates nothing.
  EXPECT_EQ(platform.RewriteFile(folder + "\\absent\\x.txt", "x"), kWin32PathNotFound);
  EXPECT_EQ(platform.FileLength(folder + "\\absent.txt", length), kWin32FileNotFound);
  std::unique_ptr<ByteSource> none;
  EXPECT_EQ(platform.OpenForInput(folder + "\\absent.txt", none), kWin32FileNotFound);
  EXPECT_FALSE(none);
}

TEST(Files, LocalFolder) {
  Win32Platform platform;
  CheckFileOperations(platform, TempFolder());
}

TEST(Files, SharedFolderThroughItsUncPath) {
  wchar_t share[MAX_PATH];
  const DWORD length = GetEnvironmentVariableW(L"MAJ_TEST_UNC", share, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) GTEST_SKIP() << "MAJ_TEST_UNC names no share";
  Win32Platform platform;
  CheckFileOperations(platform, share);
}

TEST(Files, ANameTheSystemCannotLookUpIsAnErrorNotAMissingEntry) {
  Win32Platform platform;
  bool found = false;
  EXPECT_EQ(platform.FindEntry("C:\\bases\\a<b>|c.txt", found), FromWin32(ERROR_INVALID_NAME));
}

TEST(FileSystemObject, ListsAFoldersFilesInItsOwnOrderWithFullPaths) {
  Win32Platform platform;
  std::shared_ptr<FileSystemObject> fso;
  ASSERT_EQ(platform.CreateFileSystemObject(fso), kOk);
  const Scratch scratch(TempFolder());
  for (const char* name : {"c.dat", "a.dat", "B.DAT", "_z.dat"}) {
    Write(platform, scratch.Path(name), name);
  }
  ASSERT_EQ(platform.CreateFolder(scratch.Path("sous-dossier")), kOk);
  Write(platform, scratch.Path("sous-dossier\\d.dat"), "d");

  std::vector<std::string> files;
  ASSERT_EQ(fso->GetFolderFiles(scratch.Path(), files), kOk);
  // The collection's order on this system: by name, case ignored, "_" after
  // the letters; never the order of creation; no sub-folder.
  EXPECT_EQ(files, (std::vector<std::string>{scratch.Path("a.dat"), scratch.Path("B.DAT"),
                                             scratch.Path("c.dat"), scratch.Path("_z.dat")}));

  std::vector<std::string> unchanged{"x"};
  const ErrorNumber missing = fso->GetFolderFiles(scratch.Path("absent"), unchanged);
  EXPECT_EQ(missing, kErrPathNotFound) << std::hex << missing;
  EXPECT_EQ(unchanged, (std::vector<std::string>{"x"}));
}

TEST(System, ApplicationFolderUserNameAndAnsiCodePage) {
  Win32Platform platform;
  std::string folder;
  ASSERT_EQ(platform.AppPath(folder), kOk);
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::string exe = com::Narrow(self);
  EXPECT_EQ(folder, exe.substr(0, exe.find_last_of('\\')));
  EXPECT_NE(folder.back(), '\\');

  // The whole name the system gives, without its terminating zero.
  char name[UNLEN + 1];
  DWORD size = sizeof name;
  ASSERT_TRUE(GetUserNameA(name, &size));
  std::string read;
  ASSERT_TRUE(platform.UserName(read));
  EXPECT_EQ(read, platform.FromAnsi(std::string(name, size - 1)));
  EXPECT_EQ(read.find('\0'), std::string::npos);
  EXPECT_FALSE(read.empty());

  if (GetACP() == 1252) {
    EXPECT_EQ(platform.ToAnsi("Gérard Œuvre"), "G\xE9rard \x8Cuvre");
    EXPECT_EQ(platform.FromAnsi("G\xE9rard \x8Cuvre"), "Gérard Œuvre");
  }
  EXPECT_EQ(platform.FromAnsi(platform.ToAnsi("ADM")), "ADM");
}

TEST(System, UpperCaseFollowsTheLocaleAndAgreesWithThePortableTable) {
  Win32Platform platform;
  // Every letter the tests' table covers: ASCII, Latin-1, Latin Extended-A.
  for (char32_t cp = 0x20; cp <= 0x17F; ++cp) {
    if (cp >= 0x7F && cp < 0xA0) continue;
    std::string letter;
    AppendUtf8(cp, letter);
    EXPECT_EQ(platform.ToUpper(letter), UpperCase(letter))
        << "U+" << std::hex << static_cast<std::uint32_t>(cp);
  }
  // Beyond it, the system's rules: Greek, Cyrillic, Latin Extended-B.
  EXPECT_EQ(platform.ToUpper(R"(d:\βάση\база\ǆ)"), R"(D:\ΒΆΣΗ\БАЗА\Ǆ)");
  EXPECT_EQ(platform.ToUpper(""), "");
}

// A claim made on a thread of its own, as another program's would be: a
// mutex its thread owns is that thread's to take again. The platform is
// handed back still living (`keep`) or gone with its thread.
bool ClaimElsewhere(std::unique_ptr<Win32Platform>* keep = nullptr) {
  bool alone = false;
  std::thread([&] {
    auto platform = std::make_unique<Win32Platform>();
    EXPECT_EQ(platform->ClaimSingleRun(alone), kOk);
    if (keep) *keep = std::move(platform);
  }).join();
  return alone;
}

TEST(System, OneRunAtATimeOnTheMachine) {
  Win32Platform first;
  bool alone = false;
  ASSERT_EQ(first.ClaimSingleRun(alone), kOk);
  EXPECT_TRUE(alone);
  EXPECT_FALSE(ClaimElsewhere()) << "the first still holds the run";
  // Held as long as the first lives, and only so long.
  EXPECT_FALSE(ClaimElsewhere());
}

TEST(System, OneRunIsFreeAgainOnceItsHolderHasGone) {
  bool alone = false;
  {
    Win32Platform first;
    ASSERT_EQ(first.ClaimSingleRun(alone), kOk);
    ASSERT_TRUE(alone);
  }
  EXPECT_TRUE(ClaimElsewhere());
}

// A refused start whose box stays open, and a run killed mid-way, hold
// nothing: the next start runs.
TEST(System, ARefusedStartAndAKilledRunLeaveTheRunFree) {
  std::unique_ptr<Win32Platform> refused;
  {
    Win32Platform first;
    bool alone = false;
    ASSERT_EQ(first.ClaimSingleRun(alone), kOk);
    ASSERT_TRUE(alone);
    EXPECT_FALSE(ClaimElsewhere(&refused));
  }
  EXPECT_TRUE(ClaimElsewhere()) << "the refused start, still showing its box, holds nothing";

  // Its thread ended without letting go, as a killed program's does.
  std::unique_ptr<Win32Platform> killed;
  ASSERT_TRUE(ClaimElsewhere(&killed));
  EXPECT_TRUE(ClaimElsewhere()) << "a run abandoned by its holder counts as free";
}

TEST(System, DllsNamedAloneAreSoughtOnThePathButNeverInTheCurrentFolder) {
  // A DLL of the system copied under new names into the current folder and
  // into a folder on PATH, as a database client installs its own.
  const Scratch scratch(TempFolder());
  wchar_t system[MAX_PATH];
  const UINT length = GetSystemDirectoryW(system, MAX_PATH);
  ASSERT_GT(length, 0u);
  const std::wstring original = std::wstring(system, length) + L"\\version.dll";
  const std::wstring current = com::Widen(scratch.Path("courant"));
  const std::wstring onPath = com::Widen(scratch.Path("client"));
  ASSERT_TRUE(CreateDirectoryW(current.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(onPath.c_str(), nullptr));
  const std::wstring copy = current + L"\\majcourant.dll";
  ASSERT_TRUE(CopyFileW(original.c_str(), copy.c_str(), TRUE));
  ASSERT_TRUE(CopyFileW(original.c_str(), (onPath + L"\\majclient.dll").c_str(), TRUE));
  wchar_t previous[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(current.c_str()));
  std::wstring path(32767, L'\0');
  path.resize(GetEnvironmentVariableW(L"PATH", path.data(), static_cast<DWORD>(path.size())));
  ASSERT_TRUE(SetEnvironmentVariableW(L"PATH", (onPath + L";" + path).c_str()));

  RemoveCurrentFolderFromDllSearch();
  // Wine 8 reads an empty DLL folder as none and keeps searching the current
  // folder; Windows takes it out, as documented.
  if (!GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) {
    EXPECT_EQ(LoadLibraryW(L"majcourant.dll"), nullptr) << "the current folder is not searched";
  }
  const HMODULE client = LoadLibraryW(L"majclient.dll");
  EXPECT_NE(client, nullptr) << "a folder on PATH is searched";
  const HMODULE byPath = LoadLibraryW(copy.c_str());
  EXPECT_NE(byPath, nullptr) << "a DLL named by its full path loads";
  EXPECT_NE(LoadLibraryW(L"version.dll"), nullptr) << "the system folder's own";
  if (client) FreeLibrary(client);
  if (byPath) FreeLibrary(byPath);
  SetEnvironmentVariableW(L"PATH", path.c_str());
  SetCurrentDirectoryW(previous);
}

}  // namespace
}  // namespace maj::win32
