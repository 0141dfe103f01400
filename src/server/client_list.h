#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "protocol/field_data.h"
#include "server/client_session.h"
#include "server/client_transfers.h"

namespace vantrel {

// The connected clients in connection order, the user ID counter, and the
// operations that tell clients about each other. Owned by the application;
// clients are added and removed only by the processing pass. Core thread only.
class ClientList {
 public:
  using Clients = std::vector<std::unique_ptr<ClientSession>>;
  // Told about a client that is leaving, after it was unlinked from the list and
  // before it is freed and 302 goes out (private chats drop it here).
  using LeaveObserver = std::function<void(ClientSession& leaving)>;
  // Describes one client's transfers for its client information.
  using TransferLister = std::function<ClientTransfers(const ClientSession& client)>;

  const Clients& All() const { return clients_; }
  size_t Size() const { return clients_.size(); }
  bool Empty() const { return clients_.empty(); }

  // The first client in list order with this user ID, logged in or not; null when none.
  ClientSession* Find(uint16_t user_id) const;
  // How many clients connect from `address`.
  size_t CountFrom(uint32_t address) const;

  // The user ID for a new client: one more than the last one given, skipping 0,
  // so IDs run 1..65535 and start over. Not checked against connected clients.
  uint16_t NextUserId();
  // Makes `last` the last ID given (tests reach the wrap this way).
  void SetLastUserId(uint16_t last) { last_user_id_ = last; }

  // Sends a request of `type` to every client that is logged in and whose
  // handshake is done, in list order. The field list is encoded once.
  void SendToAll(uint16_t type, const UFieldData& fields) const;
  // Sets or clears the away flag; a change is announced with 301.
  void SetAway(ClientSession& client, bool away) const;
  // Announces the client's user ID, icon (a negative one as 4 bytes), status
  // flags and display name (none when empty) to everyone with 301.
  void NotifyChange(const ClientSession& client) const;

  // Appends a new client. Used by the processing pass.
  ClientSession& Add(std::unique_ptr<ClientSession> client);
  // Unlinks the client at `index`, tells the leave observers, frees it and tells
  // everyone it left (302), whether it had logged in or not. Used by the pass.
  void Remove(size_t index);
  // Frees every client without telling anyone (the server reset).
  void DropAll() { clients_.clear(); }

  // REQUIRES: whatever `observer` refers to outlives the list.
  void AddLeaveObserver(LeaveObserver observer);
  // Until a lister is set, every client has no transfers.
  void SetTransferLister(TransferLister lister) { transfer_lister_ = std::move(lister); }
  ClientTransfers TransfersOf(const ClientSession& client) const;

 private:
  Clients clients_;
  uint16_t last_user_id_ = 0;
  std::vector<LeaveObserver> leave_observers_;
  TransferLister transfer_lister_;
};

}  // namespace vantrel
