#pragma once

#include <string>
#include <string_view>

namespace vantrel {

// Conversion between the server's 8-bit Mac Roman texts (on the wire, in its own
// files) and UTF-8 (host file names, the operator's terminal). Pure functions.
//
// Bytes 0x00 to 0x7F are ASCII in both; bytes 0x80 to 0xFF map to one Unicode
// character each (0xDB is the euro sign, 0xF0 the Apple logo U+F8FF from the
// private use area), so converting any Mac Roman text to UTF-8 and back gives the
// same bytes.

// Every byte becomes its character. Control characters, CR included, are kept.
std::string MacRomanToUtf8(std::string_view mac_roman);

// For printing on the operator's terminal: as MacRomanToUtf8, and every CR
// (the server's line end) becomes a line feed, so multi-line texts print as lines.
std::string MacRomanToOperatorText(std::string_view mac_roman);

// Every UTF-8 character becomes its Mac Roman byte; a character without one,
// and every byte that is not part of a well-formed UTF-8 sequence, becomes "?".
std::string Utf8ToMacRoman(std::string_view utf8);

}  // namespace vantrel
