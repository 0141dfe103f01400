#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "accounts/account_store.h"

namespace vantrel {

class Operator;

// The operator's dialogs about the head administrator account: the start-up
// check and the commands reset, select and create. Each talks to the operator
// through Operator (texts in head_admin_texts.h) and continues in the callbacks
// of the answers; it ends by calling its `done` exactly once. Nothing changes
// when the operator cancels or answers nothing (no terminal). The dialogs never
// change the settings themselves: the outcome says whether the head admin login
// is to become the outcome's login. Core thread only; `op` must outlive the
// dialog (the store is copied).

enum class HeadAdminResult {
  kNothingNeeded,  // the account exists and has a password (check only)
  kCreated,        // a new account was created
  kUpdated,        // an existing account got a password or the full administrator set
  kSelected,       // an existing account was taken as it is
  kCancelled,      // the operator cancelled or answered nothing
  kNotFound,       // no account has the login (select only)
  kFailed,         // the store failed or the login was empty; see `failure`
};

struct HeadAdminOutcome {
  HeadAdminResult result = HeadAdminResult::kCancelled;
  // The account concerned (Mac Roman), as cleaned, or as its folder is named.
  std::string login;
  // The head admin login setting is to become `login` (reset, select, create).
  bool makes_head_admin = false;
  // kFailed: the failure's description and identification text.
  std::string failure;
};

using HeadAdminDone = std::function<void(const HeadAdminOutcome& outcome)>;

// The start-up check (run again when the head admin login setting changes).
// An account that cannot be read: shows the missing-account text titled "Set
// Admin Password", asks a new password (password_dialog.h) and creates it with
// the full administrator set (kCreated). An account without a password: the
// no-password text, then sets the password and leaves the privileges as they are
// (kUpdated). An account with a password: kNothingNeeded. kCancelled means the
// account is still missing or without a password; the caller logs that.
void CheckHeadAdminAccount(const AccountStore& store, std::string_view login, Operator& op,
                           HeadAdminDone done);

// What the check does for an account that cannot be read; also used when the
// operator connects as administrator to an account that is missing.
void AskPasswordAndCreateHeadAdmin(const AccountStore& store, std::string_view login, Operator& op,
                                   HeadAdminDone done);

// "admin reset": cleans `typed_login` (login_name.h, "Invalid Login" notice when
// it changed), shows the reset text, asks a new password and gives the account
// exactly the full administrator set, creating it when missing (kUpdated or
// kCreated; makes_head_admin).
void ResetAdminAccount(const AccountStore& store, std::string_view typed_login, Operator& op,
                       HeadAdminDone done);

// "admin select LOGIN": an account holding the full administrator set becomes
// head admin as it is (kSelected). One lacking a bit: asks "Update Privileges"
// (OK / Cancel); OK gives it the full set, password unchanged (kUpdated).
// kNotFound when no account has the login.
void SelectHeadAdminAccount(const AccountStore& store, std::string_view login, Operator& op,
                            HeadAdminDone done);

// "admin create LOGIN": shows the create text, asks a new password, cleans the
// login ("Invalid Login" notice when it changed). When the account exists asks
// "Account Already Exists" (Yes / No); Yes takes it unchanged (kSelected).
// Otherwise creates it with the password and the full set (kCreated).
void CreateNewAdminAccount(const AccountStore& store, std::string_view typed_login, Operator& op,
                           HeadAdminDone done);

}  // namespace vantrel
