#pragma once

#include <filesystem>
#include <functional>

#include "accounts/account_store.h"
#include "accounts/head_admin_dialogs.h"
#include "accounts/login_handlers.h"
#include "server/capability.h"

namespace vantrel {

// Accounts: the store over the server folder's "Users", logging in (107 and
// 121), and the head administrator account, checked at start-up and whenever
// its login setting changes and taken over from the operator's dialogs. Built by
// the composition root; core thread only.
class AccountsCapability final : public Capability {
 public:
  // REQUIRES: everything `services` refers to, and `file_system`, outlive the capability.
  AccountsCapability(const AccountServices& services, FileSystem& file_system,
                     const std::filesystem::path& server_folder);

  void RegisterHandlers(DispatchTable& table) override;
  // Removes what interrupted writes left in the account folders, checks the
  // head administrator account (asking the operator when it needs a password),
  // then goes on.
  void Start(std::function<void()> then) override;
  void SettingsApplied(const OptionsEffects& effects) override;

  const AccountStore& Store() const { return store_; }

  // Acts on the end of a head administrator dialog: logs what is still missing
  // or what failed, and makes the outcome's login the head admin login (saving
  // the settings) when the outcome says so.
  void TakeHeadAdminOutcome(const HeadAdminOutcome& outcome);

 private:
  void CheckHeadAdmin(std::function<void()> then);

  AccountServices services_;
  AccountStore store_;
};

}  // namespace vantrel
