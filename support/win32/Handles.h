// Small owners for the Windows handles the platform opens: each closes its
// handle when replaced or destroyed.
#pragma once

#include <windows.h>

#include <utility>

namespace maj::win32 {

template <class H, class Closer>
class Owner {
 public:
  Owner() = default;
  explicit Owner(H adopted) : h_(adopted) {}
  Owner(const Owner&) = delete;
  Owner& operator=(const Owner&) = delete;
  Owner(Owner&& other) noexcept : h_(std::exchange(other.h_, H{})) {}
  Owner& operator=(Owner&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.h_, H{}));
    return *this;
  }
  ~Owner() { Reset(); }

  void Reset(H adopted = H{}) {
    if (H old = std::exchange(h_, adopted)) Closer::Close(old);
  }
  H Get() const { return h_; }
  H Release() { return std::exchange(h_, H{}); }
  explicit operator bool() const { return h_ != H{}; }

 private:
  H h_{};
};

struct HandleCloser {
  static void Close(HANDLE h) { ::CloseHandle(h); }
};
// A mutex this thread owns: let go, then closed.
struct OwnedMutexCloser {
  static void Close(HANDLE h) {
    ::ReleaseMutex(h);
    ::CloseHandle(h);
  }
};
struct WindowCloser {
  static void Close(HWND h) { ::DestroyWindow(h); }
};
struct FontCloser {
  static void Close(HFONT h) { ::DeleteObject(h); }
};
struct HookCloser {
  static void Close(HHOOK h) { ::UnhookWindowsHookEx(h); }
};

// A kernel handle; INVALID_HANDLE_VALUE is never stored (see FromCreateFile).
using UniqueHandle = Owner<HANDLE, HandleCloser>;
using OwnedMutex = Owner<HANDLE, OwnedMutexCloser>;
using WindowOwner = Owner<HWND, WindowCloser>;
using FontOwner = Owner<HFONT, FontCloser>;
using HookOwner = Owner<HHOOK, HookCloser>;

// CreateFileW reports failure as INVALID_HANDLE_VALUE rather than null.
inline UniqueHandle FromCreateFile(HANDLE h) {
  return UniqueHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

}  // namespace maj::win32
