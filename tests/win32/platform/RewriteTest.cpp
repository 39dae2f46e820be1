// The rewrite of a file through the system calls it makes: each of them made
// to fail in turn, what the replaced file keeps, and what a killed run left.
#include <gtest/gtest.h>

#include <windows.h>
// sddl.h needs the types windows.h declares.
#include <sddl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win32/FileCalls.h"
#include "platform/win32/Win32Platform.h"
#include "support/win32/ComOwners.h"
#include "tests/win32/platform/Scratch.h"

namespace maj::win32 {
namespace {

std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

// Failing stand-ins for the calls of the table, and counters of the real ones.
BOOL WINAPI DiskFullWrite(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED) {
  SetLastError(ERROR_DISK_FULL);
  return FALSE;
}
BOOL WINAPI FailingFlush(HANDLE) {
  SetLastError(ERROR_NETNAME_DELETED);
  return FALSE;
}
BOOL WINAPI RefusedAttributes(LPCWSTR, DWORD) {
  SetLastError(ERROR_ACCESS_DENIED);
  return FALSE;
}
BOOL WINAPI RefusedMove(LPCWSTR, LPCWSTR, DWORD) {
  SetLastError(ERROR_ACCESS_DENIED);
  return FALSE;
}
BOOL WINAPI SharedMove(LPCWSTR, LPCWSTR, DWORD) {
  SetLastError(ERROR_SHARING_VIOLATION);
  return FALSE;
}
// A folder where files may be changed but not created: a new name is refused.
HANDLE WINAPI NoNewFile(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                        DWORD disposition, DWORD flags, HANDLE model) {
  if (disposition == CREATE_NEW) {
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  return ::CreateFileW(name, access, share, security, disposition, flags, model);
}
// A disk with no room for a new file.
HANDLE WINAPI NoRoomForANewFile(LPCWSTR name, DWORD access, DWORD share,
                                LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                                HANDLE model) {
  if (disposition == CREATE_NEW) {
    SetLastError(ERROR_DISK_FULL);
    return INVALID_HANDLE_VALUE;
  }
  return ::CreateFileW(name, access, share, security, disposition, flags, model);
}
std::vector<DWORD> moves;  // the flags of each move
BOOL WINAPI RecordedMove(LPCWSTR from, LPCWSTR to, DWORD flags) {
  moves.push_back(flags);
  return ::MoveFileExW(from, to, flags);
}

class RewriteTest : public ::testing::Test {
 protected:
  Scratch scratch{TempFolder()};
  const std::string file = scratch.Path("VERSION.txt");
  Win32Platform platform;
};

TEST_F(RewriteTest, AFailedWriteFlushAttributeOrReplaceKeepsTheOldBytesAndLeavesNoTemporary) {
  ASSERT_EQ(platform.RewriteFile(file, "ancien\r\n"), kOk);
  struct Case {
    const char* what;
    FileCalls calls;
    ErrorNumber expected;
  };
  FileCalls noRoom, diskFull, flushFails, attributesRefused, replaceRefused;
  noRoom.createFile = &NoRoomForANewFile;   // not a refusal for access: no rewrite in place
  replaceRefused.moveFileEx = &SharedMove;  // held open elsewhere (a refusal for access: below)
  diskFull.writeFile = &DiskFullWrite;
  attributesRefused.setFileAttributes = &RefusedAttributes;
  flushFails.flushFileBuffers = &FailingFlush;
  for (const Case& c : {Case{"create", noRoom, FromWin32(ERROR_DISK_FULL)},
                        Case{"write", diskFull, FromWin32(ERROR_DISK_FULL)},
                        Case{"flush", flushFails, FromWin32(ERROR_NETNAME_DELETED)},
                        Case{"replace", replaceRefused, FromWin32(ERROR_SHARING_VIOLATION)}}) {
    const ScopedFileCalls failing(c.calls);
    EXPECT_EQ(platform.RewriteFile(file, "nouveau\r\n"), c.expected) << c.what;
    EXPECT_EQ(ReadAll(file), "ancien\r\n") << c.what;
    EXPECT_EQ(Entries(scratch.Path()), std::vector<std::string>{"VERSION.txt"}) << c.what;
  }
  EXPECT_EQ(platform.RewriteFile(file, "nouveau\r\n"), kOk) << "the real calls are back";
  EXPECT_EQ(ReadAll(file), "nouveau\r\n");
}

TEST_F(RewriteTest, ANewFileThatCannotTakeItsNameLeavesNothing) {
  FileCalls moveRefused;
  moveRefused.moveFileEx = &RefusedMove;
  const ScopedFileCalls failing(moveRefused);
  EXPECT_EQ(platform.RewriteFile(file, "x"), kWin32AccessDenied);
  EXPECT_TRUE(Entries(scratch.Path()).empty());
}

TEST_F(RewriteTest, NoNewFileOrARenameRefusedForAccessRewritesTheFileInPlace) {
  FileCalls noNewFile, moveRefused;
  noNewFile.createFile = &NoNewFile;
  moveRefused.moveFileEx = &RefusedMove;  // no DELETE right on the file
  for (const FileCalls& calls : {noNewFile, moveRefused}) {
    ASSERT_EQ(platform.RewriteFile(file, "ancien et long\r\n"), kOk);
    ASSERT_TRUE(SetFileAttributesW(com::Widen(file).c_str(), FILE_ATTRIBUTE_HIDDEN));
    const ScopedFileCalls refusing(calls);
    EXPECT_EQ(platform.RewriteFile(file, "\r\nneuf\r\n"), kOk);
    EXPECT_EQ(ReadAll(file), "\r\nneuf\r\n");  // the same bytes, none of the old left
    EXPECT_TRUE(GetFileAttributesW(com::Widen(file).c_str()) & FILE_ATTRIBUTE_HIDDEN);
    // The temporary of a refused rename is gone; none is left for later runs.
    EXPECT_EQ(Entries(scratch.Path()), std::vector<std::string>{"VERSION.txt"});
    ASSERT_TRUE(SetFileAttributesW(com::Widen(file).c_str(), FILE_ATTRIBUTE_NORMAL));
  }
}

TEST_F(RewriteTest, TheNewContentTakesTheNameInOneRenameThatReachesTheDisk) {
  FileCalls recorded;
  recorded.moveFileEx = &RecordedMove;
  const ScopedFileCalls recording(recorded);
  moves.clear();
  ASSERT_EQ(platform.RewriteFile(file, "un"), kOk);
  ASSERT_EQ(platform.RewriteFile(file, "deux"), kOk);
  // A new file never replaces one that appeared meanwhile; an existing one is
  // replaced in the same rename.
  EXPECT_EQ(moves, (std::vector<DWORD>{MOVEFILE_WRITE_THROUGH,
                                       MOVEFILE_WRITE_THROUGH | MOVEFILE_REPLACE_EXISTING}));
  EXPECT_EQ(ReadAll(file), "deux");
}

std::wstring SecurityText(const std::string& path, SECURITY_INFORMATION what) {
  DWORD needed = 0;
  GetFileSecurityW(com::Widen(path).c_str(), what, nullptr, 0, &needed);
  std::vector<BYTE> buffer(needed);
  if (needed == 0 ||
      !GetFileSecurityW(com::Widen(path).c_str(), what, buffer.data(), needed, &needed)) {
    return L"<none>";
  }
  LPWSTR text = nullptr;
  if (!ConvertSecurityDescriptorToStringSecurityDescriptorW(buffer.data(), SDDL_REVISION_1, what,
                                                            &text, nullptr)) {
    return L"<unreadable>";
  }
  std::wstring copy = text;
  LocalFree(text);
  return copy;
}

TEST_F(RewriteTest, AHiddenSystemFileClosedToOthersKeepsItsAttributesAndSecurity) {
  ASSERT_EQ(platform.RewriteFile(file, "ancien\r\n"), kOk);
  // Full control for the administrators, the system and the owner; nothing
  // for anyone else (Wine keeps that in the file's mode bits).
  ASSERT_TRUE(SetAccess(file, L"D:P(A;;FA;;;BA)(A;;FA;;;SY)(A;;FA;;;OW)"));
  ASSERT_TRUE(
      SetFileAttributesW(com::Widen(file).c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  const SECURITY_INFORMATION what = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  const std::wstring before = SecurityText(file, what);
  ASSERT_EQ(before.find(L";;;WD)"), std::wstring::npos) << com::Narrow(before);

  ASSERT_EQ(platform.RewriteFile(file, "\r\nancien\r\n"), kOk);
  EXPECT_EQ(ReadAll(file), "\r\nancien\r\n");
  const DWORD attributes = GetFileAttributesW(com::Widen(file).c_str());
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN) << std::hex << attributes;
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_SYSTEM) << std::hex << attributes;
  EXPECT_EQ(SecurityText(file, what), before);
  EXPECT_EQ(Entries(scratch.Path()), std::vector<std::string>{"VERSION.txt"});
}

TEST_F(RewriteTest, TheTemporaryOfAKilledRunIsRemovedByTheNextRewrite) {
  ASSERT_EQ(platform.RewriteFile(file, "ancien"), kOk);
  const std::string stale = file + ".4242.123456.tmp";
  ASSERT_EQ(platform.OpenForAppend(stale), kOk);
  const std::string other = scratch.Path("AUTRE.txt.1.2.tmp");  // not the marker's: kept
  ASSERT_EQ(platform.OpenForAppend(other), kOk);
  ASSERT_EQ(platform.RewriteFile(file, "nouveau"), kOk);
  EXPECT_EQ(Sorted(Entries(scratch.Path())),
            (std::vector<std::string>{"AUTRE.txt.1.2.tmp", "VERSION.txt"}));
}

}  // namespace
}  // namespace maj::win32
