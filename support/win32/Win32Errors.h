// The error number of a failed system call.
#pragma once

#include <windows.h>

#include "platform/Errors.h"

namespace maj::win32 {

// GetLastError in HRESULT form; a call that failed without saying why still
// reports a failure.
// A COM failure keeps its HRESULT unchanged as the error number.
inline ErrorNumber FromHResult(HRESULT hr) {
  return static_cast<ErrorNumber>(hr);
}

inline ErrorNumber LastError() {
  const DWORD code = GetLastError();
  return code != 0 ? FromWin32(code) : static_cast<ErrorNumber>(E_FAIL);
}

}  // namespace maj::win32
