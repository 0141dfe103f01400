// The accounts capability: its handlers, and the head administrator account as
// the server keeps it, checked at start-up and whenever its login changes and
// taken over from the operator's dialogs.
#include "accounts/accounts_capability.h"
#include "accounts/account_admin_handlers.h"
#include "accounts/account_files.h"
#include "logs/log_window.h"
#include "platform/exception.h"

namespace vantrel {

AccountsCapability::AccountsCapability(const AccountServices& services, FileSystem& file_system,
                                       const std::filesystem::path& server_folder)
    : services_(services), store_(file_system, account_files::UsersFolderIn(server_folder)) {}

void AccountsCapability::RegisterHandlers(DispatchTable& table) {
  RegisterLoginHandlers(table, services_, store_);
  RegisterAccountAdminHandlers(table, services_, store_);
}

void AccountsCapability::Start(std::function<void()> then) {
  store_.RemoveLeftovers();
  CheckHeadAdmin(std::move(then));
}

void AccountsCapability::SettingsApplied(const OptionsEffects& effects) {
  if (effects.head_admin_changed) CheckHeadAdmin([] {});
}

void AccountsCapability::CheckHeadAdmin(std::function<void()> then) {
  const std::string login = services_.settings.Settings().head_admin_login;
  CheckHeadAdminAccount(
      store_, login, services_.op, [this, then = std::move(then)](const HeadAdminOutcome& outcome) {
        if (outcome.result == HeadAdminResult::kCancelled) {
          // Without an operator to answer, start-up goes on regardless.
          services_.log.Line("", "The head administrator account " +
                                     CurlyQuoted(services_.settings.Settings().head_admin_login) +
                                     " still needs a password");
        }
        TakeHeadAdminOutcome(outcome);
        then();
      });
}

void AccountsCapability::TakeHeadAdminOutcome(const HeadAdminOutcome& outcome) {
  if (outcome.result == HeadAdminResult::kFailed) services_.log.Line("", outcome.failure);
  ServerSettings& settings = services_.settings.Settings();
  if (!outcome.makes_head_admin || outcome.login == settings.head_admin_login) return;
  settings.head_admin_login = outcome.login;
  try {
    services_.settings.SaveSettings();
  } catch (const Omberly::CException& failure) {
    services_.failures.ReportFailure(failure);
  }
  CheckHeadAdmin([] {});
}

}  // namespace vantrel
