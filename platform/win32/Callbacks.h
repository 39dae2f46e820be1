// Exceptions never unwind through the system's code: the 32-bit compiler's
// unwinder cannot cross user32's frames, so one thrown from a window or
// dialog procedure would end the program at once. Each callback runs its body
// through Guarded, which keeps what was thrown; the program's call that ran
// the system's loop (a box, a dialog, the message pump) throws it again once
// the system has returned.
#pragma once

#include <exception>
#include <utility>

namespace maj::win32 {

// The first exception a callback kept and no caller has thrown yet.
inline std::exception_ptr& KeptException() {
  static std::exception_ptr kept;
  return kept;
}

// Throws the kept exception, if any, and forgets it.
inline void ThrowKept() {
  if (std::exception_ptr kept = std::exchange(KeptException(), nullptr)) {
    std::rethrow_exception(kept);
  }
}

// Runs `body`; when it throws, keeps the exception, runs `onThrow` (which
// must not throw itself) and answers `fallback`.
template <class Result, class Body, class OnThrow>
Result Guarded(Result fallback, Body&& body, OnThrow&& onThrow) noexcept {
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    if (!KeptException()) KeptException() = std::current_exception();
    std::forward<OnThrow>(onThrow)();
    return fallback;
  }
}

template <class Result, class Body>
Result Guarded(Result fallback, Body&& body) noexcept {
  return Guarded(fallback, std::forward<Body>(body), [] {});
}

}  // namespace maj::win32
