// IUnknown for the DLL's objects: reference counting, QueryInterface for the
// one interface each implements, and the module's object count.
#pragma once

#include <windows.h>

#include <oaidl.h>

#include <atomic>
#include <memory>
#include <type_traits>
#include <utility>

#include "standin/StandInErrors.h"
#include "standin/com/Module.h"
#include "support/win32/ComOwners.h"

namespace standin::com_server {

// Runs a method body; what it throws (memory) becomes an HRESULT, since no
// exception may cross the COM boundary.
template <class Body>
HRESULT Protected(Body&& body) noexcept {
  return static_cast<HRESULT>(Guarded([&] { return static_cast<ErrorNumber>(body()); }));
}

// `Derived` implements `Interface` and names its identity as Derived::Iid().
// Objects are only made by Create and end at their last Release.
template <class Derived, class Interface>
class ComObject : public Interface {
 public:
  // A new object with one reference, for the caller.
  template <class... Args>
  static com::ComPtr<Derived> Create(Args&&... args) {
    return com::ComPtr<Derived>(std::make_unique<Derived>(std::forward<Args>(args)...).release());
  }

  virtual ~ComObject() { ObjectDestroyed(); }
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    bool offered = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, Derived::Iid());
    if constexpr (std::is_base_of_v<IDispatch, Interface>) {
      offered = offered || IsEqualIID(iid, IID_IDispatch);
    }
    if (!offered) {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    *out = static_cast<Interface*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) std::unique_ptr<Derived> last(static_cast<Derived*>(this));
    return left;
  }

 protected:
  ComObject() { ObjectCreated(); }

 private:
  std::atomic<ULONG> references_{1};
};

// An IDispatch object without type information.
template <class Derived, class Interface>
class NoTypeInfo : public ComObject<Derived, Interface> {
 public:
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return E_NOTIMPL;
  }
};

// The objects that are reached through their vtables only: no late-bound
// member either.
template <class Derived, class Interface>
class VtableObject : public NoTypeInfo<Derived, Interface> {
 public:
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }
};

}  // namespace standin::com_server
