// The COM binding against fake servers: argument forms, out objects, error
// numbers and references, as the real component would see them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "connection/com/ComDba.h"
#include "support/win32/ComOwners.h"

namespace maj {
namespace {

std::string Text(BSTR s) {
  return com::Narrow(std::wstring_view(s ? s : L"", SysStringLen(s)));
}

// Reference counting and the IDispatch slots no test calls. Objects live on
// the test's stack; `refs` counts the references the binding still holds.
template <class Interface>
class Fake : public Interface {
 public:
  explicit Fake(const IID& iid) : iid_(iid) {}
  virtual ~Fake() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    ++queries;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch) &&
        !IsEqualIID(iid, iid_)) {
      return E_NOINTERFACE;
    }
    if (refuseQuery) return E_NOINTERFACE;
    AddRef();
    *out = this;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  // Hands this object out through an out argument, with one reference.
  template <class T>
  void HandOut(T** out) {
    AddRef();
    *out = this;
  }

  ULONG refs = 1;
  int queries = 0;
  bool refuseQuery = false;

 private:
  const IID& iid_;
};

// A DynArray: records each late-bound call and answers as configured.
class FakeDynArray final : public Fake<IDispatch> {
 public:
  FakeDynArray() : Fake(IID_IDispatch) {}

  struct Call {
    DISPID member;
    WORD flags;
    std::vector<VARTYPE> types;  // in IDispatch order: last argument first
    std::vector<std::string> values;
    std::vector<DISPID> named;
  };

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    askedNames.push_back(com::Narrow(names[0]));
    if (count != 1 || std::wstring(names[0]) != L"DCount") return DISP_E_UNKNOWNNAME;
    ids[0] = kDCountId;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT*) override {
    Call call{member, flags, {}, {}, {}};
    for (UINT i = 0; i < params->cArgs; ++i) {
      const VARIANT& arg = params->rgvarg[i];
      call.types.push_back(arg.vt);
      call.values.push_back(arg.vt == VT_BSTR ? Text(arg.bstrVal) : std::to_string(arg.iVal));
    }
    for (UINT i = 0; i < params->cNamedArgs; ++i)
      call.named.push_back(params->rgdispidNamedArgs[i]);
    calls.push_back(call);
    if (raise != S_OK) {
      exception->scode = raise;
      exception->bstrDescription = SysAllocString(L"refusé");
      return DISP_E_EXCEPTION;
    }
    if (result) {
      if (member == kDCountId) {
        result->vt = VT_I4;
        result->lVal = 3;
      } else if (!answerEmpty) {
        result->vt = VT_BSTR;
        result->bstrVal = SysAllocString(L"D:\\BASES\\ÉTÉ");
      }
    }
    return S_OK;
  }

  static constexpr DISPID kDCountId = 7;
  std::vector<Call> calls;
  std::vector<std::string> askedNames;
  HRESULT raise = S_OK;
  bool answerEmpty = false;
};

class FakeFile final : public Fake<dba::IDbaFile> {
 public:
  FakeFile() : Fake(dba::IID_DbaFile) {}
  HRESULT STDMETHODCALLTYPE Reserved1() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Reserved2() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Reserved3() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Reserved4() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Read(BSTR* key, IDispatch** record) override {
    keys.push_back(Text(*key));
    if (failWith != S_OK) return failWith;
    answer.HandOut(record);
    return S_OK;
  }

  std::vector<std::string> keys;
  HRESULT failWith = S_OK;
  FakeDynArray answer;
};

