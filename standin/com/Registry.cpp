#include "standin/com/Registry.h"

#include <objbase.h>

#include <utility>

#include "contract/Dba.h"
#include "contract/com/DbaCom.h"
#include "standin/com/ClientClass.h"
#include "support/win32/ComOwners.h"
#include "support/win32/Handles.h"

namespace standin::com_server {

namespace {

constexpr const wchar_t* kClientName = L"DBA.CClient (stand-in database server)";
constexpr const wchar_t* kDynArrayName = L"DBA DynArray (stand-in database server)";

struct KeyCloser {
  static void Close(HKEY key) { RegCloseKey(key); }
};
using RegKey = maj::win32::Owner<HKEY, KeyCloser>;

std::wstring GuidText(const GUID& guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, 40);
  return text;
}

bool SameText(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

HRESULT SetValue(const std::wstring& path, const wchar_t* name, const std::wstring& value) {
  HKEY created = nullptr;
  LSTATUS status =
      RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE, nullptr, &created, nullptr);
  const RegKey key(created);
  if (status == ERROR_SUCCESS) {
    status =
        RegSetValueExW(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  }
  return HRESULT_FROM_WIN32(status);
}

// The text of a value, or "" when there is none.
std::wstring ReadValue(const std::wstring& path) {
  DWORD size = 0;
  if (RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, nullptr,
                   &size) != ERROR_SUCCESS) {
    return {};
  }
  std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
  size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
  if (RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value.data(),
                   &size) != ERROR_SUCCESS) {
    return {};
  }
  value.resize(wcsnlen(value.c_str(), value.size()));
  return value;
}

HRESULT DeleteTree(const std::wstring& path) {
  const LSTATUS status = RegDeleteTreeW(HKEY_CLASSES_ROOT, path.c_str());
  return status == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(status);
}

HRESULT RegisterClass(const GUID& clsid, const wchar_t* name, const std::wstring& dllPath) {
  const std::wstring key = L"CLSID\\" + GuidText(clsid);
  HRESULT hr = SetValue(key, nullptr, name);
  if (SUCCEEDED(hr)) hr = SetValue(key + L"\\InprocServer32", nullptr, dllPath);
  if (SUCCEEDED(hr)) hr = SetValue(key + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
  return hr;
}

}  // namespace

HRESULT RegisterClasses(const std::wstring& dllPath) {
  const std::wstring client = GuidText(dba::CLSID_StandInClient);
  const std::wstring progId = com::Widen(maj::kDbaClientProgId);
  HRESULT hr = RegisterClass(dba::CLSID_StandInClient, kClientName, dllPath);
  if (SUCCEEDED(hr)) hr = SetValue(L"CLSID\\" + client + L"\\ProgID", nullptr, progId);
  if (SUCCEEDED(hr)) hr = SetValue(progId, nullptr, kClientName);
  if (SUCCEEDED(hr)) hr = SetValue(progId + L"\\CLSID", nullptr, client);
  if (SUCCEEDED(hr)) hr = RegisterClass(dba::CLSID_DynArray, kDynArrayName, dllPath);
  return hr;
}

HRESULT UnregisterClasses(const std::wstring& dllPath) {
  const std::wstring client = GuidText(dba::CLSID_StandInClient);
  const std::wstring progId = com::Widen(maj::kDbaClientProgId);
  const std::wstring dynArray = L"CLSID\\" + GuidText(dba::CLSID_DynArray);
  HRESULT hr = DeleteTree(L"CLSID\\" + client);
  if (SUCCEEDED(hr) && SameText(ReadValue(progId + L"\\CLSID"), client)) hr = DeleteTree(progId);
  if (SUCCEEDED(hr) && SameText(ReadValue(dynArray + L"\\InprocServer32"), dllPath)) {
    hr = DeleteTree(dynArray);
  }
  return hr;
}

}  // namespace standin::com_server
