#pragma once

namespace vantrel {

// The answers and log lines of account administration. "“%#s”" (UTF-8 here)
// is the place of a login between the Mac Roman curly quotes (Quote).

inline constexpr const char* kCreateAccountsRefusedText =
    "You are not allowed to create new accounts.";
inline constexpr const char* kDeleteAccountsRefusedText = "You are not allowed to delete accounts.";
inline constexpr const char* kGetAccountRefusedText =
    "You are not allowed to get account information.";
inline constexpr const char* kModifyAccountsRefusedText =
    "You are not allowed to modify account information.";
inline constexpr const char* kListAccountsRefusedText =
    "You are not allowed to administer accounts.";
inline constexpr const char* kMoreAccessText =
    "Cannot create account with more access than yourself.";
inline constexpr const char* kLoginTakenText =
    "Cannot create account “%#s” because there is already an account with that login.";
inline constexpr const char* kNoAccountText = "No account with login “%#s”.";
inline constexpr const char* kCannotListAccountsText = "Cannot read account list.";
inline constexpr const char* kBatchFailedText = "Error saving list of accounts.";

// Prefixes of the replies for other failures of the store.
inline constexpr const char* kCannotCreateAccountText = "Cannot create account “%#s”:";
inline constexpr const char* kCannotDeleteAccountText = "Cannot delete account “%#s”:";
inline constexpr const char* kCannotReadAccountText = "Cannot read account “%#s”:";
inline constexpr const char* kCannotModifyAccountText = "Cannot modify account “%#s”:";

// Log-window lines; a rename's names are already quoted (RenamedAccountText).
inline constexpr const char* kCreateAccountLogText = "Create account “%#s”";
inline constexpr const char* kDeleteAccountLogText = "Delete account “%#s”";
inline constexpr const char* kModifyAccountLogText = "Modify account “%#s”";
inline constexpr const char* kRenameAccountLogPrefix = "Rename account ";

}  // namespace vantrel
