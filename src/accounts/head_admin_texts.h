#pragma once

#include <string>
#include <string_view>

// The texts the head administrator dialogs show the operator, Mac Roman. "%#s"
// stands for a login (FillLogin).
namespace vantrel::head_admin_texts {

inline constexpr const char* kSetPasswordTitle = "Set Admin Password";
inline constexpr const char* kMissingText =
    "The Admin account \"%#s\" does not exist. Please enter a password for this account so that "
    "it can be created. This account has full access to all controls of the Server and you "
    "should not reveal this password to anyone to whom you do not want to give control of the "
    "Server. Please enter a new password for this account. If you do not set a password, your "
    "Server will not be secure.";
inline constexpr const char* kNoPasswordText =
    "The Admin account \"%#s\" does not have a password assigned. This account has full access "
    "to all controls of the Server and you should not reveal this password to anyone to whom you "
    "do not want to give control of the Server. Please enter a new password for this account. If "
    "you do not set a password, your Server will not be secure.";

inline constexpr const char* kResetTitle = "Reset Admin Account";
inline constexpr const char* kResetText =
    "Resetting the Admin account will enable all access privileges for the Admin account and "
    "set a new password. Please enter a new password below.";

inline constexpr const char* kUpdatePrivilegesTitle = "Update Privileges";
inline constexpr const char* kUpdatePrivilegesText =
    "The account you have selected as your head administrator account does not currently have "
    "full admin privileges. Would you like to enable all of this account's privileges so that it "
    "can be used as the head admin account?\r\rSelecting Cancel will return you to the Select "
    "Head Admin Account window. In order to select an account as a head administrator account, "
    "you must enable all of the privileges.\r\rAccount Login: %#s";

inline constexpr const char* kCreateTitle = "Create New Admin Account";
inline constexpr const char* kCreateText =
    "Please enter a login and password for the new head Admin account.";
inline constexpr const char* kAlreadyExistsTitle = "Account Already Exists";
inline constexpr const char* kAlreadyExistsText =
    "The account \"%#s\" already exists. Would you like to set this account as the head Admin "
    "account?";

inline constexpr const char* kCreateMissingTitle = "Create Admin Account";
inline constexpr const char* kCreateMissingText =
    "The Admin account \"%#s\" does not exist. Would you like to create it?";

// Button texts, in the order offered; the first is the one that goes ahead.
inline constexpr const char* kOk = "OK";
inline constexpr const char* kCancel = "Cancel";
inline constexpr const char* kYes = "Yes";
inline constexpr const char* kNo = "No";
inline constexpr const char* kCreate = "Create";

// Longest login put into a text (a length-prefixed string).
inline constexpr size_t kMaxFilledLogin = 255;

// `text` with its "%#s" replaced by `login`.
inline std::string FillLogin(std::string_view text, std::string_view login) {
  std::string filled(text);
  const size_t at = filled.find("%#s");
  if (at != std::string::npos) filled.replace(at, 3, login.substr(0, kMaxFilledLogin));
  return filled;
}

}  // namespace vantrel::head_admin_texts
