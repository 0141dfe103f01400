#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "bans/temporary_ban_list.h"
#include "logs/log_window.h"
#include "platform/clock.h"
#include "platform/tcp_transport.h"
#include "server/client_session.h"
#include "server/dispatch_table.h"
#include "server/statistics.h"

namespace asio {
class io_context;
}

namespace vantrel {

// Where and how the server listens, and the per-address connection limit.
struct ListenSettings {
  uint32_t address = 0;  // IPv4 to bind to; 0 = every local address
  uint16_t port = 5500;  // P: client connections
  uint16_t max_connections_per_address = 5;  // 0 = no limit
};

// The server: owns the listeners, the pending connections, the clients, the
// temporary bans, the counters and the log window, and runs the processing pass
// on the core thread whenever a transport reports an event. Handlers reach the
// server's state through this object. Core thread only; the io_context must not
// run this object's handlers after it is destroyed.
class CMyApplication {
 public:
  // REQUIRES: `io` and `clock` outlive the application.
  CMyApplication(asio::io_context& io, const Clock& clock, LogWindow::Echo echo = {});
  ~CMyApplication();

  CMyApplication(const CMyApplication&) = delete;
  CMyApplication& operator=(const CMyApplication&) = delete;

  ListenSettings& Settings() { return settings_; }

  // Sets the maximum transaction size and opens the client listener on the
  // settings' address and port P. Raises Omberly::CException when it cannot bind.
  void Start();
  // The port the client listener is bound to (the settings' port, or the one the
  // system chose for port 0).
  uint16_t ListeningPort() const;

  // Runs a processing pass soon, once, however often it is asked for before it runs.
  void RequestPass();
  // One processing pass followed by the transfer passes.
  void RunPass();

  // Handlers and capabilities.
  const Clock& GetClock() const { return clock_; }
  LogWindow& Log() { return log_; }
  Statistics& Stats() { return stats_; }
  TemporaryBanList& TemporaryBans() { return temporary_bans_; }
  DispatchTable& Handlers() { return handlers_; }
  // 107 and 121, the only types a client may send before it has logged in.
  DispatchTable& LoginHandlers() { return login_handlers_; }

  const std::vector<std::unique_ptr<ClientSession>>& Clients() const { return clients_; }
  // The first client in list order with this user ID, logged in or not.
  ClientSession* FindClient(uint16_t user_id) const;
  // Sends a request of `type` to every client that is logged in and whose
  // handshake is done, in list order. The field list is encoded once.
  void SendToAll(uint16_t type, const UFieldData& fields);
  // Sets or clears the away flag; a change is announced with 301.
  void SetAway(ClientSession& client, bool away);
  // Announces the client's user ID, icon, status flags and display name with 301.
  void NotifyChange(ClientSession& client);

  // A failure that escaped a handler or a pass.
  void ReportFailure(const std::exception& failure);

 private:
  struct PendingConnection {
    std::unique_ptr<TransactionSession> session;
    uint32_t address;
  };

  void OnTransportEvent(uint32_t address, TransportEvent event);
  void Notify(Transport& transport, uint32_t address);

  // The steps of a pass (processing_pass.cpp).
  void AcceptConnections();
  void ServePendingConnections(uint32_t now);
  // Returns false when the entry is done with and should be dropped.
  bool ServePending(PendingConnection& pending, uint32_t now);
  bool AdmitClient(PendingConnection& pending, uint32_t now);
  void ServeClients(uint32_t now);
  void ServeRequests(ClientSession& client, uint32_t now);
  void Dispatch(ClientSession& client, TransactionHandle& transaction, uint32_t now);
  void RemoveClient(size_t index);
  void RunTransferPasses(uint32_t now);

  asio::io_context& io_;
  const Clock& clock_;
  LogWindow log_;
  ListenSettings settings_;
  std::optional<TcpListener> listener_;
  std::vector<PendingConnection> pending_;
  std::vector<std::unique_ptr<ClientSession>> clients_;
  std::vector<std::unique_ptr<Transport>> transfer_connections_;
  TemporaryBanList temporary_bans_;
  Statistics stats_;
  DispatchTable handlers_;
  DispatchTable login_handlers_;
  UFieldData pass_fields_;  // the fields of the request being dispatched

  uint16_t last_user_id_ = 0;
  // The connection-flood run: the last admitted address, when its run began and
  // how many connections followed the first one.
  uint32_t flood_address_ = 0;
  uint32_t flood_run_start_ = 0;
  uint32_t flood_run_count_ = 0;

  uint16_t error_count_ = 0;
  uint16_t reset_count_ = 0;
  bool shutting_down_ = false;
  bool pass_requested_ = false;
};

}  // namespace vantrel
