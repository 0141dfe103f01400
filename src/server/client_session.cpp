#include "server/client_session.h"

#include "logs/log_window.h"

namespace vantrel {

std::string ClientSession::LogWho() const {
  return display_name.empty() ? AddressText(address) : display_name;
}

uint16_t ClientSession::StatusFlags() const {
  uint16_t flags = 0;
  if (away) flags |= 1;
  if (privileges.Test(kPrivilegeDisconnectUsers)) flags |= 2;
  if (refuses_private_messages) flags |= 4;
  if (refuses_private_chat) flags |= 8;
  if (privileges.Covers(kFullAdministratorPrivileges)) flags |= 16;
  if (privileges.IsEmpty()) flags |= 32;
  return flags;
}

}  // namespace vantrel
