// The system calls through which RewriteFile writes and replaces a file, in
// one table. The program never changes it; a test puts a failing call in its
// place to see what a full disk or a refused replacement leaves behind.
#pragma once

#include <windows.h>

namespace maj::win32 {

struct FileCalls {
  decltype(&::GetFileAttributesW) getFileAttributes = &::GetFileAttributesW;
  decltype(&::CreateFileW) createFile = &::CreateFileW;
  decltype(&::WriteFile) writeFile = &::WriteFile;
  decltype(&::SetEndOfFile) setEndOfFile = &::SetEndOfFile;
  decltype(&::FlushFileBuffers) flushFileBuffers = &::FlushFileBuffers;
  decltype(&::CloseHandle) closeHandle = &::CloseHandle;
  decltype(&::MoveFileExW) moveFileEx = &::MoveFileExW;
  decltype(&::DeleteFileW) deleteFile = &::DeleteFileW;
  decltype(&::SetFileAttributesW) setFileAttributes = &::SetFileAttributesW;
  decltype(&::GetFileSecurityW) getFileSecurity = &::GetFileSecurityW;
  decltype(&::SetFileSecurityW) setFileSecurity = &::SetFileSecurityW;
};

// The table RewriteFile uses.
FileCalls& RewriteCalls();

// Puts a table in place for its lifetime, then the one before it.
class ScopedFileCalls {
 public:
  explicit ScopedFileCalls(const FileCalls& calls) : saved_(RewriteCalls()) {
    RewriteCalls() = calls;
  }
  ~ScopedFileCalls() { RewriteCalls() = saved_; }
  ScopedFileCalls(const ScopedFileCalls&) = delete;
  ScopedFileCalls& operator=(const ScopedFileCalls&) = delete;

 private:
  FileCalls saved_;
};

// The pattern of the temporaries RewriteFile writes beside `target`:
// "<target>.<process>.<tick>.tmp".
inline constexpr const wchar_t* kTemporarySuffix = L".tmp";

}  // namespace maj::win32
