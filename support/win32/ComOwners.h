// Small owners for COM resources (interface pointers, BSTR, VARIANT) and the
// UTF-8 / UTF-16 conversions that the COM boundary needs. Windows only; shared
// by the program's COM binding, the Win32 platform and the stand-in server.
#pragma once

// <windows.h> first: <oleauto.h> relies on its types.
#include <windows.h>

#include <oleauto.h>

#include <string>
#include <string_view>
#include <utility>

namespace com {

// Text in `codePage` (UTF-8 unless told, CP_ACP for the ANSI code page) to
// UTF-16, and back.
inline std::wstring Widen(std::string_view text, UINT codePage = CP_UTF8) {
  if (text.empty()) return {};
  const int n =
      MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

inline std::string Narrow(std::wstring_view wide, UINT codePage = CP_UTF8) {
  if (wide.empty()) return {};
  const int n = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n,
                      nullptr, nullptr);
  return text;
}

// An owned interface pointer; releases it when replaced or destroyed.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  explicit ComPtr(T* adopted) : p_(adopted) {}  // takes over one reference
  ComPtr(const ComPtr& other) : p_(other.p_) {
    if (p_) p_->AddRef();
  }
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }
  ~ComPtr() { Reset(); }

  void Reset() {
    if (T* old = std::exchange(p_, nullptr)) old->Release();
  }
  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // For out arguments: releases what is held and hands out the slot.
  T** Put() {
    Reset();
    return &p_;
  }
  // Hands the reference to the caller (for out arguments of a server).
  T* Detach() { return std::exchange(p_, nullptr); }

  template <class U>
  HRESULT As(const IID& iid, ComPtr<U>& out) const {
    if (!p_) return E_POINTER;
    return p_->QueryInterface(iid, reinterpret_cast<void**>(out.Put()));
  }

 private:
  T* p_ = nullptr;
};

// An owned BSTR.
class Bstr {
 public:
  Bstr() = default;
  // Converted straight into the string: no other copy of the text is left.
  explicit Bstr(std::string_view utf8) {
    const int n = utf8.empty() ? 0
                               : MultiByteToWideChar(CP_UTF8, 0, utf8.data(),
                                                     static_cast<int>(utf8.size()), nullptr, 0);
    s_ = SysAllocStringLen(nullptr, static_cast<UINT>(n));
    if (s_ && n > 0) {
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), s_, n);
    }
  }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  Bstr(Bstr&& other) noexcept : s_(std::exchange(other.s_, nullptr)) {}
  Bstr& operator=(Bstr&& other) noexcept {
    std::swap(s_, other.s_);
    return *this;
  }
  ~Bstr() { SysFreeString(s_); }

  BSTR Get() const { return s_; }
  // For by-reference arguments: the callee may free and replace the string.
  BSTR* Ref() { return &s_; }
  BSTR Detach() { return std::exchange(s_, nullptr); }
  // Overwrites the text (a password) before the string is freed.
  void Wipe() {
    if (s_) SecureZeroMemory(s_, SysStringByteLen(s_));
  }
  std::string Utf8() const { return Narrow(std::wstring_view(s_ ? s_ : L"", SysStringLen(s_))); }

 private:
  BSTR s_ = nullptr;
};

// An owned VARIANT, cleared when replaced or destroyed.
class Variant {
 public:
  Variant() { VariantInit(&v_); }
  explicit Variant(std::string_view utf8) : Variant() {
    Bstr text(utf8);
    v_.vt = VT_BSTR;
    v_.bstrVal = text.Detach();
  }
  explicit Variant(short value) : Variant() {
    v_.vt = VT_I2;
    v_.iVal = value;
  }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ~Variant() { VariantClear(&v_); }

  VARIANT* Get() { return &v_; }
  const VARIANT& operator*() const { return v_; }
  // For out arguments: clears what is held and hands out the slot.
  VARIANT* Put() {
    VariantClear(&v_);
    return &v_;
  }

 private:
  VARIANT v_;
};

}  // namespace com
