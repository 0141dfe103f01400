// The head administrator account as the server keeps it: checked at start-up and
// whenever its login changes, and taken over from the operator's dialogs.
#include "accounts/account_files.h"
#include "logs/log_window.h"
#include "platform/exception.h"
#include "server/application.h"

namespace vantrel {

AccountStore CMyApplication::Accounts() const {
  return AccountStore(file_system_, account_files::UsersFolderIn(folder_));
}

void CMyApplication::CheckHeadAdmin(std::function<void()> then) {
  CheckHeadAdminAccount(Accounts(), settings_.head_admin_login, *operator_,
                        [this, then = std::move(then)](const HeadAdminOutcome& outcome) {
                          if (outcome.result == HeadAdminResult::kCancelled) {
                            // Without an operator to answer, start-up goes on regardless.
                            log_.Line("", "The head administrator account " +
                                              CurlyQuoted(settings_.head_admin_login) +
                                              " still needs a password");
                          }
                          TakeHeadAdminOutcome(outcome);
                          then();
                        });
}

void CMyApplication::TakeHeadAdminOutcome(const HeadAdminOutcome& outcome) {
  if (outcome.result == HeadAdminResult::kFailed) log_.Line("", outcome.failure);
  if (!outcome.makes_head_admin || outcome.login == settings_.head_admin_login) return;
  settings_.head_admin_login = outcome.login;
  try {
    SaveSettings();
  } catch (const Omberly::CException& failure) {
    ReportFailure(failure);
  }
  CheckHeadAdmin([] {});
}

}  // namespace vantrel
