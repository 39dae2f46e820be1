// The application folder, the login name, the ANSI code page and the upper case.
#include <string>

#include <windows.h>
// lmcons.h needs the types windows.h declares.
#include <lmcons.h>

#include "platform/win32/Win32Platform.h"
#include "support/win32/ComOwners.h"
#include "support/win32/Win32Errors.h"

namespace maj::win32 {

ErrorNumber Win32System::AppPath(std::string& folder) {
  // The path may be longer than MAX_PATH: grow until it fits.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return LastError();
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const std::size_t slash = path.find_last_of(L'\\');
  folder = com::Narrow(path.substr(0, slash == std::wstring::npos ? 0 : slash));
  return kOk;
}

ErrorNumber Win32System::CurrentFolder(std::string& folder) {
  const DWORD needed = GetCurrentDirectoryW(0, nullptr);
  if (needed == 0) return LastError();
  std::wstring path(needed, L'\0');
  const DWORD length = GetCurrentDirectoryW(needed, path.data());
  if (length == 0 || length >= needed) return LastError();
  path.resize(length);
  folder = com::Narrow(path);
  return kOk;
}

bool Win32System::UserName(std::string& name) {
  // Room for any Windows login name (UNLEN, 256 characters) and its
  // terminating zero; a system that needs more says how much, once.
  std::string buffer(UNLEN + 1, '\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    DWORD length = static_cast<DWORD>(buffer.size());
    if (GetUserNameA(buffer.data(), &length)) {
      if (length == 0 || length > buffer.size()) return false;
      buffer.resize(length - 1);  // the terminating zero counts in the length
      name = FromAnsi(buffer);
      return true;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || length <= buffer.size()) return false;
    buffer.assign(length, '\0');
  }
  return false;
}

std::string Win32System::ToAnsi(const std::string& utf8) {
  return com::Narrow(com::Widen(utf8), CP_ACP);
}

std::string Win32System::FromAnsi(const std::string& ansi) {
  return com::Narrow(com::Widen(ansi, CP_ACP));
}

std::string Win32System::ToUpper(const std::string& utf8) {
  const std::wstring wide = com::Widen(utf8);
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  // One UTF-16 unit for one: the upper-case mapping keeps the length.
  std::wstring upper(wide.size(), L'\0');
  const int done = LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_UPPERCASE, wide.c_str(), size,
                                 upper.data(), size, nullptr, nullptr, 0);
  if (done != size) CharUpperBuffW(upper.assign(wide).data(), static_cast<DWORD>(size));
  return com::Narrow(upper);
}

}  // namespace maj::win32
