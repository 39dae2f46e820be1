#include "support/win32/Dispatch.h"

#include <vector>

#include "support/win32/ComOwners.h"

namespace com {
namespace {

// The details a server fills in when a call raises an exception; frees its texts.
class ExcepInfo {
 public:
  ExcepInfo() { info_ = EXCEPINFO{}; }
  ExcepInfo(const ExcepInfo&) = delete;
  ExcepInfo& operator=(const ExcepInfo&) = delete;
  ~ExcepInfo() {
    SysFreeString(info_.bstrSource);
    SysFreeString(info_.bstrDescription);
    SysFreeString(info_.bstrHelpFile);
  }
  EXCEPINFO* Get() { return &info_; }

  // The error number a script client reports for the exception.
  HRESULT Number() {
    if (info_.pfnDeferredFillIn) info_.pfnDeferredFillIn(&info_);
    if (info_.scode != 0) return info_.scode;
    if (info_.wCode != 0) return static_cast<HRESULT>(0x800A0000u | info_.wCode);
    return DISP_E_EXCEPTION;
  }

 private:
  EXCEPINFO info_;
};

}  // namespace

HRESULT GetDispId(IDispatch* object, const wchar_t* name, DISPID& id) {
  if (!object) return E_POINTER;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  return object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
}

HRESULT Invoke(IDispatch* object, DISPID member, WORD flags,
               std::initializer_list<const VARIANT*> args, VARIANT* result) {
  if (!object) return E_POINTER;
  // IDispatch takes the arguments last first. The copies are shallow: the
  // caller keeps ownership of every value.
  std::vector<VARIANT> reversed(args.size());
  std::size_t slot = args.size();
  for (const VARIANT* arg : args) reversed[--slot] = *arg;

  DISPID putId = DISPID_PROPERTYPUT;
  DISPPARAMS params{};
  params.rgvarg = reversed.empty() ? nullptr : reversed.data();
  params.cArgs = static_cast<UINT>(reversed.size());
  if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
    params.rgdispidNamedArgs = &putId;
    params.cNamedArgs = 1;
  }
  ExcepInfo exception;
  UINT badArg = 0;
  const HRESULT hr = object->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result,
                                    exception.Get(), &badArg);
  return hr == DISP_E_EXCEPTION ? exception.Number() : hr;
}

HRESULT InvokeByName(IDispatch* object, const wchar_t* name, WORD flags,
                     std::initializer_list<const VARIANT*> args, VARIANT* result) {
  DISPID id = 0;
  const HRESULT hr = GetDispId(object, name, id);
  if (FAILED(hr)) return hr;
  return Invoke(object, id, flags, args, result);
}

HRESULT ToUtf8(const VARIANT& value, std::string& text) {
  Variant converted;
  const HRESULT hr = VariantChangeType(converted.Get(), const_cast<VARIANT*>(&value), 0, VT_BSTR);
  if (FAILED(hr)) return hr;
  const BSTR s = (*converted).bstrVal;
  text = Narrow(std::wstring_view(s ? s : L"", SysStringLen(s)));
  return S_OK;
}

HRESULT ToInt32(const VARIANT& value, std::int32_t& number) {
  Variant converted;
  const HRESULT hr = VariantChangeType(converted.Get(), const_cast<VARIANT*>(&value), 0, VT_I4);
  if (FAILED(hr)) return hr;
  number = (*converted).lVal;
  return S_OK;
}

HRESULT ToDispatch(const VARIANT& value, IDispatch** object) {
  *object = nullptr;
  IUnknown* unknown = nullptr;
  if (value.vt == VT_DISPATCH) unknown = value.pdispVal;
  if (value.vt == VT_UNKNOWN) unknown = value.punkVal;
  if (!unknown) return E_POINTER;
  return unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(object));
}

}  // namespace com
