// UTF-8 helpers that the logic needs on every system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace maj {

inline constexpr const char* kLineEnd = "\r\n";

// The code point at byte `i` of a UTF-8 text; `length` receives its byte
// count. A malformed sequence decodes as its first byte alone.
char32_t DecodeUtf8(std::string_view utf8, std::size_t i, std::size_t& length);

// Appends the UTF-8 bytes of a code point.
void AppendUtf8(char32_t cp, std::string& out);

// Length in UTF-16 units, as a Windows text box counts its characters.
std::size_t Utf16Length(std::string_view utf8);

// The first character (one code point, whole), or "" for an empty text.
std::string FirstCharacter(std::string_view utf8);

// Upper case of ASCII, Latin-1 and Latin Extended-A letters (the letters of a
// path typed on a Western European server); other characters are kept.
std::string UpperCase(std::string_view utf8);

// An error number as an operator reads it to support: "0x80040154".
std::string HexNumber(std::uint32_t number);

// Overwrites every byte the text's buffer holds, then empties it, so that a
// password does not linger in memory once it is no longer needed.
void SecureWipe(std::string& secret);

}  // namespace maj
