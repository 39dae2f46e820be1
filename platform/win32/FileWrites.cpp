// Files and folders changed through the wide API: paths are UTF-8 turned into UTF-16
// (UNC paths included); file contents are bytes, left untouched.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/win32/FileCalls.h"
#include "platform/win32/Win32Platform.h"
#include "support/win32/ComOwners.h"
#include "support/win32/Handles.h"
#include "support/win32/Win32Errors.h"

namespace maj::win32 {
namespace {

// The largest piece one ReadFile or WriteFile call is given.
constexpr std::size_t kMaxPiece = 1u << 30;

// A new file beside the target, deleted on every path unless it has taken
// the target's place.
// Every byte written, in pieces a single WriteFile takes.
ErrorNumber WriteBytes(const FileCalls& calls, HANDLE file, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD written = 0;
    const auto piece = static_cast<DWORD>(std::min(bytes.size() - done, kMaxPiece));
    if (!calls.writeFile(file, bytes.data() + done, piece, &written, nullptr)) return LastError();
    done += written;
  }
  return kOk;
}

class TemporaryFile {
 public:
  TemporaryFile() = default;
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    file_.Reset();
    if (!path_.empty()) RewriteCalls().deleteFile(path_.c_str());
  }

  // Creates a file of a name no other file has, in the target's folder.
  ErrorNumber Create(const std::wstring& target) {
    const std::wstring stem = target + L"." + std::to_wstring(GetCurrentProcessId()) + L".";
    for (unsigned attempt = 0;; ++attempt) {
      const std::wstring candidate =
          stem + std::to_wstring(GetTickCount() + attempt) + kTemporarySuffix;
      file_ = FromCreateFile(RewriteCalls().createFile(candidate.c_str(), GENERIC_WRITE, 0, nullptr,
                                                       CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
      if (file_) {
        path_ = candidate;
        return kOk;
      }
      if (GetLastError() != ERROR_FILE_EXISTS || attempt == 100) return LastError();
    }
  }

  ErrorNumber WriteAll(const std::string& bytes) {
    const FileCalls& calls = RewriteCalls();
    if (const ErrorNumber err = WriteBytes(calls, file_.Get(), bytes)) return err;
    if (!calls.flushFileBuffers(file_.Get())) return LastError();
    if (!calls.closeHandle(file_.Release())) return LastError();
    return kOk;
  }

  // Gives the new content the old file's attributes (hidden, system, ...),
  // before it takes the name, so that it is never seen without them. Never
  // read-only: such a file is not rewritten.
  ErrorNumber TakeAttributes(DWORD attributes) {
    if (!RewriteCalls().setFileAttributes(path_.c_str(), attributes)) return LastError();
    return kOk;
  }

  // Deletes the new file now, when it will not take the name.
  void Discard() {
    file_.Reset();
    if (!path_.empty()) RewriteCalls().deleteFile(path_.c_str());
    path_.clear();
  }

  // The new content takes the file's name in one rename, which the system
  // makes whole: a crash leaves the old file or the new one. ReplaceFileW is
  // not used: Wine's moves the old file aside first, and a crash between its
  // two renames leaves no file at all (72 of 1000 kills in RewriteCrash).
  ErrorNumber Replace(const std::wstring& target, bool exists) {
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (exists ? MOVEFILE_REPLACE_EXISTING : 0);
    if (!RewriteCalls().moveFileEx(path_.c_str(), target.c_str(), flags)) return LastError();
    path_.clear();
    return kOk;
  }

 private:
  UniqueHandle file_;
  std::wstring path_;
};

// The old file's owner and access rights, to be given to the new content once
// it has taken the name; empty when they cannot be read.
std::vector<BYTE> SecurityOf(const std::wstring& target) {
  const FileCalls& calls = RewriteCalls();
  const SECURITY_INFORMATION what = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  DWORD needed = 0;
  calls.getFileSecurity(target.c_str(), what, nullptr, 0, &needed);
  std::vector<BYTE> descriptor(needed);
  if (needed == 0 ||
      !calls.getFileSecurity(target.c_str(), what, descriptor.data(), needed, &needed)) {
    descriptor.clear();
  }
  return descriptor;
}

// Given after the rename, never before: rights that refuse us DELETE on the
// new file would keep a refused rename from removing it, and no later run
// could either. Setting an owner other than ourselves needs a privilege we
// may not hold: then the access rights alone.
void GiveSecurity(const std::wstring& target, std::vector<BYTE>& descriptor) {
  if (descriptor.empty()) return;
  const FileCalls& calls = RewriteCalls();
  const SECURITY_INFORMATION what = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  if (!calls.setFileSecurity(target.c_str(), what, descriptor.data())) {
    calls.setFileSecurity(target.c_str(), DACL_SECURITY_INFORMATION, descriptor.data());
  }
}

// Writes the bytes over the file where it is, for a folder where files may be
// changed but not created, or a file that may be written but not replaced
// (no DELETE right). Opening the existing file keeps its attributes and
// rights; a crash midway may leave a part, which the rename otherwise avoids.
ErrorNumber RewriteInPlace(const std::wstring& target, const std::string& bytes) {
  const FileCalls& calls = RewriteCalls();
  UniqueHandle file =
      FromCreateFile(calls.createFile(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return LastError();
  if (const ErrorNumber err = WriteBytes(calls, file.Get(), bytes)) return err;
  if (!calls.setEndOfFile(file.Get())) return LastError();
  if (!calls.flushFileBuffers(file.Get())) return LastError();
  if (!calls.closeHandle(file.Release())) return LastError();
  return kOk;
}

// A run killed while rewriting leaves its temporary beside the file; the next
// rewrite removes it. Only one run works on the file at a time.
void RemoveStaleTemporaries(const std::wstring& target) {
  const std::size_t slash = target.find_last_of(L'\\');
  const std::wstring folder = slash == std::wstring::npos ? L"" : target.substr(0, slash + 1);
  WIN32_FIND_DATAW entry;
  const HANDLE find = FindFirstFileW((target + L".*" + kTemporarySuffix).c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      RewriteCalls().deleteFile((folder + entry.cFileName).c_str());
    }
  } while (FindNextFileW(find, &entry));
  FindClose(find);
}

}  // namespace

FileCalls& RewriteCalls() {
  static FileCalls calls;
  return calls;
}

ErrorNumber Win32FileWrites::CreateFolder(const std::string& path) {
  return CreateDirectoryW(com::Widen(path).c_str(), nullptr) ? kOk : LastError();
}

ErrorNumber Win32FileWrites::OpenForAppend(const std::string& path) {
  const UniqueHandle handle =
      FromCreateFile(CreateFileW(com::Widen(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ,
                                 nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  return handle ? kOk : LastError();
}

ErrorNumber Win32FileWrites::RewriteFile(const std::string& path, const std::string& bytes) {
  const std::wstring target = com::Widen(path);
  const DWORD attributes = RewriteCalls().getFileAttributes(target.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (!exists) {
    if (GetLastError() != ERROR_FILE_NOT_FOUND) return LastError();
  } else if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) {
    // A read-only file is kept as it is, though a rename could replace it.
    return kWin32AccessDenied;
  }
  RemoveStaleTemporaries(target);
  TemporaryFile temporary;
  if (const ErrorNumber failed = temporary.Create(target)) {
    // No new file may be made beside it: the file itself may still be
    // written. Any other failure (a full disk) leaves the file whole.
    return exists && failed == kWin32AccessDenied ? RewriteInPlace(target, bytes) : failed;
  }
  if (const ErrorNumber failed = temporary.WriteAll(bytes)) return failed;
  std::vector<BYTE> security;
  if (exists) {
    if (const ErrorNumber failed = temporary.TakeAttributes(attributes)) return failed;
    security = SecurityOf(target);
  }
  if (const ErrorNumber failed = temporary.Replace(target, exists)) {
    if (!exists || failed != kWin32AccessDenied) return failed;
    // The file may not be replaced (no DELETE right on it): written in place.
    temporary.Discard();
    return RewriteInPlace(target, bytes);
  }
  GiveSecurity(target, security);
  return kOk;
}

}  // namespace maj::win32
