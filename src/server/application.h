#pragma once

#include <cstdint>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "bans/temporary_ban_list.h"
#include "logs/log_files.h"
#include "logs/log_window.h"
#include "platform/clock.h"
#include "platform/random.h"
#include "platform/tcp_transport.h"
#include "prefs/server_settings.h"
#include "server/client_list.h"
#include "server/dispatch_table.h"
#include "server/statistics.h"

namespace asio {
class io_context;
}

namespace vantrel {

// The server: owns the listeners, the pending connections, the clients, the
// temporary bans, the counters, the settings, the log window and the log files
// of its server folder, and runs the processing pass
// on the core thread whenever a transport reports an event. Handlers reach the
// server's state through this object. Core thread only; the io_context must not
// run this object's handlers after it is destroyed.
class CMyApplication {
 public:
  // REQUIRES: `io` and `clock` outlive the application; `folder` is the server
  // folder (the settings file and the log files live there).
  CMyApplication(asio::io_context& io, const Clock& clock, std::filesystem::path folder,
                 LogWindow::Echo echo = {});
  ~CMyApplication();

  CMyApplication(const CMyApplication&) = delete;
  CMyApplication& operator=(const CMyApplication&) = delete;

  ServerSettings& Settings() { return settings_; }
  // Reads "Prefs" (the defaults when it is missing or damaged).
  void LoadSettings();
  // Writes "Prefs". Raises Omberly::CException (class 4) when it cannot.
  void SaveSettings() const;

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
  LogFiles& Files() { return log_files_; }
  Random& GetRandom() { return random_; }
  Statistics& Stats() { return stats_; }
  TemporaryBanList& TemporaryBans() { return temporary_bans_; }
  DispatchTable& Handlers() { return handlers_; }
  // 107 and 121, the only types a client may send before it has logged in.
  DispatchTable& LoginHandlers() { return login_handlers_; }

  ClientList& Clients() { return clients_; }

  // A failure that escaped a handler or a pass: written to the error log, and a
  // pass follows.
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
  const std::filesystem::path folder_;
  Random random_;
  ServerSettings settings_;
  LogWindow log_;
  LogFiles log_files_;
  std::optional<TcpListener> listener_;
  std::vector<PendingConnection> pending_;
  ClientList clients_;
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