class FakeDatabase final : public Fake<dba::IDatabase> {
 public:
  FakeDatabase() : Fake(dba::IID_Database) {}
  HRESULT STDMETHODCALLTYPE Reserved1() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Reserved2() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OpenFile(BSTR* name, IDispatch** out) override {
    names.push_back(Text(*name));
    file.HandOut(out);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Execute(BSTR command, VARIANT argument, long* status,
                                    IDispatch** answerOut) override {
    commands.push_back(Text(command));
    argumentType = argument.vt;
    argumentText = argument.vt == VT_BSTR ? Text(argument.bstrVal) : "";
    statusIn = *status;
    *status = 42;
    if (failWith != S_OK) return failWith;
    answer.HandOut(answerOut);
    return S_OK;
  }

  std::vector<std::string> names;
  std::vector<std::string> commands;
  VARTYPE argumentType = VT_EMPTY;
  std::string argumentText;
  long statusIn = 0;
  HRESULT failWith = S_OK;
  FakeFile file;
  FakeDynArray answer;
};

class FakeClient final : public Fake<dba::ICClient> {
 public:
  FakeClient() : Fake(dba::IID_CClient) {}
  HRESULT STDMETHODCALLTYPE Reserved1() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Reserved2() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Reserved3() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Reserved4() override { return E_NOTIMPL; }

