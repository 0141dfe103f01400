#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace vantrel {

class Operator;

// Asking the operator for a new password and its repetition. Texts are Mac Roman.

// Longest password the operator may set, in bytes.
inline constexpr size_t kMaxOperatorPassword = 31;

inline constexpr const char* kPasswordPrompt = "Password:";
inline constexpr const char* kVerifyPasswordPrompt = "Verify Password:";
inline constexpr const char* kPasswordTooLongTitle = "Password too long";
inline constexpr const char* kPasswordTooLongText =
    "Please select a password that is no longer than 31 characters.";

// The plain password, or nothing when the operator cancelled.
using PasswordAnswer = std::function<void(std::optional<std::string> password)>;

// Asks for the password twice without echo. When either is longer than
// kMaxOperatorPassword bytes the operator is shown kPasswordTooLongText titled
// kPasswordTooLongTitle and asked both again; when the two differ (byte for
// byte) both are asked again without a message. An empty password is accepted.
// `answer` is called once, with the password or, as soon as the operator
// answers nothing, with nothing.
// REQUIRES: `op` outlives the answer.
void AskNewPassword(Operator& op, PasswordAnswer answer);

}  // namespace vantrel
