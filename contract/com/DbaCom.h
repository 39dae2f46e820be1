// The raw COM interfaces of the database-access component "DBA": the single
// source of truth for their identities and vtable layouts, shared by the
// program's client binding (connection/com) and the stand-in server
// (standin/com).
//
// Slots the program never calls but that lie before or between the called
// methods are declared as placeholders so that every called method sits at its
// place in the vtable. All interfaces derive from IDispatch (7 slots first).
#pragma once

#include <oaidl.h>
#include <objbase.h>
#include <windows.h>

namespace dba {

// {A4D331F4-C576-11D2-B53A-006008527429}
inline constexpr GUID IID_CClient = {
    0xA4D331F4, 0xC576, 0x11D2, {0xB5, 0x3A, 0x00, 0x60, 0x08, 0x52, 0x74, 0x29}};
// {32C8648F-9888-11D5-ADED-00500457E33C}
inline constexpr GUID IID_Database = {
    0x32C8648F, 0x9888, 0x11D5, {0xAD, 0xED, 0x00, 0x50, 0x04, 0x57, 0xE3, 0x3C}};
// {A4D331F0-C576-11D2-B53A-006008527429}
inline constexpr GUID IID_DbaFile = {
    0xA4D331F0, 0xC576, 0x11D2, {0xB5, 0x3A, 0x00, 0x60, 0x08, 0x52, 0x74, 0x29}};
// The DynArray class, created by class and reached by late binding only.
// {A4D331EF-C576-11D2-B53A-006008527429}
inline constexpr GUID CLSID_DynArray = {
    0xA4D331EF, 0xC576, 0x11D2, {0xB5, 0x3A, 0x00, 0x60, 0x08, 0x52, 0x74, 0x29}};

struct ICClient : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE Reserved1() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved2() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved3() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved4() = 0;
  virtual HRESULT STDMETHODCALLTYPE Connect(BSTR* user, BSTR* password, BSTR* third,
                                            VARIANT_BOOL* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE Disconnect(VARIANT* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE OpenDatabase(BSTR* name, BSTR* entry, IDispatch** database) = 0;
};

struct IDatabase : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE OpenFile(BSTR* name, IDispatch** file) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved1() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved2() = 0;
  virtual HRESULT STDMETHODCALLTYPE Execute(BSTR command, VARIANT argument, long* status,
                                            IDispatch** answer) = 0;
};

struct IDbaFile : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE Reserved1() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved2() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved3() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved4() = 0;
  virtual HRESULT STDMETHODCALLTYPE Read(BSTR* key, IDispatch** record) = 0;
};

// Late-bound members of a DynArray: the default member (DISPID_VALUE), get and
// put, with no argument (the whole value) or one VT_I2 index (a field); and
// "DCount", a property get whose DISPID is asked by name.
inline constexpr const wchar_t* kDCountName = L"DCount";

}  // namespace dba
