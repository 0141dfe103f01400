#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "client/server_connection.h"

namespace vantrel::client {

// The version the client reports at login (field 160).
inline constexpr uint32_t kClientVersion = 190;

// Who logs in. Texts are Mac Roman, as they travel.
struct Identity {
  std::string login;     // empty: the account "guest"
  std::string password;  // plain; empty: none
  std::string nickname;
  int16_t icon = 0;
};

// Answers the server's agreement (UTF-8 text): true agrees.
using AgreementAnswer = std::function<bool(std::string_view agreement)>;

struct LoginResult {
  bool ok = false;
  std::string error;        // UTF-8: the server's refusal or what went wrong
  std::string server_name;  // UTF-8
};

// Logs in (transaction 107, the login and password complemented byte by byte),
// answers the agreement the server then shows (109) with `agree` when it has a
// text, and gives the nickname and icon as the agreement's answer (121), after
// which the other users see the client join.
LoginResult LogIn(ServerConnection& server, const Identity& identity, const AgreementAnswer& agree);

}  // namespace vantrel::client
