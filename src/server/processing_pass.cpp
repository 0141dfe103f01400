// The processing pass: accepts connections, checks handshakes, admits clients
// under the per-address limit and the connection-flood rule, takes every
// complete request of every client and dispatches it, and applies the time rules.
#include <cstdio>
#include <string>

#include "protocol/field_ids.h"
#include "server/core_handlers.h"
#include "server/server_core.h"
#include "server/server_limits.h"

namespace vantrel {
namespace {

std::string IncompatibleVersionText(const std::array<uint8_t, 4>& magic, uint16_t sub_version) {
  char text[64];
  std::snprintf(text, sizeof text, "Incompatible version (%.4s%hu)",
                reinterpret_cast<const char*>(magic.data()), sub_version);
  return text;
}

}  // namespace

void ServerCore::RunPass() {
  const uint32_t now = clock_.Seconds();
  idle_memory_.Busy();
  try {
    AcceptConnections();
    ServePendingConnections(now);
    ServeClients(now);
    if (shutting_down_ && clients_.Empty()) {
      shutting_down_ = false;
      Quit();
      return;
    }
    RunTransferPasses(now);
  } catch (const std::exception& failure) {
    ReportFailure(failure);
  }
}

void ServerCore::AcceptConnections() {
  // Plain connections first, then those that came through a tunnel.
  const auto take = [](auto& plain, auto& tunnelled) -> std::unique_ptr<Transport> {
    std::unique_ptr<Transport> transport = plain ? plain->TakeAccepted() : nullptr;
    if (!transport && tunnelled) transport = tunnelled->TakeAccepted();
    return transport;
  };
  while (auto transport = take(transfer_listener_, tunnel_transfer_listener_)) {
    if (shutting_down_) continue;  // disposed at once
    const uint32_t address = transport->PeerAddress();
    HandOverTransferConnection(std::move(transport), address);
  }
  while (auto transport = take(listener_, tunnel_listener_)) {
    if (shutting_down_) continue;  // disposed at once
    const uint32_t address = transport->PeerAddress();
    if (pending_.size() >= kMaxPendingConnections) {
      // The oldest connection still without a handshake makes room.
      pending_.erase(pending_.begin());
      ++counters_.pending_dropped;
    }
    Notify(*transport);
    pending_.push_back({std::make_unique<TransactionSession>(std::move(transport)), address});
  }
}

void ServerCore::ServePendingConnections(uint32_t now) {
  for (size_t i = 0; i < pending_.size();) {
    if (ServePending(pending_[i], now)) {
      ++i;
    } else {
      pending_.erase(pending_.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }
}

bool ServerCore::ServePending(PendingConnection& pending, uint32_t now) {
  TransactionSession& session = *pending.session;
  if (!session.IsConnected()) return false;
  if (session.IsClosePending()) return true;

  switch (session.CheckHandshake()) {
    case HandshakeResult::kNotYet:
      return true;
    case HandshakeResult::kNotProtocol:
    case HandshakeResult::kBadVersion:
      log_.Line(AddressText(pending.address), "Killed unknown protocol!");
      ++counters_.refused_handshakes;
      return false;
    case HandshakeResult::kValid:
      break;
  }

  const bool vantrel = session.SubProtocol() == kVantrelMagic;
  if (vantrel && session.SubVersion() == kSubVersionClient) {
    session.AcceptHandshake();
    return AdmitClient(pending, now);
  }
  if (vantrel && session.SubVersion() == kSubVersionTransfer) {
    session.AcceptHandshake();
    HandOverTransferConnection(session.DetachTransport(), pending.address);
    return false;
  }
  ++counters_.refused_handshakes;
  session.RefuseHandshake(kHandshakeRefused);
  session.CloseGracefully();
  log_.Line(AddressText(pending.address),
            IncompatibleVersionText(session.SubProtocol(), session.SubVersion()));
  return true;  // dropped once the transport reports the connection closed
}

bool ServerCore::AdmitClient(PendingConnection& pending, uint32_t now) {
  const uint32_t address = pending.address;
  if (settings_.max_connections_per_address != 0) {
    if (clients_.CountFrom(address) >= settings_.max_connections_per_address) {
      ++counters_.refused_per_address;
      return false;
    }
  }

  if (address == flood_address_) {
    ++flood_run_count_;
    if (flood_run_count_ > kConnectionFloodRunLimit &&
        now - flood_run_start_ < kConnectionFloodWindowSeconds) {
      temporary_bans_.Add(address, now);
      log_.Line(AddressText(address), AutoBanLogText(AutoBanRule::kConnectionFlood));
      counters_.CountAutoBan(AutoBanRule::kConnectionFlood);
      return false;
    }
  } else {
    flood_address_ = address;
    flood_run_start_ = now;
    flood_run_count_ = 0;
  }

  const ClientSession& client = clients_.Add(std::make_unique<ClientSession>(
      std::move(pending.session), address, clients_.NextUserId(), now));
  ++stats_.current_connections;
  ++stats_.connection_counter;
  log_.Line(client.LogWho(), "Connection established");
  stats_.Refresh();
  error_count_ = 0;
  reset_count_ = 0;
  return false;  // the session now belongs to the client
}

void ServerCore::ServeClients(uint32_t now) {
  for (size_t i = 0; i < clients_.Size();) {
    ClientSession& client = *clients_.All()[i];
    if (!client.connection->IsConnected()) {
      // Told here rather than when the transport reports it, which may come
      // after the client is gone.
      if (client.connection->DroppedForNotReading()) {
        log_.Line(client.LogWho(), "Disconnected: the client stopped reading");
        ++counters_.send_queue_drops;
      }
      log_.Line(client.LogWho(), "Connection closed");
      RemoveClient(i);
      continue;
    }
    ++i;
    if (client.connection->IsClosePending()) continue;
    if (client.failed_login_time != 0) {
      if (Exceeds(now, client.failed_login_time, kFailedLoginTimeoutSeconds)) {
        client.connection->Disconnect();
      }
      continue;
    }
    ServeRequests(client, now);
  }
}

void ServerCore::ServeRequests(ClientSession& client, uint32_t now) {
  while (auto transaction = client.connection->NextRequest()) {
    if (client.request_window.CountAt(now, kRequestFloodWindowSeconds) > kRequestFloodLimit) {
      AutoBan(client, now, AutoBanRule::kRequestFlood);
      return;
    }
    client.request_window.Add();
    clients_.SetAway(client, false);
    client.last_activity_time = now;

    // Before the login, only what may be sent before it is served.
    if (!client.logged_in && handlers_.Find(transaction->Type(), false) == nullptr) {
      client.connection->Disconnect();
      return;
    }
    Dispatch(client, *transaction, now);
    if (!client.connection->IsConnected()) return;
  }

  if (!client.logged_in && Exceeds(now, client.last_activity_time, kLoginTimeoutSeconds)) {
    client.connection->Disconnect();
  } else if (Exceeds(now, client.last_activity_time, kAwaySeconds)) {
    clients_.SetAway(client, true);
  }
}

void ServerCore::Dispatch(ClientSession& client, TransactionHandle& transaction, uint32_t now) {
  transaction.FieldsOf(pass_fields_);
  Request request{client, transaction, pass_fields_, now};
  if (const Handler* handler = handlers_.Find(transaction.Type(), client.logged_in)) {
    (*handler)(request);
  } else {
    AnswerUnknownType(request, log_);
  }
}

void ServerCore::RemoveClient(size_t index) {
  clients_.Remove(index);
  --stats_.current_connections;
  stats_.Refresh();
}

void ServerCore::HandOverTransferConnection(std::unique_ptr<Transport> transport,
                                            uint32_t address) {
  for (Capability* capability : capabilities_) {
    if (capability->TakeTransferConnection(transport, address)) return;
  }
  Notify(*transport);
  transfer_connections_.push_back(std::move(transport));
}

void ServerCore::RunTransferPasses(uint32_t now) {
  for (Capability* capability : capabilities_) capability->TransferPass(now);
  // Transfer connections that no capability took are dropped once closed.
  std::erase_if(transfer_connections_, [](const std::unique_ptr<Transport>& transport) {
    return !transport->IsConnected();
  });
}

}  // namespace vantrel
