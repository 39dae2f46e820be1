#include "platform/win32/DllSearch.h"

#include <windows.h>

namespace maj::win32 {

void RemoveCurrentFolderFromDllSearch() {
  // Not SetDefaultDllDirectories: limited to the system folder, it keeps a
  // component from loading whose own DLLs lie in a folder on PATH.
  SetDllDirectoryW(L"");
}

}  // namespace maj::win32
