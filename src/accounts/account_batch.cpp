#include "accounts/account_batch.h"

#include <string>

#include "accounts/account_admin_texts.h"
#include "accounts/account_fields.h"
#include "accounts/account_files.h"
#include "accounts/login_name.h"
#include "platform/exception.h"
#include "protocol/field_data.h"
#include "protocol/field_ids.h"
#include "protocol/field_text.h"

namespace vantrel {
namespace {

// One item: the refusal that ends the batch, or null. Raises
// Omberly::CException when the item fails.
const char* ApplyItem(const AccountStore& store, const AccessPrivileges& actor,
                      const UFieldData& item, AccountChanges& changes) {
  const std::string previous = Scramble(FieldText(item, kFieldData, kMaxPreviousLogin));
  AccountRecord record = RecordFromFields(item);

  if (record.name.empty() && record.login.empty()) {
    if (previous.empty()) throw Omberly::CException(kErrorClassFile, kErrorCodeNotFound);
    if (!actor.Test(kPrivilegeDeleteAccounts)) return kDeleteAccountsRefusedText;
    const std::string login = LookupForm(previous);
    store.Delete(login);
    changes.Deleted(login);
    return nullptr;
  }

  if (!previous.empty() && KeepsPassword(item)) {
    record.scrambled_password = std::string(account_files::CutTo(
        store.Read(LookupForm(previous)).scrambled_password, kMaxKeptPassword));
  }
  if (!previous.empty() && LowerAsciiLetters(previous) != LowerAsciiLetters(record.login)) {
    if (!actor.Test(kPrivilegeModifyAccounts)) return kModifyAccountsRefusedText;
    store.Rename(previous, record);
    changes.Renamed(previous, LookupForm(record.login));
  }
  if (!store.Exists(record)) {
    if (!actor.Test(kPrivilegeCreateAccounts)) return kCreateAccountsRefusedText;
    if (!MayGrant(actor, record.privileges)) return kMoreAccessText;
    store.Create(record);
    changes.Created(record);
  } else if (previous.empty()) {
    changes.LoginTaken(LookupForm(record.login));
  } else {
    if (!actor.Test(kPrivilegeModifyAccounts)) return kModifyAccountsRefusedText;
    store.Write(record);
    changes.Modified(LookupForm(previous), record);
  }
  return nullptr;
}

}  // namespace

bool MayGrant(const AccessPrivileges& actor, const AccessPrivileges& privileges) {
  AccessPrivileges wanted = privileges;
  wanted.Clear(kPrivilegeNoAgreement);
  return actor.Covers(wanted);
}

BatchOutcome UpdateAccounts(const AccountStore& store, const AccessPrivileges& actor,
                            const UFieldData& request, AccountChanges& changes) {
  if (!actor.Test(kPrivilegeCreateAccounts) && !actor.Test(kPrivilegeDeleteAccounts) &&
      !actor.Test(kPrivilegeModifyAccounts)) {
    return {kModifyAccountsRefusedText, false};
  }
  BatchOutcome outcome;
  outcome.failed = request.Count() == 0;
  for (size_t position = 1; position <= request.Count(); ++position) {
    if (request.FieldIdAt(position) != kFieldData) {
      outcome.failed = true;
      continue;
    }
    try {
      outcome.refusal = ApplyItem(store, actor, UnpackItem(request.DataAt(position)), changes);
    } catch (const Omberly::CException&) {
      outcome.failed = true;
    }
    if (outcome.refusal != nullptr) break;
  }
  return outcome;
}

}  // namespace vantrel
