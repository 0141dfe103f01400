#include "client/user_list.h"

#include <algorithm>

#include "client/byte_reader.h"
#include "client/text_capacity.h"
#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"

namespace vantrel::client {
std::optional<User> ParseUserEntry(std::span<const uint8_t> data) {
  ByteReader reader(data);
  User user;
  user.id = reader.Take16();
  user.icon = static_cast<int16_t>(reader.Take16());
  user.flags = reader.Take16();
  user.name = reader.TakeText(reader.Take16());
  if (!reader.Ok()) return std::nullopt;
  return user;
}

void UserList::Load(const UFieldData& reply) {
  users_.clear();
  for (size_t position = 1; position <= reply.Count(); ++position) {
    if (reply.FieldIdAt(position) != kFieldUserEntry) continue;
    if (auto user = ParseUserEntry(reply.DataAt(position))) users_.push_back(std::move(*user));
  }
}

std::optional<UserChange> UserList::Apply(uint16_t type, const UFieldData& fields) {
  const auto id = static_cast<uint16_t>(fields.ReadInteger(kFieldUserId));
  auto found =
      std::find_if(users_.begin(), users_.end(), [id](const User& u) { return u.id == id; });
  UserChange change;
  if (type == kTranUserLeft) {
    if (found == users_.end()) return std::nullopt;
    change.kind = UserChange::Kind::kLeft;
    change.user = *found;
    users_.erase(found);
    return change;
  }
  User user;
  user.id = id;
  user.icon = static_cast<int16_t>(fields.ReadInteger(kFieldIcon));
  user.flags = static_cast<uint16_t>(fields.ReadInteger(kFieldStatusFlags));
  user.name = fields.ReadText(kFieldNickname, kNameCapacity);
  change.user = user;
  if (found == users_.end()) {
    change.kind = UserChange::Kind::kJoined;
    users_.push_back(user);
  } else {
    change.kind =
        found->name == user.name ? UserChange::Kind::kChanged : UserChange::Kind::kRenamed;
    change.old_name = found->name;
    *found = user;
  }
  return change;
}

const User* UserList::Find(std::string_view name) const {
  const auto found =
      std::find_if(users_.begin(), users_.end(), [name](const User& u) { return u.name == name; });
  return found == users_.end() ? nullptr : &*found;
}

const User* UserList::Find(uint16_t id) const {
  const auto found =
      std::find_if(users_.begin(), users_.end(), [id](const User& u) { return u.id == id; });
  return found == users_.end() ? nullptr : &*found;
}

}  // namespace vantrel::client
