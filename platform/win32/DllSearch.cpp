#include "platform/win32/DllSearch.h"

#include <windows.h>

namespace maj::win32 {
namespace {

// Older headers lack the flag.
constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

}  // namespace

void RestrictDllSearchToSystemFolder() {
  // Looked up at run time: a system without it (an unpatched Windows 7) keeps
  // its default order.
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  if (!kernel) return;
  const auto set = reinterpret_cast<SetDefaultDllDirectoriesFn>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (set) set(kSearchSystem32);
}

}  // namespace maj::win32
