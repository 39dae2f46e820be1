// Files and folders through the wide API: paths are UTF-8 turned into UTF-16
// (UNC paths included); file contents are bytes, left untouched.
#include <algorithm>
#include <string>

#include "connection/com/ComOwners.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Win32Errors.h"
#include "platform/win32/Win32Platform.h"

namespace maj::win32 {
namespace {

// The largest piece one ReadFile or WriteFile call is given.
constexpr std::size_t kMaxPiece = 1u << 30;

class FileByteSource final : public ByteSource {
 public:
  explicit FileByteSource(UniqueHandle file) : file_(std::move(file)) {}

  ErrorNumber Read(char* buffer, std::size_t capacity, std::size_t& got) override {
    DWORD read = 0;
    if (!ReadFile(file_.Get(), buffer, static_cast<DWORD>(std::min(capacity, kMaxPiece)), &read,
                  nullptr)) {
      return LastError();
    }
    got = read;
    return kOk;
  }

 private:
  UniqueHandle file_;
};

// A new file beside the target, deleted on every path unless it has taken
// the target's place.
class TemporaryFile {
 public:
  TemporaryFile() = default;
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    file_.Reset();
    if (!path_.empty()) DeleteFileW(path_.c_str());
  }

  // Creates a file of a name no other file has, in the target's folder.
  ErrorNumber Create(const std::wstring& target) {
    const std::wstring stem = target + L"." + std::to_wstring(GetCurrentProcessId()) + L".";
    for (unsigned attempt = 0;; ++attempt) {
      const std::wstring candidate = stem + std::to_wstring(GetTickCount() + attempt) + L".tmp";
      file_ = FromCreateFile(CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
      if (file_) {
        path_ = candidate;
        return kOk;
      }
      if (GetLastError() != ERROR_FILE_EXISTS || attempt == 100) return LastError();
    }
  }

  ErrorNumber WriteAll(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
      DWORD written = 0;
      const auto piece = static_cast<DWORD>(std::min(bytes.size() - done, kMaxPiece));
      if (!WriteFile(file_.Get(), bytes.data() + done, piece, &written, nullptr)) {
        return LastError();
      }
      done += written;
    }
    if (!FlushFileBuffers(file_.Get())) return LastError();
    if (!CloseHandle(file_.Release())) return LastError();
    return kOk;
  }

  ErrorNumber Replace(const std::wstring& target) {
    if (!MoveFileExW(path_.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return LastError();
    }
    path_.clear();
    return kOk;
  }

 private:
  UniqueHandle file_;
  std::wstring path_;
};

}  // namespace

ErrorNumber Win32Platform::FindEntry(const std::string& path, bool& found) {
  if (GetFileAttributesW(com::Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES) {
    found = true;
    return kOk;
  }
  const DWORD code = GetLastError();
  if (code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND) return LastError();
  found = false;
  return kOk;
}

ErrorNumber Win32Platform::FindEntryKind(const std::string& path, EntryKind& kind) {
  const DWORD attributes = GetFileAttributesW(com::Widen(path).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    kind = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::Folder : EntryKind::Other;
    return kOk;
  }
  const DWORD code = GetLastError();
  if (code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND) return LastError();
  kind = EntryKind::Missing;
  return kOk;
}

ErrorNumber Win32Platform::CreateFolder(const std::string& path) {
  return CreateDirectoryW(com::Widen(path).c_str(), nullptr) ? kOk : LastError();
}

ErrorNumber Win32Platform::OpenForInput(const std::string& path,
                                        std::unique_ptr<ByteSource>& file) {
  UniqueHandle handle = FromCreateFile(CreateFileW(
      com::Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!handle) return LastError();
  file = std::make_unique<FileByteSource>(std::move(handle));
  return kOk;
}

ErrorNumber Win32Platform::OpenForAppend(const std::string& path) {
  const UniqueHandle handle =
      FromCreateFile(CreateFileW(com::Widen(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ,
                                 nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  return handle ? kOk : LastError();
}

ErrorNumber Win32Platform::FileLength(const std::string& path, std::uint64_t& length) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(com::Widen(path).c_str(), GetFileExInfoStandard, &data)) {
    return LastError();
  }
  length = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return kOk;
}

ErrorNumber Win32Platform::RewriteFile(const std::string& path, const std::string& bytes) {
  const std::wstring target = com::Widen(path);
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    if (GetLastError() != ERROR_FILE_NOT_FOUND) return LastError();
  } else if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) {
    // A read-only file is kept as it is, though a rename could replace it.
    return kWin32AccessDenied;
  }
  TemporaryFile temporary;
  if (const ErrorNumber failed = temporary.Create(target)) return failed;
  if (const ErrorNumber failed = temporary.WriteAll(bytes)) return failed;
  return temporary.Replace(target);
}

}  // namespace maj::win32
