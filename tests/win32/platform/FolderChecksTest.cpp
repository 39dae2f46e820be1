// The pre-check's folder questions through the system calls they make: a
// folder closed to the operator, and each call made to fail in turn.
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/win32/CheckCalls.h"
#include "platform/win32/Win32Platform.h"
#include "tests/win32/platform/Scratch.h"

namespace maj::win32 {
namespace {

BOOL WINAPI RefusedSecurity(LPCWSTR, SECURITY_INFORMATION, PSECURITY_DESCRIPTOR, DWORD, LPDWORD) {
  SetLastError(ERROR_ACCESS_DENIED);
  return FALSE;
}
BOOL WINAPI DeniedAccess(PSECURITY_DESCRIPTOR, HANDLE, DWORD, PGENERIC_MAPPING, PPRIVILEGE_SET,
                         LPDWORD, LPDWORD granted, LPBOOL status) {
  *granted = 0;
  *status = FALSE;
  return TRUE;
}
BOOL WINAPI FailedAccessCheck(PSECURITY_DESCRIPTOR, HANDLE, DWORD, PGENERIC_MAPPING, PPRIVILEGE_SET,
                              LPDWORD, LPDWORD, LPBOOL) {
  SetLastError(ERROR_INVALID_SECURITY_DESCR);
  return FALSE;
}
BOOL WINAPI LostShare(LPCWSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER) {
  SetLastError(ERROR_NETNAME_DELETED);
  return FALSE;
}

TEST(FolderChecks, AFolderWhoseSecurityRefusesNewFilesIsToldSo) {
  Win32Platform platform;
  const Scratch scratch(TempFolder());
  const std::string folder = scratch.Path("INSTALLMAJ");
  ASSERT_EQ(platform.CreateFolder(folder), kOk);
  // Everyone may do all but add a file. Wine turns the rights into the
  // folder's permissions, and reads them back the same way.
  ASSERT_TRUE(SetAccess(folder, L"D:(D;;0x2;;;WD)(A;;FA;;;WD)"));
  bool allowed = true;
  ASSERT_EQ(platform.WriteAllowed(folder, FolderWrite::File, allowed), kOk);
  EXPECT_FALSE(allowed);
  ASSERT_EQ(platform.WriteAllowed(scratch.Path(), FolderWrite::Folder, allowed), kOk);
  EXPECT_TRUE(allowed) << "its parent is open";
}

TEST(FolderChecks, EachRefusalOrFailureOfTheSystemIsTold) {
  Win32Platform platform;
  const Scratch scratch(TempFolder());
  bool allowed = true;
  {
    CheckCalls calls;
    calls.accessCheck = &DeniedAccess;
    const ScopedCheckCalls scoped(calls);
    ASSERT_EQ(platform.WriteAllowed(scratch.Path(), FolderWrite::File, allowed), kOk);
    EXPECT_FALSE(allowed) << "the folder's security refuses the operator";
  }
  {
    CheckCalls calls;
    calls.getFileSecurity = &RefusedSecurity;
    const ScopedCheckCalls scoped(calls);
    EXPECT_EQ(platform.WriteAllowed(scratch.Path(), FolderWrite::File, allowed),
              kWin32AccessDenied);
  }
  {
    CheckCalls calls;
    calls.accessCheck = &FailedAccessCheck;
    const ScopedCheckCalls scoped(calls);
    EXPECT_EQ(platform.WriteAllowed(scratch.Path(), FolderWrite::Folder, allowed),
              FromWin32(ERROR_INVALID_SECURITY_DESCR));
  }
  {
    CheckCalls calls;
    calls.getDiskFreeSpaceEx = &LostShare;
    const ScopedCheckCalls scoped(calls);
    std::uint64_t room = 0;
    EXPECT_EQ(platform.FreeSpace(scratch.Path(), room), FromWin32(ERROR_NETNAME_DELETED));
  }
  // The real calls again, once the tables are gone.
  ASSERT_EQ(platform.WriteAllowed(scratch.Path(), FolderWrite::File, allowed), kOk);
  EXPECT_TRUE(allowed);
}

}  // namespace
}  // namespace maj::win32
