// Drives DBA.dll through COM as the program does: the client by its ProgID,
// every method through the vtable, DynArrays by late binding. Prints one line
// per check and ends with 0 only when every check passed. run-smoke.sh
// prepares the data folder and the files this expects.
#include <windows.h>

#include <cstdio>
#include <string>

#include "contract/Dba.h"
#include "contract/com/DbaCom.h"
#include "standin/com/ClientClass.h"
#include "support/win32/ComOwners.h"
#include "support/win32/Dispatch.h"

namespace {

constexpr const char* kEntry = "BASE É";
constexpr const char* kBaseDirectory = "C:\\smoke bases\\BASE É";
constexpr const char* kUpgrade = "LANCEMAJCD C:\\smoke app C VIDE C:\\smoke bases\\BASE É";

int g_checks = 0;
int g_failures = 0;

bool Check(const char* what, HRESULT got, HRESULT expected) {
  ++g_checks;
  const bool ok = got == expected;
  if (!ok) ++g_failures;
  std::printf("%s %-58s 0x%08lX", ok ? "ok  " : "FAIL", what, static_cast<unsigned long>(got));
  if (!ok) std::printf(" (expected 0x%08lX)", static_cast<unsigned long>(expected));
  std::printf("\n");
  return ok;
}

bool CheckText(const char* what, const std::string& got, const std::string& expected) {
  return Check(what, got == expected ? S_OK : E_FAIL, S_OK);
}

// The DynArray's default member, by late binding.
HRESULT PutWhole(IDispatch* array, const std::string& text) {
  com::Variant value(text);
  return com::Invoke(array, DISPID_VALUE, DISPATCH_PROPERTYPUT, {&*value}, nullptr);
}

HRESULT PutField(IDispatch* array, const VARIANT& index, const std::string& text) {
  com::Variant value(text);
  return com::Invoke(array, DISPID_VALUE, DISPATCH_PROPERTYPUT, {&index, &*value}, nullptr);
}

HRESULT Get(IDispatch* array, const VARIANT* index, std::string& text) {
  com::Variant result;
  HRESULT hr = index ? com::Invoke(array, DISPID_VALUE, DISPATCH_PROPERTYGET, {index}, result.Get())
                     : com::Invoke(array, DISPID_VALUE, DISPATCH_PROPERTYGET, {}, result.Get());
  if (SUCCEEDED(hr)) hr = (*result).vt == VT_BSTR ? S_OK : DISP_E_TYPEMISMATCH;
  if (SUCCEEDED(hr)) hr = com::ToUtf8(*result, text);
  return hr;
}

std::string Field(IDispatch* array, short index) {
  com::Variant n(index);
  std::string text = "<failed>";
  Check("  DynArray field get", Get(array, &*n, text), S_OK);
  return text;
}

long DCount(IDispatch* array, WORD flags) {
  com::Variant result;
  Check("  DynArray DCount", com::InvokeByName(array, L"dcount", flags, {}, result.Get()), S_OK);
  return (*result).vt == VT_I4 ? (*result).lVal : -1;
}

HRESULT Execute(dba::IDatabase* database, const std::string& line, com::ComPtr<IDispatch>& answer) {
  com::ComPtr<IDispatch> params;
  HRESULT hr = CoCreateInstance(dba::CLSID_DynArray, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                reinterpret_cast<void**>(params.Put()));
  com::Variant one(short{1});
  com::Variant two(short{2});
  if (SUCCEEDED(hr)) hr = PutWhole(params.Get(), "");
  if (SUCCEEDED(hr)) hr = PutField(params.Get(), *one, "P");
  if (SUCCEEDED(hr)) hr = PutField(params.Get(), *two, line);
  std::string whole;
  if (SUCCEEDED(hr)) hr = Get(params.Get(), nullptr, whole);
  if (FAILED(hr)) return hr;
  com::Bstr command(whole);
  com::Variant argument("");
  long status = 99;
  return database->Execute(command.Get(), *argument, &status, answer.Put());
}

void DriveDynArray() {
  std::printf("-- DynArray by class, late binding\n");
  com::ComPtr<IDispatch> array;
  if (!Check("CoCreateInstance(CLSID_DynArray)",
             CoCreateInstance(dba::CLSID_DynArray, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                              reinterpret_cast<void**>(array.Put())),
             S_OK)) {
    return;
  }
  Check("DCount of a new array is 0",
        DCount(array.Get(), DISPATCH_PROPERTYGET) == 0 ? S_OK : E_FAIL, S_OK);
  com::Variant three(short{3});
  com::Variant textIndex("1");  // converted to VT_I2 by the automation rules
  Check("put field 3 (VT_I2 index)", PutField(array.Get(), *three, "trois"), S_OK);
  Check("put field \"1\" (VT_BSTR index)", PutField(array.Get(), *textIndex, "un é"), S_OK);
  Check("DCount as a method is 3", DCount(array.Get(), DISPATCH_METHOD) == 3 ? S_OK : E_FAIL, S_OK);
  std::string whole;
  Check("get whole value", Get(array.Get(), nullptr, whole), S_OK);
  CheckText("whole value joins with U+001E", whole, "un é\x1E\x1Etrois");
  CheckText("unwritten field reads \"\"", Field(array.Get(), 9), "");

  com::Variant zero(short{0});
  std::string text;
  Check("get field 0 fails", Get(array.Get(), &*zero, text), DISP_E_BADINDEX);
  com::Variant word("abc");
  Check("index \"abc\" is no number", Get(array.Get(), &*word, text), DISP_E_TYPEMISMATCH);
  com::Variant big;
  big.Get()->vt = VT_I4;
  big.Get()->lVal = 40000;
  Check("index 40000 is past 16 bits", Get(array.Get(), &*big, text), DISP_E_OVERFLOW);
  DISPID id = 0;
  Check("GetIDsOfNames(\"Count\") is unknown", com::GetDispId(array.Get(), L"Count", id),
        DISP_E_UNKNOWNNAME);
  Check("put whole \"\" clears", PutWhole(array.Get(), ""), S_OK);
  Check("DCount after clearing is 0",
        DCount(array.Get(), DISPATCH_PROPERTYGET) == 0 ? S_OK : E_FAIL, S_OK);
}

void DriveClient() {
  std::printf("-- client by ProgID, vtable calls\n");
  CLSID clsid{};
  if (!Check("CLSIDFromProgID(\"DBA.CClient\")",
             CLSIDFromProgID(com::Widen(maj::kDbaClientProgId).c_str(), &clsid), S_OK) ||
      !Check("the ProgID names the stand-in's class",
             IsEqualCLSID(clsid, dba::CLSID_StandInClient) ? S_OK : E_FAIL, S_OK)) {
    return;
  }
  com::ComPtr<IUnknown> object;
  com::ComPtr<dba::ICClient> client;
  if (!Check("CoCreateInstance(DBA.CClient)",
             CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                              reinterpret_cast<void**>(object.Put())),
             S_OK) ||
      !Check("QueryInterface(CClient)", object.As(dba::IID_CClient, client), S_OK)) {
    return;
  }
  Check("CClient slot 8 (first placeholder)", client->Reserved1(), E_NOTIMPL);

