#include "accounts/account_admin_handlers.h"

#include <algorithm>
#include <string>

#include "accounts/account_admin_texts.h"
#include "accounts/account_batch.h"
#include "accounts/account_errors.h"
#include "accounts/account_fields.h"
#include "accounts/account_files.h"
#include "accounts/login_name.h"
#include "files/file_texts.h"
#include "logs/log_files.h"
#include "platform/exception.h"
#include "protocol/error_reply.h"
#include "protocol/field_ids.h"
#include "protocol/field_text.h"
#include "protocol/transaction_types.h"
#include "server/client_session.h"
#include "server/user_identity.h"

namespace vantrel {
namespace {

// A list reply holds at most this many fields.
constexpr size_t kMaxListedAccounts = 65535;

// Where the changes of one request go: the log window, the account log and the
// sessions of the account. A failure to write the account log is reported, not
// raised, so that the rest of a batch still runs.
class SessionAccountChanges final : public AccountChanges {
 public:
  SessionAccountChanges(const AccountServices& services, const ClientSession& acting)
      : services_(services), acting_(acting) {}

  void Created(const AccountRecord& record) override {
    Log(kAccountActionCreate, record.login, Quote(kCreateAccountLogText, record.login));
  }

  void Renamed(std::string_view old_login, std::string_view new_login) override {
    const std::string names = RenamedAccountText(old_login, new_login);
    Log(kAccountActionRename, names, kRenameAccountLogPrefix + names);
  }

  void Modified(std::string_view login, const AccountRecord& record) override {
    RefreshFromAccount(services_.clients, login,
                       {record.privileges, record.name, LookupForm(record.login)});
    Log(kAccountActionModify, record.login, Quote(kModifyAccountLogText, record.login));
  }

  void Deleted(std::string_view login) override {
    DisconnectUsersOfDeletedAccount(services_.clients, services_.log, services_.passes, login,
                                    acting_);
    Log(kAccountActionDelete, login, Quote(kDeleteAccountLogText, login));
  }

  void LoginTaken(std::string_view login) override {
    UFieldData message;
    message.AddInteger(kFieldChatOptions, 1);
    message.AddText(kFieldData, Quote(kLoginTakenText, login));
    acting_.connection->SendRequest(kTranServerMessage, message);
  }

 private:
  void Log(const char* action, std::string_view affected, const std::string& window_line) {
    services_.log.Line(acting_.LogWho(), window_line);
    const std::string address = AddressText(acting_.address);
    try {
      services_.log_files.Account({address, acting_.login, acting_.display_name}, action, affected);
    } catch (const Omberly::CException& failure) {
      services_.failures.ReportFailure(failure);
    }
  }

