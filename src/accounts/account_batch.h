#pragma once

#include <string_view>

#include "accounts/account_record.h"
#include "accounts/account_store.h"
#include "protocol/access_privileges.h"
#include "protocol/field_data.h"

namespace vantrel {

// How the rest of the server learns of each account change made over the
// protocol, once the store holds it. Logins given here are in their lookup form
// (LookupForm) unless said otherwise.
class AccountChanges {
 public:
  virtual ~AccountChanges() = default;
  // `record` was created under its login as given.
  virtual void Created(const AccountRecord& record) = 0;
  // The folder of `old_login` (as given) now holds the account `new_login`.
  virtual void Renamed(std::string_view old_login, std::string_view new_login) = 0;
  // `record` was written over the account the sessions know as `login`.
  virtual void Modified(std::string_view login, const AccountRecord& record) = 0;
  // The account `login` is gone.
  virtual void Deleted(std::string_view login) = 0;
  // A new account was asked for under `login`, which another account has.
  virtual void LoginTaken(std::string_view login) = 0;
};

// True when a session holding `actor` may create an account with `privileges`:
// every bit of them but bit 27 is one the session holds.
bool MayGrant(const AccessPrivileges& actor, const AccessPrivileges& privileges);

// How an update batch ended.
struct BatchOutcome {
  // The refusal that ended the batch (items before it stay applied), or null.
  const char* refusal = nullptr;
  // The request was empty or an item failed: "Error saving list of accounts."
  bool failed = false;
};

// Transaction 349: applies `request`'s items, each a field list packed in a
// field 101, in order, for a session holding `actor`. An item with neither name
// nor login deletes the account of its previous login (packed field 101); any
// other renames the previous login's account to the new login when they differ
// (letter case aside), then creates the account when the login is free, tells
// `changes` that it is taken when the item names no previous login, or else
// writes the record over it. Each step needs its privilege: deleting 15,
// renaming and modifying 17, creating 14 and privileges the actor may grant;
// without it the batch ends with that refusal. A store failure fails its item
// alone. Never changes what the actor may not change.
BatchOutcome UpdateAccounts(const AccountStore& store, const AccessPrivileges& actor,
                            const UFieldData& request, AccountChanges& changes);

}  // namespace vantrel
