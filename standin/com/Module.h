// The DLL's module state: its own handle, the count of live objects and locks
// that DllCanUnloadNow answers from, and the simulated server, loaded once per
// process at the first client creation.
#pragma once

#include <windows.h>

#include <memory>

#include "contract/Dba.h"

namespace standin::com_server {

HMODULE ThisModule();

void ObjectCreated();
void ObjectDestroyed();
long LiveObjects();
void LockModule(bool lock);
// No object, no lock, and no server loaded yet.
bool CanUnload();

// The component's objects over the data folder's server. The first call loads
// it; a folder that cannot be loaded fails this and every later call with
// kSettingsInvalid, and its error line is written where a person looks.
HRESULT ServerObjects(std::shared_ptr<maj::DbaFactory>& factory);

}  // namespace standin::com_server
