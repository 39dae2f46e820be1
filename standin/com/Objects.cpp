#include "standin/com/Objects.h"

#include <string>

#include "contract/com/DbaCom.h"
#include "standin/com/ComObject.h"

namespace standin::com_server {

namespace {

HRESULT Result(maj::ErrorNumber number) {
  return static_cast<HRESULT>(number);
}

// A by-reference or by-value string argument; a null BSTR is "".
std::string Text(BSTR s) {
  return com::Narrow(std::wstring_view(s ? s : L"", SysStringLen(s)));
}

// An automation value as the type `type` (VT_I2, VT_BSTR), converted by the
// automation rules, by-reference values included.
HRESULT Converted(const VARIANT& value, VARTYPE type, com::Variant& converted) {
  HRESULT hr = VariantCopyInd(converted.Put(), const_cast<VARIANT*>(&value));
  if (SUCCEEDED(hr)) hr = VariantChangeType(converted.Get(), converted.Get(), 0, type);
  return hr;
}

HRESULT ToText(const VARIANT& value, std::string& text) {
  com::Variant converted;
  const HRESULT hr = Converted(value, VT_BSTR, converted);
  if (SUCCEEDED(hr)) text = Text((*converted).bstrVal);
  return hr;
}

class FileObject final : public VtableObject<FileObject, dba::IDbaFile> {
 public:
  static const IID& Iid() { return dba::IID_DbaFile; }
  explicit FileObject(std::shared_ptr<maj::DbaFile> file) : file_(std::move(file)) {}

  HRESULT STDMETHODCALLTYPE Reserved1() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Reserved2() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Reserved3() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Reserved4() override { return E_NOTIMPL; }

  HRESULT STDMETHODCALLTYPE Read(BSTR* key, IDispatch** record) override {
    if (!record) return E_POINTER;
    *record = nullptr;
    if (!key) return E_POINTER;
    return Protected([&] {
      std::shared_ptr<maj::DynArray> found;
      const auto number = file_->Read(Text(*key), found);
      if (number == maj::kOk) *record = NewDynArray(std::move(found)).Detach();
      return Result(number);
    });
  }

 private:
  std::shared_ptr<maj::DbaFile> file_;
};

class DatabaseObject final : public VtableObject<DatabaseObject, dba::IDatabase> {
 public:
  static const IID& Iid() { return dba::IID_Database; }
  explicit DatabaseObject(std::shared_ptr<maj::Database> database)
      : database_(std::move(database)) {}

  HRESULT STDMETHODCALLTYPE OpenFile(BSTR* name, IDispatch** file) override {
    if (!file) return E_POINTER;
    *file = nullptr;
    if (!name) return E_POINTER;
    return Protected([&] {
      std::shared_ptr<maj::DbaFile> opened;
      const auto number = database_->OpenFile(Text(*name), opened);
      if (number == maj::kOk) *file = FileObject::Create(std::move(opened)).Detach();
      return Result(number);
    });
  }
  HRESULT STDMETHODCALLTYPE Reserved1() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Reserved2() override { return E_NOTIMPL; }

  // The command and the argument are the caller's: they are read, never freed.
  HRESULT STDMETHODCALLTYPE Execute(BSTR command, VARIANT argument, long* status,
                                    IDispatch** answer) override {
    if (!answer) return E_POINTER;
    *answer = nullptr;
    if (!status) return E_POINTER;
    return Protected([&] {
      std::string text;
      if (const HRESULT hr = ToText(argument, text); FAILED(hr)) return hr;
      std::int32_t written = *status;
      std::shared_ptr<maj::DynArray> reply;
      const auto number = database_->Execute(Text(command), text, written, reply);
      if (number == maj::kOk) {
        *status = written;
        *answer = NewDynArray(std::move(reply)).Detach();
      }
      return Result(number);
    });
  }

 private:
  std::shared_ptr<maj::Database> database_;
};

class ClientObject final : public VtableObject<ClientObject, dba::ICClient> {
 public:
  static const IID& Iid() { return dba::IID_CClient; }
  explicit ClientObject(std::shared_ptr<maj::CClient> client) : client_(std::move(client)) {}

  HRESULT STDMETHODCALLTYPE Reserved1() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Reserved2() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Reserved3() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Reserved4() override { return E_NOTIMPL; }

  // The strings come by reference and stay the caller's.
  HRESULT STDMETHODCALLTYPE Connect(BSTR* user, BSTR* password, BSTR* third,
                                    VARIANT_BOOL* result) override {
    if (!user || !password || !third || !result) return E_POINTER;
    return Protected([&] {
      std::int16_t connected = 0;
      const auto number = client_->Connect(Text(*user), Text(*password), Text(*third), connected);
      if (number == maj::kOk) *result = connected ? VARIANT_TRUE : VARIANT_FALSE;
      return Result(number);
    });
  }

  HRESULT STDMETHODCALLTYPE Disconnect(VARIANT* result) override {
    if (!result) return E_POINTER;
    return Protected([&] {
      const auto number = client_->Disconnect();
      if (number == maj::kOk) {
        VariantInit(result);  // an out value: what the slot held is not ours
        result->vt = VT_BOOL;
        result->boolVal = VARIANT_TRUE;
      }
      return Result(number);
    });
  }

