// Registration of DBA.dll's classes under HKEY_CLASSES_ROOT: the client class
// with the ProgID "DBA.CClient", and the DynArray class; both in-process,
// apartment threaded.
#pragma once

#include <windows.h>

#include <string>

namespace standin::com_server {

HRESULT RegisterClasses(const std::wstring& dllPath);
// Removes only what points at this DLL, so that unregistering the stand-in
// leaves another component's registration of the same names alone.
HRESULT UnregisterClasses(const std::wstring& dllPath);

}  // namespace standin::com_server
