// The error numbers of the stand-in server. The three numbers the program tests
// (0x80040006, 0x80040019, 0x8004000B) come from the component contract; the
// others are the stand-in's own, in the interface range 0x80040201 and up, so
// that none of them is mistaken for a number the program reacts to.
#pragma once

#include <new>

#include "contract/Dba.h"
#include "platform/Errors.h"

namespace standin {

using maj::ErrorNumber;

// Connect: unknown user or wrong password.
inline constexpr ErrorNumber kLoginRefused = 0x80040201;
// OpenDatabase: the database name or the base entry is not in the settings.
inline constexpr ErrorNumber kNoSuchBase = 0x80040202;
// OpenFile, LANCEMAJCD: the base has no database file of that name.
inline constexpr ErrorNumber kNoSuchFile = 0x80040203;
// Execute: the command is not two fields with "P" in field 1.
inline constexpr ErrorNumber kBadCommandForm = 0x80040204;
// Execute: the command word is neither QUI nor LANCEMAJCD.
inline constexpr ErrorNumber kUnknownCommand = 0x80040205;
// Execute: a known command with missing, extra or ambiguous words.
inline constexpr ErrorNumber kBadCommandWords = 0x80040206;
// LANCEMAJCD: the package folder <appdir>\INSTALLMAJ cannot be listed.
inline constexpr ErrorNumber kPackageUnreadable = 0x80040207;
// LANCEMAJCD: a package file is missing from <basedir>\INSTALLMAJ or differs.
inline constexpr ErrorNumber kPackageNotInPlace = 0x80040208;
// LANCEMAJCD: the record could not be written to the data folder.
inline constexpr ErrorNumber kStoreWriteFailed = 0x80040209;
// DBA.dll: the data folder or its settings could not be loaded.
inline constexpr ErrorNumber kSettingsInvalid = 0x8004020A;

// Default answer of OpenDatabase (and of every later call of that session)
// when the client is not logged in; the settings may choose another.
inline constexpr ErrorNumber kDefaultNotConnected = maj::kDbaLoginNeeded;

// DynArray: a field index below 1 (DISP_E_BADINDEX).
inline constexpr ErrorNumber kBadIndex = 0x8002000B;
// CreateClient: a ProgID other than "DBA.CClient" (REGDB_E_CLASSNOTREG).
inline constexpr ErrorNumber kClassNotRegistered = 0x80040154;
// Out of memory (E_OUTOFMEMORY), and anything else thrown (E_UNEXPECTED).
inline constexpr ErrorNumber kOutOfMemory = 0x8007000E;
inline constexpr ErrorNumber kUnexpected = 0x8000FFFF;

// Runs a call whose failures are error numbers; what it throws (memory)
// becomes one too, since no exception leaves the component.
template <class Call>
ErrorNumber Guarded(Call&& call) noexcept {
  try {
    return call();
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  } catch (...) {
    return kUnexpected;
  }
}

}  // namespace standin
