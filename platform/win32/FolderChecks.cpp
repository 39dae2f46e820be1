// What the pre-check asks of a folder without writing into it: whether the
// operator may add to it, and the room left on its disk.
#include <vector>

#include "platform/win32/CheckCalls.h"
#include "platform/win32/Win32Platform.h"
#include "support/win32/ComOwners.h"
#include "support/win32/Handles.h"
#include "support/win32/Win32Errors.h"

namespace maj::win32 {

CheckCalls& FolderCheckCalls() {
  static CheckCalls calls;
  return calls;
}

// The folder's security checked against the operator's own token. Opening the
// folder with the right asked would not do: Wine grants any such open, while
// its security descriptor does follow the folder's permissions.
ErrorNumber Win32FileQueries::WriteAllowed(const std::string& folder, FolderWrite what,
                                           bool& allowed) {
  const CheckCalls& calls = FolderCheckCalls();
  const std::wstring path = com::Widen(folder);
  const SECURITY_INFORMATION parts =
      OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  DWORD needed = 0;
  calls.getFileSecurity(path.c_str(), parts, nullptr, 0, &needed);
  if (needed == 0) return LastError();
  std::vector<BYTE> descriptor(needed);
  if (!calls.getFileSecurity(path.c_str(), parts, descriptor.data(), needed, &needed)) {
    return LastError();
  }
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY, &raw)) {
    return LastError();
  }
  const UniqueHandle process(raw);
  if (!DuplicateToken(process.Get(), SecurityImpersonation, &raw)) return LastError();
  const UniqueHandle token(raw);
  GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                          FILE_ALL_ACCESS};
  const DWORD wanted = what == FolderWrite::File ? FILE_ADD_FILE : FILE_ADD_SUBDIRECTORY;
  PRIVILEGE_SET privileges{};
  DWORD privilegesLength = sizeof privileges;
  DWORD granted = 0;
  BOOL status = FALSE;
  if (!calls.accessCheck(descriptor.data(), token.Get(), wanted, &mapping, &privileges,
                         &privilegesLength, &granted, &status)) {
    return LastError();
  }
  allowed = status != FALSE;
  return kOk;
}

ErrorNumber Win32FileQueries::FreeSpace(const std::string& folder, std::uint64_t& bytes) {
  ULARGE_INTEGER available{}, total{}, free{};
  // The room the operator may use, quotas included.
  if (!FolderCheckCalls().getDiskFreeSpaceEx(com::Widen(folder).c_str(), &available, &total,
                                             &free)) {
    return LastError();
  }
  bytes = available.QuadPart;
  return kOk;
}

}  // namespace maj::win32
