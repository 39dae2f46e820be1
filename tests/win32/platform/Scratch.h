// Folders, listings and file reads the Windows tests share.
#pragma once

#include <windows.h>
// sddl.h needs the types windows.h declares.
#include <sddl.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/win32/Win32Platform.h"
#include "support/win32/ComOwners.h"

namespace maj::win32 {

// A fresh folder for one test, removed with everything in it afterwards.
class Scratch {
 public:
  explicit Scratch(const std::wstring& parent) {
    static unsigned serial = 0;
    root_ = parent + L"\\maj-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(++serial);
    CreateDirectoryW(root_.c_str(), nullptr);
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  ~Scratch() { Remove(root_); }

  std::string Path(const std::string& name = "") const {
    return com::Narrow(root_) + (name.empty() ? "" : "\\" + name);
  }

 private:
  static void Remove(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    const HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = folder + L"\\" + name;
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          Remove(path);
        } else {
          DeleteFileW(path.c_str());
        }
      } while (FindNextFileW(find, &entry));
      FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
  }

  std::wstring root_;
};

inline std::wstring TempFolder() {
  wchar_t path[MAX_PATH];
  const DWORD n = GetTempPathW(MAX_PATH, path);
  return std::wstring(path, n > 0 && path[n - 1] == L'\\' ? n - 1 : n);
}

// Names of the files directly in a folder, as the system lists them.
inline std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW entry;
  const HANDLE find = FindFirstFileW((com::Widen(folder) + L"\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = entry.cFileName;
    if (name != L"." && name != L"..") names.push_back(com::Narrow(name));
  } while (FindNextFileW(find, &entry));
  FindClose(find);
  return names;
}

// The file's bytes as the Win32 platform reads them.
inline std::string ReadAll(const std::string& path) {
  Win32Platform platform;
  std::unique_ptr<ByteSource> file;
  if (platform.OpenForInput(path, file) != kOk) return "<cannot open>";
  std::string bytes;
  char buffer[4096];
  std::size_t got = 0;
  while (file->Read(buffer, got) == kOk && got > 0) bytes.append(buffer, got);
  return bytes;
}

// Gives the file or folder the access list written in SDDL; false if the
// system refused it.
inline bool SetAccess(const std::string& path, const wchar_t* sddl) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor,
                                                            nullptr)) {
    return false;
  }
  const BOOL set =
      SetFileSecurityW(com::Widen(path).c_str(), DACL_SECURITY_INFORMATION, descriptor);
  LocalFree(descriptor);
  return set != FALSE;
}

// A bound for waits that only a hang reaches, however loaded the machine.
constexpr DWORD kHangMs = 60000;

// Whether the process ends within `ms`. The messages that wake the wait are
// taken and dispatched, as the program's own loop does, so that whatever
// earlier tests left queued for this thread cannot hold the wait.
inline bool EndsWithin(Process& process, ULONGLONG ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  bool ended = false;
  while (!ended && GetTickCount64() < end) {
    if (process.WaitForEnd(50, ended) != kOk) return false;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
  return ended;
}

}  // namespace maj::win32
