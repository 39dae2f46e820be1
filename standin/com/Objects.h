// The COM objects of DBA.dll, each wrapping the core's object of the same name.
#pragma once

#include <windows.h>

#include <oaidl.h>

#include <memory>

#include "contract/Dba.h"
#include "support/win32/ComOwners.h"

namespace standin::com_server {

// A client over the server's objects, answering `iid` in `out`.
HRESULT NewClient(std::shared_ptr<maj::CClient> client, REFIID iid, void** out);
// A DynArray reached by late binding.
com::ComPtr<IDispatch> NewDynArray(std::shared_ptr<maj::DynArray> array);

// The DISPID of "DCount".
inline constexpr DISPID kDispIdDCount = 1;

}  // namespace standin::com_server
