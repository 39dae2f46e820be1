// DBA.dll's entry points: the class objects, unloading, registration, and the
// loading of the simulated server from the data folder.
#include "standin/com/Module.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <system_error>

#include "contract/com/DbaCom.h"
#include "standin/DynArray.h"
#include "standin/IniText.h"
#include "standin/StandIn.h"
#include "standin/Text.h"
#include "standin/com/Census.h"
#include "standin/com/ClientClass.h"
#include "standin/com/ComObject.h"
#include "standin/com/Objects.h"
#include "standin/com/Registry.h"

namespace standin::com_server {

namespace {

namespace fs = std::filesystem;

HMODULE g_module = nullptr;
std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};

std::mutex g_loadMutex;
bool g_loadTried = false;
HRESULT g_loadResult = E_UNEXPECTED;
std::shared_ptr<maj::DbaFactory> g_factory;

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(g_module, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

fs::path ModuleFolder() {
  return fs::path(ModulePath()).parent_path();
}

// A person looks in the journal first; without a data folder, beside the DLL.
void ReportLoadError(const fs::path& dllFolder, const fs::path& dataFolder,
                     const std::string& error) {
  const std::string line = "DBA.dll cannot load the stand-in server: " + error;
  std::error_code failure;
  const fs::path file = !dataFolder.empty() && fs::is_directory(dataFolder, failure)
                            ? dataFolder / Server::kJournalFile
                            : dllFolder / "DBA-error.txt";
  std::ofstream out(file, std::ios::binary | std::ios::app);
  out << line << '\n';
  OutputDebugStringW(com::Widen(line + "\n").c_str());
}

HRESULT LoadServer() {
  const fs::path dllFolder = ModuleFolder();
  const fs::path ini = dllFolder / "DBA.ini";
  std::string iniText;
  std::string error;
  fs::path dataFolder;
  std::error_code failure;
  std::shared_ptr<Server> server;
  if ((!fs::exists(ini, failure) || ReadWholeFile(ini, iniText, error)) &&
      LocateDataFolder(dllFolder, iniText, Utf8FromPath(ini), dataFolder, error)) {
    // On Windows a path of the commands is the host's own path.
    server = OpenServer(
        dataFolder, [](const std::string& path) { return PathFromUtf8(path); }, error);
  }
  if (!server) {
    ReportLoadError(dllFolder, dataFolder, error);
    return static_cast<HRESULT>(kSettingsInvalid);
  }
  server->SetCensus(Census);
  g_factory = MakeFactory(std::move(server));
  return S_OK;
}

enum class Class { Client, DynArray };

class ClassFactory final : public ComObject<ClassFactory, IClassFactory> {
 public:
  static const IID& Iid() { return IID_IClassFactory; }
  explicit ClassFactory(Class kind) : kind_(kind) {}

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return Protected([&] {
      if (kind_ == Class::DynArray) {
        return NewDynArray(std::make_shared<DynArray>())->QueryInterface(iid, out);
      }
      std::shared_ptr<maj::DbaFactory> factory;
      HRESULT hr = ServerObjects(factory);
      std::shared_ptr<maj::CClient> client;
      if (SUCCEEDED(hr)) {
        hr = static_cast<HRESULT>(factory->CreateClient(maj::kDbaClientProgId, client));
      }
      return SUCCEEDED(hr) ? NewClient(std::move(client), iid, out) : hr;
    });
  }

  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    LockModule(lock != FALSE);
    return S_OK;
  }

 private:
  Class kind_;
};

}  // namespace

HMODULE ThisModule() {
  return g_module;
}
void ObjectCreated() {
  ++g_objects;
}
void ObjectDestroyed() {
  --g_objects;
}
long LiveObjects() {
  return g_objects;
}
void LockModule(bool lock) {
  if (lock) {
    ++g_locks;
  } else {
    --g_locks;
  }
}
// Once loaded, the server stays for the whole process: unloading would start
// its client numbers and fault counts again at the next creation.
bool CanUnload() {
  std::lock_guard lock(g_loadMutex);
  return g_objects == 0 && g_locks == 0 && !g_loadTried;
}

HRESULT ServerObjects(std::shared_ptr<maj::DbaFactory>& factory) {
  std::lock_guard lock(g_loadMutex);
  if (!g_loadTried) {
    g_loadTried = true;
    g_loadResult = LoadServer();
  }
  if (SUCCEEDED(g_loadResult)) factory = g_factory;
  return g_loadResult;
}

}  // namespace standin::com_server

using namespace standin::com_server;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  Class kind;
  if (IsEqualCLSID(clsid, dba::CLSID_StandInClient)) {
    kind = Class::Client;
  } else if (IsEqualCLSID(clsid, dba::CLSID_DynArray)) {
    kind = Class::DynArray;
  } else {
    return CLASS_E_CLASSNOTAVAILABLE;
  }
  return Protected([&] { return ClassFactory::Create(kind)->QueryInterface(iid, out); });
}

STDAPI DllCanUnloadNow() {
  return CanUnload() ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() {
  return Protected([] { return RegisterClasses(ModulePath()); });
}

STDAPI DllUnregisterServer() {
  return Protected([] { return UnregisterClasses(ModulePath()); });
}
