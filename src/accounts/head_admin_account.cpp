#include "accounts/head_admin_account.h"

#include "accounts/account_record.h"
#include "accounts/account_store.h"
#include "accounts/login_name.h"
#include "accounts/password_dialog.h"
#include "platform/exception.h"
#include "protocol/field_data.h"

namespace vantrel {

bool SetUpAdminAccount(const AccountStore& store, std::string_view login,
                       std::optional<std::string_view> password, bool reset) {
  if (login.empty()) return false;
  AccountRecord record;
  bool is_new = false;
  try {
    record = store.Read(login);
    // The record is written back to the folder it came from, even when the
    // login it holds names another (the folder may have been renamed by hand).
    if (LowerAsciiLetters(record.login) != LowerAsciiLetters(login)) record.login = login;
  } catch (const Omberly::CException&) {
    record = AccountRecord{};
    record.name = kHeadAdminAccountName;
    record.login = login;
    is_new = true;
  }
  if (password && !password->empty()) {
    record.scrambled_password = Scramble(password->substr(0, kMaxOperatorPassword));
  }
  if (is_new || reset) record.privileges = kFullAdministratorPrivileges;
  if (is_new) {
    store.Create(record);
  } else {
    store.Write(record);
  }
  return true;
}

}  // namespace vantrel
