// The system calls through which the pre-check reads a folder's access rights
// and its disk's free space, in one table. The program never changes it; a
// test puts a failing call in its place.
#pragma once

#include <windows.h>

namespace maj::win32 {

struct CheckCalls {
  decltype(&::GetFileSecurityW) getFileSecurity = &::GetFileSecurityW;
  decltype(&::AccessCheck) accessCheck = &::AccessCheck;
  decltype(&::GetDiskFreeSpaceExW) getDiskFreeSpaceEx = &::GetDiskFreeSpaceExW;
};

// The table WriteAllowed and FreeSpace use.
CheckCalls& FolderCheckCalls();

// Puts a table in place for its lifetime, then the one before it.
class ScopedCheckCalls {
 public:
  explicit ScopedCheckCalls(const CheckCalls& calls) : saved_(FolderCheckCalls()) {
    FolderCheckCalls() = calls;
  }
  ~ScopedCheckCalls() { FolderCheckCalls() = saved_; }
  ScopedCheckCalls(const ScopedCheckCalls&) = delete;
  ScopedCheckCalls& operator=(const ScopedCheckCalls&) = delete;

 private:
  CheckCalls saved_;
};

}  // namespace maj::win32
