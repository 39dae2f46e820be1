// Where the program looks for the DLLs it loads after start-up.
#pragma once

namespace maj::win32 {

// Takes the current folder out of the search for DLLs loaded by name, so that
// a DLL left there is never loaded instead. The rest of the standard order
// stays: the program's folder, the system folders and the folders on PATH,
// where a site's database component often finds the DLLs of its database
// client. Call it first thing.
void RemoveCurrentFolderFromDllSearch();

}  // namespace maj::win32
