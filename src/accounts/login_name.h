#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vantrel {

class Operator;

// Logins as the operator types them and as the store looks them up. Texts are
// Mac Roman. Pure functions, except CleanTypedLogin, which tells the operator.

// Longest login the name cleaner keeps.
inline constexpr size_t kMaxCleanedLogin = 255;

inline constexpr const char* kInvalidLoginTitle = "Invalid Login";
inline constexpr const char* kInvalidLoginText =
    "You have used invalid characters in your account login. It has been changed to a valid "
    "alternative.";

// The name cleaner of the file layer applied to a login: cut to
// kMaxCleanedLogin bytes; a leading "." becomes "-"; every byte below 0x20, each
// of " * / : < > ? \ |, and the bytes 0x81, 0x8D to 0x90, 0x9D and 0x9E become
// "-"; then every trailing blank or "." becomes "-" up to the last other byte.
std::string CleanLoginName(std::string_view login);

// CleanLoginName for a login the operator typed; when cleaning changed it, the
// operator is shown kInvalidLoginText titled kInvalidLoginTitle. Answers the
// cleaned login.
std::string CleanTypedLogin(std::string_view typed, Operator& op);

// `text` with ASCII "A" to "Z" turned into "a" to "z"; no other byte changes.
// The form in which a received login is looked up.
std::string LowerAsciiLetters(std::string_view text);

}  // namespace vantrel