  com::Bstr nobody("NOBODY");
  com::Bstr adm("ADM");
  com::Bstr empty("");
  com::Bstr third("");
  VARIANT_BOOL connected = VARIANT_FALSE;
  Check("Connect(NOBODY) is refused",
        client->Connect(nobody.Ref(), empty.Ref(), third.Ref(), &connected),
        static_cast<HRESULT>(0x80040201));
  Check("Connect(ADM, \"\")", client->Connect(adm.Ref(), empty.Ref(), third.Ref(), &connected),
        S_OK);
  Check("Connect returned True", connected == VARIANT_TRUE ? S_OK : E_FAIL, S_OK);

  com::Bstr name("MERIDOXAN");
  com::Bstr unknown("NO SUCH BASE");
  com::Bstr refused("BASE REFUSED");
  com::Bstr entry(kEntry);
  com::ComPtr<IDispatch> opened;
  Check("OpenDatabase(unknown entry)",
        client->OpenDatabase(name.Ref(), unknown.Ref(), opened.Put()),
        static_cast<HRESULT>(0x80040202));
  Check("OpenDatabase(refused entry)",
        client->OpenDatabase(name.Ref(), refused.Ref(), opened.Put()),
        static_cast<HRESULT>(0x80040006));
  Check("no object on failure", opened ? E_FAIL : S_OK, S_OK);
  com::ComPtr<dba::IDatabase> database;
  if (!Check("OpenDatabase(BASE É)", client->OpenDatabase(name.Ref(), entry.Ref(), opened.Put()),
             S_OK) ||
      !Check("QueryInterface(Database)", opened.As(dba::IID_Database, database), S_OK)) {
    return;
  }
  Check("Database placeholder slot", database->Reserved2(), E_NOTIMPL);

