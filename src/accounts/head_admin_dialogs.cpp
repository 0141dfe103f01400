#include "accounts/head_admin_dialogs.h"

#include <optional>
#include <utility>
#include <vector>

#include "accounts/head_admin_account.h"
#include "accounts/head_admin_texts.h"
#include "accounts/login_name.h"
#include "accounts/password_dialog.h"
#include "platform/exception.h"
#include "prefs/server_settings.h"
#include "server/operator.h"

namespace vantrel {
namespace {

namespace texts = head_admin_texts;

// The description of setting up an account without a login.
constexpr const char* kEmptyLoginText = "There is no login for the head Admin account.";
// Index of the button that goes ahead in every question (texts::kOk, kYes, kCreate).
constexpr size_t kGoAhead = 0;

HeadAdminOutcome Outcome(HeadAdminResult result, std::string login, bool makes_head_admin) {
  return HeadAdminOutcome{result, std::move(login), makes_head_admin, {}};
}

// SetUpAdminAccount, with its failure turned into a kFailed outcome.
void SetUpAndFinish(const AccountStore& store, const std::string& login,
                    std::optional<std::string_view> password, bool reset, HeadAdminResult success,
                    bool makes_head_admin, const HeadAdminDone& done) {
  HeadAdminOutcome outcome = Outcome(HeadAdminResult::kFailed, login, false);
  try {
    if (SetUpAdminAccount(store, login, password, reset)) {
      outcome = Outcome(success, login, makes_head_admin);
    } else {
      outcome.failure = kEmptyLoginText;
    }
  } catch (const Omberly::CException& failure) {
    outcome.failure = failure.Description() + "\r" + failure.IdentificationText();
  }
  done(outcome);
}

// Shows `text` titled `title`, asks a new password and sets the account up.
void AskPasswordAndSetUp(const AccountStore& store, std::string login, Operator& op,
                         const char* title, std::string text, bool reset, HeadAdminResult success,
                         bool makes_head_admin, HeadAdminDone done) {
  op.Notice(title, text);
  AskNewPassword(op, [store, login = std::move(login), reset, success, makes_head_admin,
                      done = std::move(done)](std::optional<std::string> password) {
    if (!password) return done(Outcome(HeadAdminResult::kCancelled, login, false));
    SetUpAndFinish(store, login, *password, reset, success, makes_head_admin, done);
  });
}

// A login typed for the head admin account, cut to the setting's limit.
std::string_view TypedLogin(std::string_view typed) {
  return typed.substr(0, kMaxHeadAdminLogin);
}

}  // namespace

void CheckHeadAdminAccount(const AccountStore& store, std::string_view login, Operator& op,
                           HeadAdminDone done) {
  AccountRecord record;
  try {
    record = store.Read(login);
  } catch (const Omberly::CException&) {
    return AskPasswordAndCreateHeadAdmin(store, login, op, std::move(done));
  }
  if (!record.scrambled_password.empty()) {
    return done(Outcome(HeadAdminResult::kNothingNeeded, std::string(login), false));
  }
  AskPasswordAndSetUp(store, std::string(login), op, texts::kSetPasswordTitle,
                      texts::FillLogin(texts::kNoPasswordText, login), /*reset=*/false,
                      HeadAdminResult::kUpdated, false, std::move(done));
}

void AskPasswordAndCreateHeadAdmin(const AccountStore& store, std::string_view login, Operator& op,
                                   HeadAdminDone done) {
  AskPasswordAndSetUp(store, std::string(login), op, texts::kSetPasswordTitle,
                      texts::FillLogin(texts::kMissingText, login), /*reset=*/true,
                      HeadAdminResult::kCreated, false, std::move(done));
}

void ResetAdminAccount(const AccountStore& store, std::string_view typed_login, Operator& op,
                       HeadAdminDone done) {
  std::string login = CleanTypedLogin(TypedLogin(typed_login), op);
  const HeadAdminResult success =
      store.Exists(login) ? HeadAdminResult::kUpdated : HeadAdminResult::kCreated;
  AskPasswordAndSetUp(store, std::move(login), op, texts::kResetTitle, texts::kResetText,
                      /*reset=*/true, success, true, std::move(done));
}

void SelectHeadAdminAccount(const AccountStore& store, std::string_view login, Operator& op,
                            HeadAdminDone done) {
  const std::optional<std::string> folder_login = store.FolderLogin(TypedLogin(login));
  if (!folder_login) return done(Outcome(HeadAdminResult::kNotFound, std::string(login), false));
  AccountRecord record;
  try {
    record = store.Read(*folder_login);
  } catch (const Omberly::CException& failure) {
    HeadAdminOutcome outcome = Outcome(HeadAdminResult::kFailed, *folder_login, false);
    outcome.failure = failure.Description() + "\r" + failure.IdentificationText();
    return done(outcome);
  }
  if (record.privileges.Covers(kFullAdministratorPrivileges)) {
    return done(Outcome(HeadAdminResult::kSelected, *folder_login, true));
  }
  op.Choose(texts::kUpdatePrivilegesTitle,
            texts::FillLogin(texts::kUpdatePrivilegesText, *folder_login),
            {texts::kOk, texts::kCancel},
            [store, login = *folder_login, done = std::move(done)](std::optional<size_t> choice) {
              if (choice != kGoAhead) {
                return done(Outcome(HeadAdminResult::kCancelled, login, false));
              }
              SetUpAndFinish(store, login, std::nullopt, /*reset=*/true, HeadAdminResult::kUpdated,
                             true, done);
            });
}

void CreateNewAdminAccount(const AccountStore& store, std::string_view typed_login, Operator& op,
                           HeadAdminDone done) {
  op.Notice(texts::kCreateTitle, texts::kCreateText);
  AskNewPassword(op, [store, typed = std::string(TypedLogin(typed_login)), &op,
                      done = std::move(done)](std::optional<std::string> password) {
    if (!password) return done(Outcome(HeadAdminResult::kCancelled, typed, false));
    const std::string login = CleanTypedLogin(typed, op);
    if (!store.Exists(login)) {
      return SetUpAndFinish(store, login, *password, /*reset=*/true, HeadAdminResult::kCreated,
                            true, done);
    }
    const std::string folder_login = store.FolderLogin(login).value_or(login);
    op.Choose(texts::kAlreadyExistsTitle, texts::FillLogin(texts::kAlreadyExistsText, login),
              {texts::kYes, texts::kNo}, [folder_login, done](std::optional<size_t> choice) {
                done(choice == kGoAhead
                         ? Outcome(HeadAdminResult::kSelected, folder_login, true)
                         : Outcome(HeadAdminResult::kCancelled, folder_login, false));
              });
  });
}

}  // namespace vantrel
