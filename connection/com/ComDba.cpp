#include "connection/com/ComDba.h"

#include <utility>

#include "support/win32/Dispatch.h"
#include "support/win32/Win32Errors.h"

namespace maj {
namespace {

// A DynArray reached by late binding: the default member with no index (the
// whole value) or one 16-bit index (a field), and "DCount" asked by name.
class LateDynArray final : public DynArray {
 public:
  explicit LateDynArray(com::ComPtr<IDispatch> object) : object_(std::move(object)) {}

  ErrorNumber GetValue(std::string& whole) override { return Get({}, whole); }

  ErrorNumber PutValue(const std::string& whole) override {
    com::Variant value(whole);
    return win32::FromHResult(
        com::Invoke(object_.Get(), DISPID_VALUE, DISPATCH_PROPERTYPUT, {&*value}, nullptr));
  }

  ErrorNumber GetField(std::int16_t index, std::string& field) override {
    com::Variant n(index);
    return Get({&*n}, field);
  }

  ErrorNumber PutField(std::int16_t index, const std::string& field) override {
    com::Variant n(index);
    com::Variant value(field);
    return win32::FromHResult(
        com::Invoke(object_.Get(), DISPID_VALUE, DISPATCH_PROPERTYPUT, {&*n, &*value}, nullptr));
  }

  ErrorNumber DCount(std::int32_t& count) override {
    com::Variant result;
    HRESULT hr = com::InvokeByName(object_.Get(), dba::kDCountName,
                                   DISPATCH_METHOD | DISPATCH_PROPERTYGET, {}, result.Get());
    std::int32_t n = 0;
    if (SUCCEEDED(hr)) hr = com::ToInt32(*result, n);
    if (SUCCEEDED(hr)) count = n;
    return win32::FromHResult(hr);
  }

 private:
  ErrorNumber Get(std::initializer_list<const VARIANT*> index, std::string& text) {
    com::Variant result;
    HRESULT hr = com::Invoke(object_.Get(), DISPID_VALUE, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                             index, result.Get());
    std::string value;
    if (SUCCEEDED(hr)) hr = com::ToUtf8(*result, value);
    if (SUCCEEDED(hr)) text = std::move(value);
    return win32::FromHResult(hr);
  }

  com::ComPtr<IDispatch> object_;
};

// The out object of a call, queried for the interface the caller holds it as.
// A success that hands out no object is refused: the contract never gives an
// empty object on success.
template <class T>
HRESULT Query(const com::ComPtr<IDispatch>& object, const IID& iid, com::ComPtr<T>& typed) {
  if (!object) return static_cast<HRESULT>(kErrObjectRequired);
  return object.As(iid, typed);
}

class ComDbaFile final : public DbaFile {
 public:
  explicit ComDbaFile(com::ComPtr<dba::IDbaFile> file) : file_(std::move(file)) {}

  ErrorNumber Read(const std::string& key, std::shared_ptr<DynArray>& record) override {
    com::Bstr k(key);
    com::ComPtr<IDispatch> out;
    const HRESULT hr = file_->Read(k.Ref(), out.Put());
    if (FAILED(hr)) return win32::FromHResult(hr);
    if (!out) return kErrObjectRequired;
    record = WrapDynArray(std::move(out));
    return kOk;
  }

 private:
  com::ComPtr<dba::IDbaFile> file_;
};

class ComDatabase final : public Database {
 public:
  explicit ComDatabase(com::ComPtr<dba::IDatabase> database) : database_(std::move(database)) {}

  ErrorNumber OpenFile(const std::string& name, std::shared_ptr<DbaFile>& file) override {
    com::Bstr n(name);
    com::ComPtr<IDispatch> out;
    HRESULT hr = database_->OpenFile(n.Ref(), out.Put());
    com::ComPtr<dba::IDbaFile> typed;
    if (SUCCEEDED(hr)) hr = Query(out, dba::IID_DbaFile, typed);
    if (FAILED(hr)) return win32::FromHResult(hr);
    file = std::make_shared<ComDbaFile>(std::move(typed));
    return kOk;
  }

