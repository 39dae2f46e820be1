// What the run log needs of the system: a file shared for appending whole
// lines, a rename, the clock, the computer's and the program's names, and the
// system's texts for error numbers. None of them changes the last error the
// program's own calls left.
#include <string>

#include "platform/win32/Win32Platform.h"
#include "support/win32/ComOwners.h"
#include "support/win32/Handles.h"
#include "support/win32/Win32Errors.h"

namespace maj::win32 {
namespace {

// Puts back the thread's last error when it goes out of scope.
class KeepLastError {
 public:
  KeepLastError() : saved_(GetLastError()) {}
  ~KeepLastError() { SetLastError(saved_); }
  KeepLastError(const KeepLastError&) = delete;
  KeepLastError& operator=(const KeepLastError&) = delete;

 private:
  DWORD saved_;
};

class Win32LineSink final : public LineSink {
 public:
  explicit Win32LineSink(UniqueHandle file) : file_(std::move(file)) {}

  // FILE_APPEND_DATA alone: the system puts each write at the end of the
  // file as it is then, so two runs' lines interleave whole.
  ErrorNumber Append(const std::string& bytes) override {
    KeepLastError keep;
    DWORD written = 0;
    if (!WriteFile(file_.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                   nullptr)) {
      return LastError();
    }
    return written == bytes.size() ? kOk : FromWin32(ERROR_HANDLE_DISK_FULL);
  }

  ErrorNumber Length(std::uint64_t& length) override {
    KeepLastError keep;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file_.Get(), &size)) return LastError();
    length = static_cast<std::uint64_t>(size.QuadPart);
    return kOk;
  }

 private:
  UniqueHandle file_;
};

}  // namespace

namespace {

// Another run may hold the log to itself for the moment it writes the header
// of a log it has just created: wait that moment out, as long as a run could
// need it, before calling the log locked.
constexpr int kOpenAttempts = 50;
constexpr DWORD kOpenPauseMs = 2;

UniqueHandle OpenShared(const std::wstring& path) {
  for (int attempt = 1;; ++attempt) {
    // Others may read it and append to it too; nobody may delete or rename
    // it while it is open.
    UniqueHandle file = FromCreateFile(CreateFileW(
        path.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file || GetLastError() != ERROR_SHARING_VIOLATION || attempt == kOpenAttempts) {
      return file;
    }
    Sleep(kOpenPauseMs);
  }
}

// Creates the file with `header` in it, unshared until the header is there,
// so that no other run appends first or writes the header a second time.
// Fails with ERROR_FILE_EXISTS when the file is there already.
ErrorNumber CreateWithHeader(const std::wstring& path, const std::string& header) {
  const UniqueHandle file =
      FromCreateFile(CreateFileW(path.c_str(), FILE_APPEND_DATA | DELETE, FILE_SHARE_READ, nullptr,
                                 CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return LastError();
  DWORD written = 0;
  const BOOL wrote =
      WriteFile(file.Get(), header.data(), static_cast<DWORD>(header.size()), &written, nullptr);
  if (wrote && written == header.size()) return kOk;
  const ErrorNumber failed = wrote ? FromWin32(ERROR_HANDLE_DISK_FULL) : LastError();
  // A file without its header is not left for the next run to write on.
  FILE_DISPOSITION_INFO remove{TRUE};
  SetFileInformationByHandle(file.Get(), FileDispositionInfo, &remove, sizeof remove);
  return failed;
}

}  // namespace

ErrorNumber Win32LogFiles::OpenLines(const std::string& path, const std::string& header,
                                     std::unique_ptr<LineSink>& sink) {
  KeepLastError keep;
  const std::wstring name = com::Widen(path);
  if (!header.empty()) {
    const ErrorNumber created = CreateWithHeader(name, header);
    if (created != kOk && created != FromWin32(ERROR_FILE_EXISTS)) return created;
  }
  UniqueHandle file = OpenShared(name);
  if (!file) return LastError();
  sink = std::make_unique<Win32LineSink>(std::move(file));
  return kOk;
}

ErrorNumber Win32FileWrites::RenameOver(const std::string& from, const std::string& to) {
  KeepLastError keep;
  if (!MoveFileExW(com::Widen(from).c_str(), com::Widen(to).c_str(), MOVEFILE_REPLACE_EXISTING)) {
    return LastError();
  }
  return kOk;
}

ErrorNumber Win32System::ProgramFile(std::string& path) {
  KeepLastError keep;
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return LastError();
    if (length < buffer.size()) {
      buffer.resize(length);
      path = com::Narrow(buffer);
      return kOk;
    }
    buffer.resize(buffer.size() * 2);
  }
}

bool Win32System::ComputerName(std::string& name) {
  KeepLastError keep;
  wchar_t buffer[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
  if (!GetComputerNameW(buffer, &length)) return false;
  name = com::Narrow(std::wstring_view(buffer, length));
  return true;
}

LocalTime Win32System::Now() {
  KeepLastError keep;
  SYSTEMTIME t{};
  GetLocalTime(&t);
  return {t.wYear,   t.wMonth,  t.wDay,          t.wHour,
          t.wMinute, t.wSecond, t.wMilliseconds, GetTickCount64()};
}

std::string Win32System::ErrorText(ErrorNumber number) {
  KeepLastError keep;
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, number, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  if (length == 0 || !text) return {};
  std::wstring wide(text, length);
  LocalFree(text);
  while (!wide.empty() && (wide.back() == L'\r' || wide.back() == L'\n' || wide.back() == L' ')) {
    wide.pop_back();
  }
  return com::Narrow(wide);
}

}  // namespace maj::win32