  com::ComPtr<IDispatch> answer;
  Check("Execute(QUI), the injected empty answer", Execute(database.Get(), "QUI", answer), S_OK);
  if (answer)
    Check("  DCount 0", DCount(answer.Get(), DISPATCH_PROPERTYGET) == 0 ? S_OK : E_FAIL, S_OK);
  Check("Execute(QUI)", Execute(database.Get(), "QUI", answer), S_OK);
  if (answer) CheckText("  field 1 is the base directory", Field(answer.Get(), 1), kBaseDirectory);
  Check("Execute(QUIT) is unknown", Execute(database.Get(), "QUIT", answer),
        static_cast<HRESULT>(0x80040205));
  Check("Execute(LANCEMAJCD)", Execute(database.Get(), kUpgrade, answer), S_OK);
  if (answer) CheckText("  field 1 is OK", Field(answer.Get(), 1), "OK");

  com::Bstr installmaj("INSTALLMAJ");
  com::Bstr missing("NOPE");
  com::ComPtr<IDispatch> opening;
  Check("OpenFile(NOPE)", database->OpenFile(missing.Ref(), opening.Put()),
        static_cast<HRESULT>(0x80040203));
  com::ComPtr<dba::IDbaFile> file;
  if (!Check("OpenFile(INSTALLMAJ)", database->OpenFile(installmaj.Ref(), opening.Put()), S_OK) ||
      !Check("QueryInterface(DbaFile)", opening.As(dba::IID_DbaFile, file), S_OK)) {
    return;
  }
  com::Bstr version("712");
  com::Bstr absent("999");
  com::ComPtr<IDispatch> record;
  Check("Read(712), written by LANCEMAJCD", file->Read(version.Ref(), record.Put()), S_OK);
  if (record)
    Check("  DCount 3", DCount(record.Get(), DISPATCH_PROPERTYGET) == 3 ? S_OK : E_FAIL, S_OK);
  Check("Read(999) is absent", file->Read(absent.Ref(), record.Put()),
        static_cast<HRESULT>(0x8004000B));

  com::Variant discarded;
  Check("Disconnect", client->Disconnect(discarded.Get()), S_OK);
  Check("Read after Disconnect", file->Read(version.Ref(), record.Put()),
        static_cast<HRESULT>(0x80040019));
}

// With a data folder that cannot be loaded, no client can be created, and a
// DynArray still can.
void DriveBrokenSettings() {
  std::printf("-- data folder with malformed settings\n");
  CLSID clsid{};
  com::ComPtr<IUnknown> object;
  Check("CLSIDFromProgID(\"DBA.CClient\")",
        CLSIDFromProgID(com::Widen(maj::kDbaClientProgId).c_str(), &clsid), S_OK);
  Check("CoCreateInstance(DBA.CClient) fails",
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                         reinterpret_cast<void**>(object.Put())),
        static_cast<HRESULT>(0x8004020A));
  Check("and fails again without reloading",
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                         reinterpret_cast<void**>(object.Put())),
        static_cast<HRESULT>(0x8004020A));
  Check("CoCreateInstance(CLSID_DynArray) still works",
        CoCreateInstance(dba::CLSID_DynArray, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                         reinterpret_cast<void**>(object.Put())),
        S_OK);
}

}  // namespace

int main(int argc, char** argv) {
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
  if (argc > 1 && std::string(argv[1]) == "--broken-settings") {
    DriveBrokenSettings();
  } else {
    DriveDynArray();
    DriveClient();
    // Every object is released: even asked to unload at once, the DLL keeps its
    // server, so the next client is the process's second.
    CoFreeUnusedLibrariesEx(0, 0);
    CLSID clsid{};
    com::ComPtr<IUnknown> again;
    Check("CoCreateInstance(DBA.CClient) after CoFreeUnusedLibrariesEx",
          SUCCEEDED(CLSIDFromProgID(com::Widen(maj::kDbaClientProgId).c_str(), &clsid))
              ? CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                 reinterpret_cast<void**>(again.Put()))
              : E_FAIL,
          S_OK);
  }
  CoFreeUnusedLibraries();
  CoUninitialize();
  std::printf("%d checks, %d failed\n", g_checks, g_failures);
  return g_failures == 0 ? 0 : 1;
}