  ErrorNumber Execute(const std::string& command, const std::string& argument, std::int32_t& status,
                      std::shared_ptr<DynArray>& answer) override {
    com::Bstr text(command);
    com::Variant variant(argument);
    long serverStatus = status;
    com::ComPtr<IDispatch> out;
    // The command and the variant go by value: the server borrows them.
    const HRESULT hr = database_->Execute(text.Get(), *variant, &serverStatus, out.Put());
    // The status is the caller's variable handed by reference: what the server
    // wrote there stays, whatever the call returned.
    status = static_cast<std::int32_t>(serverStatus);
    if (FAILED(hr)) return win32::FromHResult(hr);
    if (!out) return kErrObjectRequired;
    answer = WrapDynArray(std::move(out));
    return kOk;
  }

 private:
  com::ComPtr<dba::IDatabase> database_;
};

class ComClient final : public CClient {
 public:
  explicit ComClient(com::ComPtr<dba::ICClient> client) : client_(std::move(client)) {}

  ErrorNumber Connect(const std::string& user, const std::string& password,
                      const std::string& third, std::int16_t& result) override {
    // Fresh strings at each call: the server may replace them.
    com::Bstr u(user);
    com::Bstr p(password);
    com::Bstr t(third);
    VARIANT_BOOL connected = VARIANT_FALSE;
    const HRESULT hr = client_->Connect(u.Ref(), p.Ref(), t.Ref(), &connected);
    p.Wipe();
    if (FAILED(hr)) return win32::FromHResult(hr);
    result = connected;
    return kOk;
  }

  ErrorNumber Disconnect() override {
    com::Variant discarded;
    return win32::FromHResult(client_->Disconnect(discarded.Get()));
  }

  ErrorNumber OpenDatabase(const std::string& name, const std::string& entry,
                           std::shared_ptr<Database>& database) override {
    com::Bstr n(name);
    com::Bstr e(entry);
    com::ComPtr<IDispatch> out;
    HRESULT hr = client_->OpenDatabase(n.Ref(), e.Ref(), out.Put());
    com::ComPtr<dba::IDatabase> typed;
    if (SUCCEEDED(hr)) hr = Query(out, dba::IID_Database, typed);
    if (FAILED(hr)) return win32::FromHResult(hr);
    database = std::make_shared<ComDatabase>(std::move(typed));
    return kOk;
  }

 private:
  com::ComPtr<dba::ICClient> client_;
};

}  // namespace

std::shared_ptr<CClient> WrapClient(com::ComPtr<dba::ICClient> client) {
  return std::make_shared<ComClient>(std::move(client));
}

std::shared_ptr<DynArray> WrapDynArray(com::ComPtr<IDispatch> array) {
  return std::make_shared<LateDynArray>(std::move(array));
}

ErrorNumber ComDbaFactory::CreateClient(const std::string& progId,
                                        std::shared_ptr<CClient>& client) {
  CLSID clsid{};
  HRESULT hr = CLSIDFromProgID(com::Widen(progId).c_str(), &clsid);
  if (FAILED(hr)) return win32::FromHResult(hr);
  com::ComPtr<IUnknown> object;
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IUnknown,
                        reinterpret_cast<void**>(object.Put()));
  if (FAILED(hr)) return win32::FromHResult(hr);
  com::ComPtr<dba::ICClient> typed;
  hr = object.As(dba::IID_CClient, typed);
  if (FAILED(hr)) return win32::FromHResult(hr);
  client = WrapClient(std::move(typed));
  return kOk;
}

ErrorNumber ComDbaFactory::CreateDynArray(std::shared_ptr<DynArray>& array) {
  com::ComPtr<IDispatch> object;
  const HRESULT hr = CoCreateInstance(dba::CLSID_DynArray, nullptr, CLSCTX_SERVER, IID_IDispatch,
                                      reinterpret_cast<void**>(object.Put()));
  if (FAILED(hr)) return win32::FromHResult(hr);
  array = WrapDynArray(std::move(object));
  return kOk;
}

}  // namespace maj
