#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "protocol/access_privileges.h"
#include "protocol/transaction_session.h"
#include "server/window_counter.h"

namespace vantrel {

// One connected client: its connection, the identity other users see, the
// privileges of the account it logged in with, its options and the counters of
// the flood rules. Created by the processing pass when a connection's handshake
// is through; owned by the application's client list, in connection order, and
// removed only by the pass. Every field not given to the constructor starts at
// zero (empty). Core thread only.
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

  // The status flags other users see, computed from the current state: away 1,
  // may disconnect users 2, refuses private messages 4, refuses private chat 8,
  // full administrator 16, no privileges at all 32.
  uint16_t StatusFlags() const;

  // The data of this client's field 300 (user entry): user ID, icon, status
  // flags and the display name's length, each 2 bytes big-endian, then the
  // display name.
  std::vector<uint8_t> UserEntry() const;

  std::unique_ptr<TransactionSession> connection;
  AccessPrivileges privileges;
  uint32_t address;  // IPv4, most significant byte first
  uint16_t user_id;  // never 0; see ClientList::NextUserId
  int16_t icon = 0;
  std::string nickname;      // Mac Roman, at most 31 bytes, cleaned (user_names.h)
  std::string display_name;  // at most 31 bytes; what other users see
  std::string account_name;  // at most 31 bytes
  std::string login;         // at most 31 bytes, the lookup form

  uint32_t failed_login_time = 0;  // 0 = no refused login
  uint32_t last_activity_time;
  uint32_t connect_time;

  // The flood rules' windows: requests of any kind, set-user-info (304), chat
  // bytes charged (105), and private messages, broadcasts and invitations.
  WindowCounter request_window;
  WindowCounter user_info_window;
  WindowCounter chat_bytes_window;
  WindowCounter message_window;
  // The repeated-text rule.
  uint32_t last_message_checksum = 0;
  uint16_t repeat_count = 0;

  // Options (field 113).
  bool refuses_private_messages = false;
  bool refuses_private_chat = false;
  bool auto_response_on = false;
  std::string auto_response_text;  // at most 127 bytes; empty while the auto-response is off

  uint32_t client_version = 0;  // field 160 of the login
  bool logged_in = false;       // only logged-in clients are listed and notified
  bool away = false;
};

}  // namespace vantrel
