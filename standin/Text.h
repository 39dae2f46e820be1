// Small text helpers of the stand-in: trimming, case-insensitive names as
// Windows compares them, error numbers in hex, journal quoting and UTF-8 paths.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Errors.h"

namespace standin {

std::string_view Trim(std::string_view text);

// Lower-cases ASCII letters and the Latin-1 letters À to Þ (UTF-8), which is
// enough for the names a French server holds.
std::string FoldCase(std::string_view utf8);
bool EqualNoCase(std::string_view a, std::string_view b);

// "0" for success, otherwise "0x" and eight upper-case hex digits.
std::string Hex(maj::ErrorNumber number);

// A text in double quotes for the journal: a quote is doubled and control
// characters are shown by name (<CR>, <LF>, <TAB>, <RS>) or as <0xHH>.
std::string Quote(std::string_view text);
// ["a", "b"]: a list of quoted texts.
std::string QuoteList(const std::vector<std::string>& texts);

// Parses "0x8004000B" (hex) or a decimal number; rejects anything else.
bool ParseNumber(std::string_view text, unsigned long long& value);

std::vector<std::string> Split(std::string_view text, char separator);

// Paths hold UTF-8 texts whatever the system's code page.
std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string Utf8FromPath(const std::filesystem::path& path);

}  // namespace standin
