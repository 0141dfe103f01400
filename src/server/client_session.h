#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "accounts/access_privileges.h"
#include "protocol/transaction_session.h"

namespace vantrel {

// One connected client: its connection, the identity other users see, the
// privileges of the account it logged in with, its options and the counters of
// the flood rules. Created by the processing pass when a connection's handshake
// is through; owned by the application's client list, in connection order, and
// removed only by the pass. Core thread only.
struct ClientSession {
  ClientSession(std::unique_ptr<TransactionSession> session, uint32_t peer_address, uint16_t id,
                uint32_t now)
      : connection(std::move(session)),
        address(peer_address),
        user_id(id),
        last_activity_time(now),
        connect_time(now) {}

  // Who the log window names for this client: its display name, else its address.
  std::string LogWho() const;

  // The status flags other users see: away 1, may disconnect users 2, refuses
  // private messages 4, refuses private chat 8, full administrator 16, no
  // privileges at all 32.
  uint16_t StatusFlags() const;

  std::unique_ptr<TransactionSession> connection;
  AccessPrivileges privileges;
  uint32_t address;  // IPv4, most significant byte first
  uint16_t user_id;
  int16_t icon = 0;
  std::string nickname;      // Mac Roman, at most 31 bytes
  std::string display_name;  // at most 31 bytes
  std::string account_name;  // at most 31 bytes
  std::string login;         // at most 31 bytes

  uint32_t failed_login_time = 0;  // 0 = no refused login
  uint32_t last_activity_time;
  uint32_t connect_time;

  // Request flood rule.
  uint32_t flood_window_start = 0;
  uint16_t flood_count = 0;

  bool refuses_private_messages = false;
  bool refuses_private_chat = false;
  bool logged_in = false;
  bool away = false;
};

}  // namespace vantrel
