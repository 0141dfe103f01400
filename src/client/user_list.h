#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/field_data.h"

namespace vantrel::client {

// Status flags of a user (field 112, and in user list entries).
inline constexpr uint16_t kStatusAway = 1;
inline constexpr uint16_t kStatusAdministrator = 16;

// One user as the client knows it: names stay Mac Roman, as on the wire.
struct User {
  uint16_t id = 0;
  int16_t icon = 0;
  uint16_t flags = 0;
  std::string name;
};

// A user list entry (field 300): the user ID, icon, status flags, the name's
// length and the name. Nothing when the bytes do not fit that. Pure.
std::optional<User> ParseUserEntry(std::span<const uint8_t> data);

// What a notification changed in the list.
struct UserChange {
  enum class Kind { kJoined, kRenamed, kChanged, kLeft };
  Kind kind = Kind::kChanged;
  User user;
  std::string old_name;  // kRenamed: the name before
};

// The logged-in users as the client has last heard of them: filled from the
// user list (transaction 300's reply) and kept current by the notifications
// 301 (User changed) and 302 (User left).
class UserList {
 public:
  // Replaces the list with the entries of a reply to 300.
  void Load(const UFieldData& reply);
  // Applies a 301 or 302; nothing for a 302 of a user never listed (one that
  // left before logging in).
  std::optional<UserChange> Apply(uint16_t type, const UFieldData& fields);

  const std::vector<User>& All() const { return users_; }
  // The user named `name` (Mac Roman); the first when several share it.
  const User* Find(std::string_view name) const;
  const User* Find(uint16_t id) const;

 private:
  std::vector<User> users_;  // in the server's order, newcomers last
};

}  // namespace vantrel::client