  HRESULT STDMETHODCALLTYPE Connect(BSTR* user, BSTR* password, BSTR* third,
                                    VARIANT_BOOL* result) override {
    connects.push_back({Text(*user), Text(*password), Text(*third)});
    thirdWasAllocated.push_back(*third != nullptr);
    // A server may replace a string handed by reference: the caller frees the new one.
    SysFreeString(*user);
    *user = SysAllocString(L"remplacé");
    if (failWith != S_OK) return failWith;
    *result = VARIANT_TRUE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Disconnect(VARIANT* result) override {
    ++disconnects;
    result->vt = VT_DISPATCH;
    leftInDisconnect.HandOut(&result->pdispVal);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OpenDatabase(BSTR* name, BSTR* entry, IDispatch** out) override {
    opens.push_back({Text(*name), Text(*entry)});
    if (failWith != S_OK) return failWith;
    if (!handOutNothing) database.HandOut(out);
    return S_OK;
  }

  std::vector<std::vector<std::string>> connects;
  std::vector<bool> thirdWasAllocated;
  std::vector<std::vector<std::string>> opens;
  int disconnects = 0;
  HRESULT failWith = S_OK;
  bool handOutNothing = false;
  FakeDynArray leftInDisconnect;
  FakeDatabase database;
};

TEST(ComOwners, ABstrHoldsTheTextAndCanBeWipedBeforeItIsFreed) {
  com::Bstr secret("mot é");
  ASSERT_EQ(SysStringLen(secret.Get()), 5u);
  EXPECT_EQ(Text(secret.Get()), "mot é");
  secret.Wipe();
  EXPECT_EQ(SysStringLen(secret.Get()), 5u);
  EXPECT_EQ(std::wstring(secret.Get(), 5), std::wstring(5, L'\0'));
  const com::Bstr empty("");
  EXPECT_NE(empty.Get(), nullptr) << "an empty text is still a string";
}

TEST(ComClient, ConnectPassesThreeFreshStringsAndReturnsTheServersBoolean) {
  FakeClient server;
  {
    server.AddRef();
    auto client = WrapClient(com::ComPtr<dba::ICClient>(&server));
    std::int16_t result = 0;
    EXPECT_EQ(client->Connect("ADM", "", "", result), kOk);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(client->Connect("opérateur", "mot passe", "", result), kOk);

    server.failWith = static_cast<HRESULT>(0x80040019);
    result = 5;
    EXPECT_EQ(client->Connect("x", "y", "", result), 0x80040019u);
    EXPECT_EQ(result, 5) << "the out Boolean is written only on success";
  }
  ASSERT_EQ(server.connects.size(), 3u);
  EXPECT_EQ(server.connects[0], (std::vector<std::string>{"ADM", "", ""}));
  EXPECT_EQ(server.connects[1], (std::vector<std::string>{"opérateur", "mot passe", ""}));
  // An empty string is still a string the server can replace.
  EXPECT_EQ(server.thirdWasAllocated, (std::vector<bool>{true, true, true}));
  EXPECT_EQ(server.refs, 1u) << "the client is released with its wrapper";
}

TEST(ComClient, DisconnectDiscardsTheVariantAndReleasesWhatItHeld) {
  FakeClient server;
  server.AddRef();
  auto client = WrapClient(com::ComPtr<dba::ICClient>(&server));
  EXPECT_EQ(client->Disconnect(), kOk);
  EXPECT_EQ(client->Disconnect(), kOk);
  EXPECT_EQ(server.disconnects, 2);
  EXPECT_EQ(server.leftInDisconnect.refs, 1u);
}

TEST(ComClient, OpenDatabaseQueriesTheObjectForDatabase) {
  FakeClient server;
  server.AddRef();
  auto client = WrapClient(com::ComPtr<dba::ICClient>(&server));

  std::shared_ptr<Database> database;
  EXPECT_EQ(client->OpenDatabase("MERIDOXAN", "BASE É", database), kOk);
  ASSERT_TRUE(database);
  EXPECT_EQ(server.opens.back(), (std::vector<std::string>{"MERIDOXAN", "BASE É"}));
  EXPECT_GE(server.database.queries, 1);
  database.reset();
  EXPECT_EQ(server.database.refs, 1u);

  // An object that is no Database is refused with the query's own number.
  server.database.refuseQuery = true;
  EXPECT_EQ(client->OpenDatabase("MERIDOXAN", "B", database),
            static_cast<ErrorNumber>(E_NOINTERFACE));
  EXPECT_FALSE(database);
  EXPECT_EQ(server.database.refs, 1u);
  server.database.refuseQuery = false;

  // A success that hands out no object is no success.
  server.handOutNothing = true;
  EXPECT_EQ(client->OpenDatabase("MERIDOXAN", "B", database), kErrObjectRequired);
  EXPECT_FALSE(database);
  server.handOutNothing = false;

  // The component's refusals come back unchanged.
  for (const ErrorNumber refusal : {kDbaOpenRefused, kDbaLoginNeeded}) {
    server.failWith = static_cast<HRESULT>(refusal);
    EXPECT_EQ(client->OpenDatabase("MERIDOXAN", "B", database), refusal);
    EXPECT_FALSE(database);
  }
}

TEST(ComDatabase, ExecuteSendsItsArgumentsByValueAndKeepsTheAnswerUnqueried) {
  FakeClient server;
  server.AddRef();
  auto client = WrapClient(com::ComPtr<dba::ICClient>(&server));
  std::shared_ptr<Database> database;
  ASSERT_EQ(client->OpenDatabase("MERIDOXAN", "B", database), kOk);
  FakeDatabase& base = server.database;

  std::int32_t status = 7;
  std::shared_ptr<DynArray> answer;
  ASSERT_EQ(database->Execute("PþQUI", "", status, answer), kOk);
  EXPECT_EQ(base.commands.back(), "PþQUI");
  EXPECT_EQ(base.argumentType, VT_BSTR);
  EXPECT_EQ(base.argumentText, "");
  EXPECT_EQ(base.statusIn, 7);
  EXPECT_EQ(status, 42);
  ASSERT_TRUE(answer);
  EXPECT_EQ(base.answer.queries, 0) << "the answer is held as it came";
  std::string field;
  EXPECT_EQ(answer->GetField(1, field), kOk);
  EXPECT_EQ(field, "D:\\BASES\\ÉTÉ");

  // A failure keeps the earlier answer; the status the server wrote stays.
  const std::shared_ptr<DynArray> earlier = answer;
  base.failWith = static_cast<HRESULT>(0x80040010);
  status = 0;
  EXPECT_EQ(database->Execute("P", "", status, answer), 0x80040010u);
  EXPECT_EQ(answer, earlier);
  EXPECT_EQ(status, 42);
  answer.reset();
}

TEST(ComDbaFile, OpenFileAndReadPassTheirNamesAndReturnTheComponentsNumbers) {
  FakeClient server;
  server.AddRef();
  auto client = WrapClient(com::ComPtr<dba::ICClient>(&server));
  std::shared_ptr<Database> database;
  ASSERT_EQ(client->OpenDatabase("MERIDOXAN", "B", database), kOk);

  std::shared_ptr<DbaFile> file;
  ASSERT_EQ(database->OpenFile("INSTALLMAJ", file), kOk);
  ASSERT_TRUE(file);
  EXPECT_EQ(server.database.names.back(), "INSTALLMAJ");
  EXPECT_GE(server.database.file.queries, 1);

  std::shared_ptr<DynArray> record;
  EXPECT_EQ(file->Read("712", record), kOk);
  EXPECT_TRUE(record);
  server.database.file.failWith = static_cast<HRESULT>(kDbaKeyNotFound);
  std::shared_ptr<DynArray> missing;
  EXPECT_EQ(file->Read("712", missing), kDbaKeyNotFound);
  EXPECT_FALSE(missing);
  EXPECT_EQ(server.database.file.keys, (std::vector<std::string>{"712", "712"}));
}

TEST(LateDynArray, DefaultMemberAndDCountGoThroughIDispatchAsAScriptCallsThem) {
  FakeDynArray object;
  object.AddRef();
  auto array = WrapDynArray(com::ComPtr<IDispatch>(&object));

  std::string whole;
  ASSERT_EQ(array->PutValue(""), kOk);
  ASSERT_EQ(array->PutField(2, "QUI"), kOk);
  ASSERT_EQ(array->GetValue(whole), kOk);
  std::string field;
  ASSERT_EQ(array->GetField(1, field), kOk);
  std::int32_t count = 0;
  ASSERT_EQ(array->DCount(count), kOk);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(object.askedNames, (std::vector<std::string>{"DCount"}));

  ASSERT_EQ(object.calls.size(), 5u);
  const auto& putWhole = object.calls[0];
  EXPECT_EQ(putWhole.member, DISPID_VALUE);
  EXPECT_EQ(putWhole.flags, DISPATCH_PROPERTYPUT);
  EXPECT_EQ(putWhole.types, (std::vector<VARTYPE>{VT_BSTR}));
  EXPECT_EQ(putWhole.named, (std::vector<DISPID>{DISPID_PROPERTYPUT}));

  // IDispatch order: the value first, then the index.
  const auto& putField = object.calls[1];
  EXPECT_EQ(putField.types, (std::vector<VARTYPE>{VT_BSTR, VT_I2}));
  EXPECT_EQ(putField.values, (std::vector<std::string>{"QUI", "2"}));
  EXPECT_EQ(putField.named, (std::vector<DISPID>{DISPID_PROPERTYPUT}));

  const auto& getWhole = object.calls[2];
  EXPECT_TRUE(getWhole.flags & DISPATCH_PROPERTYGET);
  EXPECT_TRUE(getWhole.types.empty());
  EXPECT_TRUE(getWhole.named.empty());

  const auto& getField = object.calls[3];
  EXPECT_EQ(getField.member, DISPID_VALUE);
  EXPECT_EQ(getField.types, (std::vector<VARTYPE>{VT_I2}));
  EXPECT_EQ(getField.values, (std::vector<std::string>{"1"}));
  EXPECT_EQ(object.calls[4].member, FakeDynArray::kDCountId);

  array.reset();
  EXPECT_EQ(object.refs, 1u);
}

TEST(LateDynArray, ExceptionsGiveTheirOwnNumberAndEmptyValuesReadEmpty) {
  FakeDynArray object;
  object.AddRef();
  auto array = WrapDynArray(com::ComPtr<IDispatch>(&object));

  object.answerEmpty = true;
  std::string field = "avant";
  ASSERT_EQ(array->GetField(4, field), kOk);
  EXPECT_EQ(field, "");

  object.raise = static_cast<HRESULT>(kErrSubscriptOutOfRange);
  field = "avant";
  EXPECT_EQ(array->GetField(31, field), kErrSubscriptOutOfRange);
  EXPECT_EQ(field, "avant");
  std::int32_t count = 9;
  EXPECT_EQ(array->DCount(count), kErrSubscriptOutOfRange);
  EXPECT_EQ(count, 9);
}

}  // namespace
}  // namespace maj
