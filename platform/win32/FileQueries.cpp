// Files and folders read through the wide API: paths are UTF-8 turned into
// UTF-16 (UNC paths included); file contents are bytes, left untouched.
#include <algorithm>
#include <string>

#include "platform/win32/Win32Platform.h"
#include "support/win32/ComOwners.h"
#include "support/win32/Handles.h"
#include "support/win32/Win32Errors.h"

namespace maj::win32 {
namespace {

// The largest piece one ReadFile call is given.
constexpr std::size_t kMaxPiece = 1u << 30;

class FileByteSource final : public ByteSource {
 public:
  explicit FileByteSource(UniqueHandle file) : file_(std::move(file)) {}

  ErrorNumber Read(std::span<char> buffer, std::size_t& got) override {
    DWORD read = 0;
    if (!ReadFile(file_.Get(), buffer.data(),
                  static_cast<DWORD>(std::min(buffer.size(), kMaxPiece)), &read, nullptr)) {
      return LastError();
    }
    got = read;
    return kOk;
  }

 private:
  UniqueHandle file_;
};

}  // namespace

ErrorNumber Win32FileQueries::FindEntry(const std::string& path, bool& found) {
  if (GetFileAttributesW(com::Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES) {
    found = true;
    return kOk;
  }
  const DWORD code = GetLastError();
  if (code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND) return LastError();
  found = false;
  return kOk;
}

ErrorNumber Win32FileQueries::FindEntryKind(const std::string& path, EntryKind& kind) {
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

ErrorNumber Win32FileQueries::OpenForInput(const std::string& path,
                                           std::unique_ptr<ByteSource>& file) {
  UniqueHandle handle = FromCreateFile(CreateFileW(
      com::Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!handle) return LastError();
  file = std::make_unique<FileByteSource>(std::move(handle));
  return kOk;
}

ErrorNumber Win32FileQueries::HiddenOrSystem(const std::string& path, bool& marked) {
  const DWORD attributes = GetFileAttributesW(com::Widen(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return LastError();
  marked = (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
  return kOk;
}

ErrorNumber Win32FileQueries::FileLength(const std::string& path, std::uint64_t& length) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(com::Widen(path).c_str(), GetFileExInfoStandard, &data)) {
    return LastError();
  }
  length = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return kOk;
}

}  // namespace maj::win32
