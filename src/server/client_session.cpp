#include "server/client_session.h"

#include "logs/log_window.h"
#include "platform/byte_order.h"

namespace vantrel {
namespace {

// User ID, icon, status flags and name length in front of the name.
constexpr size_t kUserEntryHeadBytes = 8;

}  // namespace

std::string ClientSession::LogWho() const {
  return SessionWhoText(display_name, address);
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

std::vector<uint8_t> ClientSession::UserEntry() const {
  std::vector<uint8_t> entry;
  entry.reserve(kUserEntryHeadBytes + display_name.size());
  entry.resize(kUserEntryHeadBytes);
  Put16(&entry[0], user_id);
  Put16(&entry[2], static_cast<uint16_t>(icon));
  Put16(&entry[4], StatusFlags());
  Put16(&entry[6], static_cast<uint16_t>(display_name.size()));
  entry.insert(entry.end(), display_name.begin(), display_name.end());
  return entry;
}

}  // namespace vantrel
