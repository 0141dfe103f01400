#pragma once

#include <string>
#include <string_view>

namespace vantrel {

// Text files the server hands to clients ("Agreement.txt" and any banner of
// type "TEXT") as the server holds them: Mac Roman with a single carriage return
// as line end. Operators may write them on Windows (CR LF), on Linux (LF) and in
// UTF-8. Pure functions.

// Every CR LF pair becomes a single CR, and every LF that is not preceded by a
// CR becomes a CR. When the text holds at least one byte above 0x7F and is well-
// formed UTF-8 as a whole, it is converted to Mac Roman (a character without a
// Mac Roman equivalent becomes "?"); otherwise it is taken to be Mac Roman
// already and its bytes are kept. The result is never longer than `file_bytes`.
std::string ServerTextFromFile(std::string_view file_bytes);

// True when `text` is well-formed UTF-8: no stray continuation bytes, no
// truncated or overlong sequences, no surrogates, nothing above U+10FFFF.
bool IsWellFormedUtf8(std::string_view text);

}  // namespace vantrel