  const AccountServices& services_;
  const ClientSession& acting_;
};

// True (having refused) unless the session holds `bit`.
bool Refused(Request& request, unsigned bit, const char* text) {
  if (request.client.privileges.Test(bit)) return false;
  SendErrorReply(request.transaction, text);
  return true;
}

// The reply to a failure of the store about the account `login`: its not-found
// answer, or the failure's description after `prefix`.
void SendStoreFailure(Request& request, const Omberly::CException& failure, const char* prefix,
                      std::string_view login) {
  if (IsAccountNotFound(failure)) {
    SendErrorReply(request.transaction, Quote(kNoAccountText, login));
  } else {
    SendFailureReply(request.transaction, Quote(prefix, login), failure);
  }
}

// 350.
void NewAccount(const AccountServices& services, const AccountStore& store, Request& request) {
  if (Refused(request, kPrivilegeCreateAccounts, kCreateAccountsRefusedText)) return;
  const AccountRecord record = RecordFromFields(request.fields);
  if (!MayGrant(request.client.privileges, record.privileges)) {
    SendErrorReply(request.transaction, kMoreAccessText);
    return;
  }
  try {
    store.Create(record);
  } catch (const Omberly::CException& failure) {
    if (failure.ErrorClass() == kErrorClassFile && failure.Code() == kErrorCodeExists) {
      SendErrorReply(request.transaction, Quote(kLoginTakenText, record.login));
    } else {
      SendFailureReply(request.transaction, Quote(kCannotCreateAccountText, record.login), failure);
    }
    return;
  }
  request.transaction.SendReply(UFieldData());
  SessionAccountChanges(services, request.client).Created(record);
}

// 351. A login without a folder deletes nothing and still answers, disconnects
// and logs.
void DeleteAccount(const AccountServices& services, const AccountStore& store, Request& request) {
  if (Refused(request, kPrivilegeDeleteAccounts, kDeleteAccountsRefusedText)) return;
  const std::string login = LookupForm(LoginFromFields(request.fields, kMaxLookupLoginField));
  try {
    store.Delete(login);
  } catch (const Omberly::CException& failure) {
    SendStoreFailure(request, failure, kCannotDeleteAccountText, login);
    return;
  }
  request.transaction.SendReply(UFieldData());
  SessionAccountChanges(services, request.client).Deleted(login);
}

// 352: the login arrives plain and is answered complemented.
void GetAccount(const AccountStore& store, Request& request) {
  if (Refused(request, kPrivilegeReadAccounts, kGetAccountRefusedText)) return;
  const std::string login(FieldText(request.fields, kFieldUserLogin, kMaxLookupLoginField));
  AccountRecord record;
  try {
    record = store.Read(login);
  } catch (const Omberly::CException& failure) {
    SendStoreFailure(request, failure, kCannotReadAccountText, login);
    return;
  }
  request.transaction.SendReply(AccountFields(record, login));
}

// 353: no subset rule; the keep-password marker keeps the stored password.
void SetAccount(const AccountServices& services, const AccountStore& store, Request& request) {
  if (Refused(request, kPrivilegeModifyAccounts, kModifyAccountsRefusedText)) return;
  AccountRecord record = RecordFromFields(request.fields);
  const std::string login = LookupForm(record.login);
  if (KeepsPassword(request.fields)) {
    try {
      record.scrambled_password =
          std::string(account_files::CutTo(store.Read(login).scrambled_password, kMaxKeptPassword));
    } catch (const Omberly::CException& failure) {
      SendStoreFailure(request, failure, kCannotReadAccountText, login);
      return;
    }
  }
  try {
    store.Write(record);
  } catch (const Omberly::CException& failure) {
    SendStoreFailure(request, failure, kCannotModifyAccountText, record.login);
    return;
  }
  request.transaction.SendReply(UFieldData());
  SessionAccountChanges(services, request.client).Modified(login, record);
}

// 348: every account whose record can be read, in the order of the folder.
void ListAccounts(const AccountStore& store, Request& request) {
  if (Refused(request, kPrivilegeReadAccounts, kListAccountsRefusedText)) return;
  std::vector<std::string> logins;
  try {
    logins = store.List();
  } catch (const Omberly::CException&) {
    SendErrorReply(request.transaction, kCannotListAccountsText);
    return;
  }
  UFieldData reply;
  size_t listed = 0;
  for (const std::string& login : logins) {
    if (listed == kMaxListedAccounts) break;
    try {
      reply.AddField(kFieldData, AccountFields(store.Read(login), login).Buffer());
      ++listed;
    } catch (const Omberly::CException&) {
      // An account whose record cannot be read is left out.
    }
  }
  request.transaction.SendReply(reply);
}

// 349.
void UpdateAccountList(const AccountServices& services, const AccountStore& store,
                       Request& request) {
  SessionAccountChanges changes(services, request.client);
  const BatchOutcome outcome =
      UpdateAccounts(store, request.client.privileges, request.fields, changes);
  if (outcome.refusal != nullptr) {
    SendErrorReply(request.transaction, outcome.refusal);
  } else if (outcome.failed) {
    SendErrorReply(request.transaction, kBatchFailedText);
  } else {
    request.transaction.SendReply(UFieldData());
  }
}

}  // namespace

void RegisterAccountAdminHandlers(DispatchTable& table, const AccountServices& services,
                                  const AccountStore& store) {
  table.Register(kTranNewAccount,
                 [&services, &store](Request& request) { NewAccount(services, store, request); });
  table.Register(kTranDeleteAccount, [&services, &store](Request& request) {
    DeleteAccount(services, store, request);
  });
  table.Register(kTranGetAccount, [&store](Request& request) { GetAccount(store, request); });
  table.Register(kTranSetAccount,
                 [&services, &store](Request& request) { SetAccount(services, store, request); });
  table.Register(kTranListAccounts, [&store](Request& request) { ListAccounts(store, request); });
  table.Register(kTranUpdateAccounts, [&services, &store](Request& request) {
    UpdateAccountList(services, store, request);
  });
}

}  // namespace vantrel
