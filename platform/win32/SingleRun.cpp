// One upgrade run per machine: a named mutex that lives as long as the platform.
#include "platform/win32/Win32Platform.h"
#include "support/win32/Win32Errors.h"

namespace maj::win32 {
namespace {

constexpr const wchar_t* kGlobalName = L"Global\\MERIDOXAN.MiseANiveau";
constexpr const wchar_t* kLocalName = L"Local\\MERIDOXAN.MiseANiveau";

}  // namespace

ErrorNumber Win32Platform::ClaimSingleRun(bool& alone) {
  UniqueHandle mutex(CreateMutexW(nullptr, FALSE, kGlobalName));
  if (!mutex && GetLastError() == ERROR_ACCESS_DENIED) {
    // Refused: either this account may not create global objects, or another
    // account's run holds the name. Only the first falls back on the session's
    // own namespace.
    const UniqueHandle held(OpenMutexW(SYNCHRONIZE, FALSE, kGlobalName));
    if (held || GetLastError() == ERROR_ACCESS_DENIED) {
      alone = false;
      return kOk;
    }
    mutex.Reset(CreateMutexW(nullptr, FALSE, kLocalName));
  }
  if (!mutex) return LastError();
  alone = GetLastError() != ERROR_ALREADY_EXISTS;
  singleRun_ = std::move(mutex);
  return kOk;
}

}  // namespace maj::win32
