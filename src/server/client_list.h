#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "protocol/field_data.h"
#include "server/client_session.h"

namespace vantrel {

// The connected clients in connection order, and the operations that tell them
// about each other. Owned by the application; clients are added and removed only
// by the processing pass. Core thread only.
class ClientList {
 public:
  using Clients = std::vector<std::unique_ptr<ClientSession>>;

  const Clients& All() const { return clients_; }
  size_t Size() const { return clients_.size(); }
  bool Empty() const { return clients_.empty(); }

  // The first client in list order with this user ID, logged in or not; null when none.
  ClientSession* Find(uint16_t user_id) const;
  // How many clients connect from `address`.
  size_t CountFrom(uint32_t address) const;

  // Sends a request of `type` to every client that is logged in and whose
  // handshake is done, in list order. The field list is encoded once.
  void SendToAll(uint16_t type, const UFieldData& fields) const;
  // Sets or clears the away flag; a change is announced with 301.
  void SetAway(ClientSession& client, bool away) const;
  // Announces the client's user ID, icon, status flags and display name (301).
  void NotifyChange(const ClientSession& client) const;

  // Appends a new client. Used by the processing pass.
  ClientSession& Add(std::unique_ptr<ClientSession> client);
  // Unlinks and frees the client at `index` and tells everyone it left (302),
  // whether it had logged in or not. Used by the processing pass.
  void Remove(size_t index);
  // Frees every client without telling anyone (the server reset).
  void DropAll() { clients_.clear(); }

 private:
  Clients clients_;
};

}  // namespace vantrel
