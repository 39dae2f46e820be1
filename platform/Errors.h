// The program's one error type: a 32-bit error number, 0 when nothing failed.
//
// A failure that comes from a component (the database-access server, the
// file-system object) keeps the component's HRESULT unchanged. Failures of the
// program's own statements use the runtime numbers below, in their HRESULT form
// (facility 0x0A, as Windows' own control runtime reports them), and failures
// of a system call use the Win32 error code in its HRESULT form.
//
// One convention carries them through the program. Every step and helper
// returns its ErrorNumber (an outcome it also has goes in an out-parameter).
// Only the driver and the connection lifecycle keep a last error, in
// RunState::Err, and only where the run branches on it: which base opened,
// whether the operator must log in. A caller that goes on whatever a call
// answered drops the number with Unheeded() and one line saying why; every
// deliberate clearing of the last error says why in one line too.
#pragma once

#include <cstdint>

namespace maj {

using ErrorNumber = std::uint32_t;

inline constexpr ErrorNumber kOk = 0;

constexpr ErrorNumber RuntimeError(std::uint32_t code) {
  return 0x800A0000u | code;
}
constexpr ErrorNumber FromWin32(std::uint32_t code) {
  return code == 0 ? kOk : (0x80070000u | (code & 0xFFFFu));
}

inline constexpr ErrorNumber kErrInvalidCall = RuntimeError(5);  // bad argument
inline constexpr ErrorNumber kErrOverflow = RuntimeError(6);     // value out of 16 bits
inline constexpr ErrorNumber kErrSubscriptOutOfRange = RuntimeError(9);
inline constexpr ErrorNumber kErrFileNotFound = RuntimeError(53);
inline constexpr ErrorNumber kErrInputPastEnd = RuntimeError(62);
inline constexpr ErrorNumber kErrPermissionDenied = RuntimeError(70);
inline constexpr ErrorNumber kErrPathNotFound = RuntimeError(76);
inline constexpr ErrorNumber kErrObjectRequired = RuntimeError(424);  // call on an empty holder

// Win32 codes the platforms report, in HRESULT form.
inline constexpr ErrorNumber kWin32FileNotFound = FromWin32(2);
inline constexpr ErrorNumber kWin32PathNotFound = FromWin32(3);
inline constexpr ErrorNumber kWin32AccessDenied = FromWin32(5);
inline constexpr ErrorNumber kWin32AlreadyExists = FromWin32(183);

// Keeps the first failure of a sequence: `Failed(err, Step())` stores the step's
// number and answers whether it failed.
[[nodiscard]] inline bool Failed(ErrorNumber& lastError, ErrorNumber result) {
  if (result == kOk) return false;
  lastError = result;
  return true;
}

// Stores a failure as the last error; a success leaves the last error as it was.
inline void Absorb(ErrorNumber& lastError, ErrorNumber result) {
  (void)Failed(lastError, result);
}

// A failure the caller goes on after by design; the call site says why.
inline void Unheeded(ErrorNumber /*result*/) {}

}  // namespace maj
