#pragma once

#include "accounts/account_store.h"
#include "accounts/login_handlers.h"
#include "server/dispatch_table.h"

namespace vantrel {

// Account administration over the protocol: 348 (list), 349 (update batch), 350
// (new), 351 (delete), 352 (get) and 353 (set). Every change is in the store
// before the reply, is logged (log window and "Account Log.txt"), and reaches
// the sessions logged in with the account: a changed account refreshes them, a
// deleted one disconnects them. Replies never carry a stored password.

// Registers the six handlers for logged-in clients. REQUIRES: `services` and
// `store` outlive `table`.
void RegisterAccountAdminHandlers(DispatchTable& table, const AccountServices& services,
                                  const AccountStore& store);

}  // namespace vantrel
