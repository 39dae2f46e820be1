// What the operator saw, printed as UTF-8 lines "key<TAB>value" on standard
// output, so that a script can read it and a person can too.
#pragma once

#include <string>
#include <string_view>

namespace op {

// The text with backslash, tab, carriage return, line feed and the other
// control characters written as escapes (\\, \t, \r, \n, \xHH), so that one
// value never spans two lines.
std::string Escape(std::string_view utf8);

// Writes the line and a line feed (no carriage return) to standard output.
void PrintLine(std::string_view line);

// Writes "key<TAB>escaped value".
void PrintField(std::string_view key, std::string_view value);

// Writes the message to standard error with a line feed.
void PrintError(std::string_view message);

std::string Hex(unsigned long long value);

}  // namespace op
