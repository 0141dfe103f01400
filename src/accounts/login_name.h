#pragma once

#include <string>
#include <string_view>

namespace vantrel {

class Operator;

// Logins as the operator types them and as the store looks them up. Texts are
// Mac Roman. Pure functions, except CleanTypedLogin, which tells the operator.

inline constexpr const char* kInvalidLoginTitle = "Invalid Login";
inline constexpr const char* kInvalidLoginText =
    "You have used invalid characters in your account login. It has been changed to a valid "
    "alternative.";

// The file layer's name cleaner (SanitiseName) for a login the operator typed; when cleaning
// changed it, the operator is shown kInvalidLoginText titled kInvalidLoginTitle. Answers the
// cleaned login.
std::string CleanTypedLogin(std::string_view typed, Operator& op);

// `text` with ASCII "A" to "Z" turned into "a" to "z"; no other byte changes.
std::string LowerAsciiLetters(std::string_view text);

// The form in which a received plain login is looked up in the store and kept
// by the sessions logged in with it: ASCII letters in lower case and every
// carriage return turned into a hyphen.
std::string LookupForm(std::string_view plain_login);

}  // namespace vantrel
