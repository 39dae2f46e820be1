// Where the program looks for the DLLs it loads after start-up.
#pragma once

namespace maj::win32 {

// Restricts the search for DLLs loaded by name to the system folder, as
// Windows recommends for programs run by administrators: a DLL put in the
// program's folder or the current one is never loaded instead. DLLs named by
// their full path (COM servers among them) still load. Call it first thing.
void RestrictDllSearchToSystemFolder();

}  // namespace maj::win32
