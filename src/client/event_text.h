#pragma once

#include <optional>
#include <string>

#include "client/server_connection.h"
#include "client/user_list.h"

namespace vantrel::client {

// What a transaction the server sent on its own means to the person, as UTF-8
// lines to show: chat, private messages, server messages and broadcasts, users
// joining, renaming themselves and leaving, new message board posts, the server
// quitting. Keeps `users` current with the notifications 301 and 302. Nothing
// for what is not shown (privileges, the banner, a user's status changing).
std::optional<std::string> EventText(const Incoming& event, UserList& users);

}  // namespace vantrel::client
