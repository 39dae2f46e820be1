// Windows-1252, the ANSI code page of a French Windows server, so that the
// native tests exercise the same conversions as the server does.
#pragma once

#include <string>
#include <string_view>

namespace maj::test {

// Each byte to its character, as MultiByteToWideChar does for code page 1252
// (the five unassigned bytes map to the control characters of the same value).
std::string Cp1252ToUtf8(std::string_view bytes);

// Each character to its byte; a character the code page lacks becomes "?".
std::string Utf8ToCp1252(std::string_view utf8);

}  // namespace maj::test
