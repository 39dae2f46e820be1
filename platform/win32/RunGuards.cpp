// One upgrade run per machine, a named mutex owned while a run goes on; and
// the session held while it goes, through the main window.
#include "platform/win32/Win32Platform.h"
#include "support/win32/ComOwners.h"
#include "support/win32/Win32Errors.h"

namespace maj::win32 {
namespace {

constexpr const wchar_t* kGlobalName = L"Global\\MERIDOXAN.MiseANiveau";
constexpr const wchar_t* kLocalName = L"Local\\MERIDOXAN.MiseANiveau";

}  // namespace

ErrorNumber Win32RunGuards::ClaimSingleRun(bool& alone) {
  UniqueHandle mutex(CreateMutexW(nullptr, FALSE, kGlobalName));
  if (!mutex && GetLastError() == ERROR_ACCESS_DENIED) {
    // Refused: either another account's run holds the name, or this account
    // may not create global objects. Only the second falls back on the
    // session's own namespace.
    mutex.Reset(OpenMutexW(SYNCHRONIZE, FALSE, kGlobalName));
    if (!mutex && GetLastError() == ERROR_ACCESS_DENIED) {
      alone = false;
      return kOk;
    }
    if (!mutex) mutex.Reset(CreateMutexW(nullptr, FALSE, kLocalName));
  }
  if (!mutex) return LastError();
  // Owned, not merely opened: a run that was killed leaves it abandoned,
  // which counts as free. A refused claim closes its handle here, before
  // its box, so that the name stands only for a run that goes on.
  switch (WaitForSingleObject(mutex.Get(), 0)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED:
      alone = true;
      singleRun_.Reset(mutex.Release());
      return kOk;
    case WAIT_TIMEOUT:
      alone = false;
      return kOk;
    default:
      return LastError();
  }
}

void Win32RunGuards::ReleaseSingleRun() {
  singleRun_.Reset();
}

ErrorNumber Win32RunGuards::HoldSessionEnd(const std::string& reason,
                                           std::function<void(SessionEnd)> onRequest) {
  main_.HoldSessionEnd(com::Widen(reason), std::move(onRequest));
  return kOk;
}

void Win32RunGuards::ReleaseSessionEnd() {
  main_.ReleaseSessionEnd();
}

}  // namespace maj::win32
