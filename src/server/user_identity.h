#pragma once

#include <string>
#include <string_view>

#include "logs/log_window.h"
#include "protocol/access_privileges.h"
#include "protocol/field_data.h"
#include "server/client_list.h"
#include "server/client_session.h"
#include "server/core_services.h"

namespace vantrel {

// How a session takes its identity from the client and from its account, and
// how account changes reach the sessions logged in with it. Each operation that
// changes what other users see announces it with 301 (ClientList::NotifyChange).
// Core thread only.

// What a session takes over from its account record.
struct AccountIdentity {
  AccessPrivileges privileges;
  std::string name;   // the account's name (display name without privilege 26)
  std::string login;  // the login the session is known by, in its lookup form
};

// The login with a nickname and an icon: takes the icon, the account's
// privileges, name and login (names cut to 31 bytes), the cleaned nickname and
// the display name, then sends 301.
void ApplyLoginIdentity(const ClientList& clients, ClientSession& client, std::string_view nickname,
                        int16_t icon, const AccountIdentity& account);

// Transaction 121 (with the account) and 304 (`account` null): the account's
// privileges when given; the nickname from field 102; the display name (with
// privilege 26 the new nickname, otherwise the account's name when given, else
// unchanged); the icon from field 104; the options from field 113 with the
// auto-response text from field 215 (or the default text, or empty when off);
// then 301.
void ApplyUserInfo(const ClientList& clients, ClientSession& client, const UFieldData& fields,
                   const AccountIdentity* account);

// After the account logged in as `login` (compared byte for byte) was changed:
// each such logged-in client whose privileges differ takes them and is sent
// 354 with them; takes the account's name and login; recomputes its display
// name; and when its privileges or display name changed, 301 goes out.
void RefreshFromAccount(const ClientList& clients, std::string_view login,
                        const AccountIdentity& account);

// After the account logged in as `login` was deleted: each such logged-in
// client is sent 104 "You are logged in with an account which was deleted.",
// closed gracefully once that has gone out, and "Disconnect “name”" is logged
// for `acting` (who may be one of them). A pass is requested to remove them.
void DisconnectUsersOfDeletedAccount(const ClientList& clients, LogWindow& log,
                                     PassRequester& passes, std::string_view login,
                                     const ClientSession& acting);

}  // namespace vantrel
