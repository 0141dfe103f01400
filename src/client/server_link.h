#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel::client {

// The port clients connect to unless a link names another; transfers go to the next one.
inline constexpr uint16_t kDefaultServerPort = 5500;

// Where and as whom the client connects, as a "vantrel://" link names it: the
// form the operator's connect-admin prints.
struct ServerLink {
  std::string host = "localhost";
  uint16_t port = kDefaultServerPort;
  std::string login;                    // empty: log in as guest
  std::optional<std::string> password;  // none: ask for it when a login is given
};

// Reads "vantrel://[LOGIN[:PASSWORD]@]HOST[:PORT]" (UTF-8, as typed; the
// scheme may be left out). The login ends at the first ":" of what comes before
// the last "@", so a password may hold ":" and "@". Nothing when the host is
// empty or the port is not a number from 1 to 65535. Pure.
std::optional<ServerLink> ParseServerLink(std::string_view text);

}  // namespace vantrel::client
