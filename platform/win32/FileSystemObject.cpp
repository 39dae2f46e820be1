// The Windows file-system object, reached by late binding as a script would.
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/Win32Platform.h"
#include "support/win32/ComOwners.h"
#include "support/win32/Dispatch.h"
#include "support/win32/Win32Errors.h"

namespace maj::win32 {
namespace {

constexpr const wchar_t* kProgId = L"Scripting.FileSystemObject";

// The object a member returns.
HRESULT MemberObject(IDispatch* object, const wchar_t* member, WORD flags,
                     std::initializer_list<const VARIANT*> args, com::ComPtr<IDispatch>& result) {
  com::Variant value;
  const HRESULT hr = com::InvokeByName(object, member, flags, args, value.Get());
  if (FAILED(hr)) return hr;
  return com::ToDispatch(*value, result.Put());
}

class LateFileSystemObject final : public FileSystemObject {
 public:
  explicit LateFileSystemObject(com::ComPtr<IDispatch> fso) : fso_(std::move(fso)) {}

  // GetFolder(folder).Files, walked through its _NewEnum; each file's default
  // member is its full path.
  ErrorNumber GetFolderFiles(const std::string& folder, std::vector<std::string>& files) override {
    com::Variant path(folder);
    com::ComPtr<IDispatch> folderObject;
    HRESULT hr = MemberObject(fso_.Get(), L"GetFolder", DISPATCH_METHOD, {&*path}, folderObject);
    com::ComPtr<IDispatch> collection;
    if (SUCCEEDED(hr)) {
      hr = MemberObject(folderObject.Get(), L"Files", DISPATCH_PROPERTYGET, {}, collection);
    }
    com::Variant enumValue;
    if (SUCCEEDED(hr)) {
      hr = com::Invoke(collection.Get(), DISPID_NEWENUM, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {},
                       enumValue.Get());
    }
    com::ComPtr<IEnumVARIANT> items;
    if (SUCCEEDED(hr)) hr = EnumeratorOf(*enumValue, items);
    std::vector<std::string> found;
    while (SUCCEEDED(hr)) {
      com::Variant item;
      ULONG fetched = 0;
      hr = items->Next(1, item.Put(), &fetched);
      if (hr != S_OK || fetched == 0) break;
      com::ComPtr<IDispatch> file;
      hr = com::ToDispatch(*item, file.Put());
      com::Variant fullPath;
      if (SUCCEEDED(hr)) {
        hr = com::Invoke(file.Get(), DISPID_VALUE, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {},
                         fullPath.Get());
      }
      std::string text;
      if (SUCCEEDED(hr)) hr = com::ToUtf8(*fullPath, text);
      if (SUCCEEDED(hr)) found.push_back(std::move(text));
    }
    if (FAILED(hr)) return FromHResult(hr);
    files = std::move(found);
    return kOk;
  }

 private:
  static HRESULT EnumeratorOf(const VARIANT& value, com::ComPtr<IEnumVARIANT>& items) {
    IUnknown* unknown = value.vt == VT_UNKNOWN    ? value.punkVal
                        : value.vt == VT_DISPATCH ? value.pdispVal
                                                  : nullptr;
    if (!unknown) return E_POINTER;
    return unknown->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(items.Put()));
  }

  com::ComPtr<IDispatch> fso_;
};

}  // namespace

ErrorNumber Win32FileQueries::CreateFileSystemObject(std::shared_ptr<FileSystemObject>& fso) {
  CLSID clsid{};
  HRESULT hr = CLSIDFromProgID(kProgId, &clsid);
  if (FAILED(hr)) return FromHResult(hr);
  com::ComPtr<IDispatch> object;
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IDispatch,
                        reinterpret_cast<void**>(object.Put()));
  if (FAILED(hr)) return FromHResult(hr);
  fso = std::make_shared<LateFileSystemObject>(std::move(object));
  return kOk;
}

}  // namespace maj::win32
