#pragma once

#include <string>
#include <string_view>

#include "accounts/account_store.h"
#include "bans/permanent_ban_list.h"
#include "bans/temporary_ban_list.h"
#include "logs/log_files.h"
#include "logs/log_window.h"
#include "news/server_texts.h"
#include "server/client_list.h"
#include "server/core_services.h"
#include "server/dispatch_table.h"
#include "server/operator.h"

namespace vantrel {

// Logging in: 107 (Login) names an account by login and password ("guest" for
// an empty login), and 121 (Agreed) completes the user's identity once the
// agreement was shown. Both are the only transactions a client may send before
// it has logged in; 121 is also accepted afterwards and runs again.

// The version this server tells clients in the login reply.
inline constexpr uint32_t kServerVersion = 190;
// Clients from this version on are sent the banner after 121.
inline constexpr uint32_t kFirstBannerClientVersion = 151;

// The login an account is looked up by: "guest" for an empty login, otherwise
// the plain login with ASCII capitals in lower case and every carriage return
// turned into a hyphen.
std::string LookupLogin(std::string_view plain_login);

// What the accounts capability uses of the server core and of the other
// capabilities. Everything referred to must outlive the capability.
struct AccountServices {
  ClientList& clients;
  LogWindow& log;
  LogFiles& log_files;
  SettingsStore& settings;
  Operator& op;
  FailureReporter& failures;
  PassRequester& passes;
  const PermanentBanList& permanent_bans;
  TemporaryBanList& temporary_bans;
  const ServerTexts& texts;  // the agreement and the banner
};

// Registers 107 and 121 for clients that have not logged in, and 121 for
// logged-in clients. REQUIRES: `services` and `store` outlive `table`.
void RegisterLoginHandlers(DispatchTable& table, const AccountServices& services,
                           const AccountStore& store);

}  // namespace vantrel
