#include "server/client_list.h"

#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"

namespace vantrel {

ClientSession* ClientList::Find(uint16_t user_id) const {
  for (const auto& client : clients_) {
    if (client->user_id == user_id) return client.get();
  }
  return nullptr;
}

size_t ClientList::CountFrom(uint32_t address) const {
  size_t count = 0;
  for (const auto& client : clients_) {
    if (client->address == address) ++count;
  }
  return count;
}

uint16_t ClientList::NextUserId() {
  if (++last_user_id_ == 0) ++last_user_id_;
  return last_user_id_;
}

void ClientList::SendToAll(uint16_t type, const UFieldData& fields) const {
  const auto body = fields.Buffer();
  for (const auto& client : clients_) {
    if (client->logged_in && client->connection->HandshakeDone()) {
      client->connection->SendRequest(type, body);
    }
  }
}

void ClientList::SetAway(ClientSession& client, bool away) const {
  if (client.away == away) return;
  client.away = away;
  NotifyChange(client);
}

void ClientList::NotifyChange(const ClientSession& client) const {
  UFieldData fields;
  fields.AddInteger(kFieldUserId, client.user_id);
  // Widened with its sign: a negative icon needs all 4 bytes.
  fields.AddInteger(kFieldIcon, static_cast<uint32_t>(int32_t{client.icon}));
  fields.AddInteger(kFieldStatusFlags, client.StatusFlags());
  fields.AddText(kFieldNickname, client.display_name);
  SendToAll(kTranUserChanged, fields);
}

ClientSession& ClientList::Add(std::unique_ptr<ClientSession> client) {
  clients_.push_back(std::move(client));
  return *clients_.back();
}

void ClientList::Remove(size_t index) {
  std::unique_ptr<ClientSession> leaving = std::move(clients_[index]);
  clients_.erase(clients_.begin() + static_cast<std::ptrdiff_t>(index));
  for (const auto& observer : leave_observers_) observer(*leaving);
  const uint16_t user_id = leaving->user_id;
  leaving.reset();

  UFieldData fields;
  fields.AddInteger(kFieldUserId, user_id);
  SendToAll(kTranUserLeft, fields);
}

void ClientList::AddLeaveObserver(LeaveObserver observer) {
  leave_observers_.push_back(std::move(observer));
}

ClientTransfers ClientList::TransfersOf(const ClientSession& client) const {
  return transfer_lister_ ? transfer_lister_(client) : ClientTransfers{};
}

}  // namespace vantrel
