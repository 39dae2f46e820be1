// What DBA.dll reports on each journal line when the settings ask for a
// census: evidence that a run leaves nothing behind per base.
#pragma once

#include <string>

namespace standin::com_server {

// "objects=N heap=B other-heaps=B": the DLL's live COM objects, the bytes in
// use in the process heap (where BSTRs and their VARIANTs live), and in the
// process's other heaps (the C runtime's, which holds this server's own data).
std::string Census();

}  // namespace standin::com_server