  HRESULT STDMETHODCALLTYPE OpenDatabase(BSTR* name, BSTR* entry, IDispatch** database) override {
    if (!database) return E_POINTER;
    *database = nullptr;
    if (!name || !entry) return E_POINTER;
    return Protected([&] {
      std::shared_ptr<maj::Database> opened;
      const auto number = client_->OpenDatabase(Text(*name), Text(*entry), opened);
      if (number == maj::kOk) *database = DatabaseObject::Create(std::move(opened)).Detach();
      return Result(number);
    });
  }

 private:
  std::shared_ptr<maj::CClient> client_;
};

// The DynArray by late binding: the default member (DISPID_VALUE) with no
// argument is the whole value, with one (a 16-bit index) a field; "DCount"
// is read as a property or called as a method.
class DynArrayObject final : public NoTypeInfo<DynArrayObject, IDispatch> {
 public:
  static const IID& Iid() { return IID_IDispatch; }
  explicit DynArrayObject(std::shared_ptr<maj::DynArray> array) : array_(std::move(array)) {}

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (!names || !ids || count == 0) return E_INVALIDARG;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    // Only the member name is known; further names would be named arguments.
    if (count != 1 || !names[0] ||
        CompareStringOrdinal(names[0], -1, dba::kDCountName, -1, TRUE) != CSTR_EQUAL) {
      return DISP_E_UNKNOWNNAME;
    }
    ids[0] = kDispIdDCount;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO*, UINT* badArgument) override {
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    DISPPARAMS none{};
    const DISPPARAMS& p = params ? *params : none;
    if (p.cArgs > 0 && !p.rgvarg) return E_INVALIDARG;
    return Protected([&] {
      const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
      const bool get = (flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) != 0;
      if (member == kDispIdDCount) {
        if (!get || put) return DISP_E_MEMBERNOTFOUND;
        if (p.cNamedArgs != 0) return DISP_E_NONAMEDARGS;
        if (p.cArgs != 0) return DISP_E_BADPARAMCOUNT;
        std::int32_t count = 0;
        const auto number = array_->DCount(count);
        if (number == maj::kOk && result) {
          VariantInit(result);
          result->vt = VT_I4;
          result->lVal = count;
        }
        return Result(number);
      }
      if (member != DISPID_VALUE) return DISP_E_MEMBERNOTFOUND;
      return put ? Put(p, badArgument) : get ? Get(p, result, badArgument) : DISP_E_MEMBERNOTFOUND;
    });
  }

 private:
  // The arguments come last first: rgvarg[cArgs - 1] is the first.
  static HRESULT Index(const DISPPARAMS& p, UINT at, std::int16_t& index, UINT* badArgument) {
    com::Variant converted;
    const HRESULT hr = Converted(p.rgvarg[at], VT_I2, converted);
    if (FAILED(hr)) {
      if (badArgument) *badArgument = at;
      return hr;
    }
    index = (*converted).iVal;
    return S_OK;
  }

  HRESULT Get(const DISPPARAMS& p, VARIANT* result, UINT* badArgument) {
    if (p.cNamedArgs != 0) return DISP_E_NONAMEDARGS;
    if (p.cArgs > 1) return DISP_E_BADPARAMCOUNT;
    std::string text;
    maj::ErrorNumber number;
    if (p.cArgs == 0) {
      number = array_->GetValue(text);
    } else {
      std::int16_t index = 0;
      if (const HRESULT hr = Index(p, 0, index, badArgument); FAILED(hr)) return hr;
      number = array_->GetField(index, text);
    }
    if (number == maj::kOk && result) {
      com::Bstr value(text);
      VariantInit(result);
      result->vt = VT_BSTR;
      result->bstrVal = value.Detach();
    }
    return Result(number);
  }

  // The value is the named argument DISPID_PROPERTYPUT, rgvarg[0].
  HRESULT Put(const DISPPARAMS& p, UINT* badArgument) {
    if (p.cNamedArgs > 1 || (p.cNamedArgs == 1 && (!p.rgdispidNamedArgs ||
                                                   p.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT))) {
      return DISP_E_PARAMNOTFOUND;
    }
    if (p.cArgs < 1 || p.cArgs > 2) return DISP_E_BADPARAMCOUNT;
    std::string text;
    if (const HRESULT hr = ToText(p.rgvarg[0], text); FAILED(hr)) {
      if (badArgument) *badArgument = 0;
      return hr;
    }
    if (p.cArgs == 1) return Result(array_->PutValue(text));
    std::int16_t index = 0;
    if (const HRESULT hr = Index(p, 1, index, badArgument); FAILED(hr)) return hr;
    return Result(array_->PutField(index, text));
  }

  std::shared_ptr<maj::DynArray> array_;
};

}  // namespace

HRESULT NewClient(std::shared_ptr<maj::CClient> client, REFIID iid, void** out) {
  return ClientObject::Create(std::move(client))->QueryInterface(iid, out);
}

com::ComPtr<IDispatch> NewDynArray(std::shared_ptr<maj::DynArray> array) {
  return com::ComPtr<IDispatch>(DynArrayObject::Create(std::move(array)).Detach());
}

}  // namespace standin::com_server
