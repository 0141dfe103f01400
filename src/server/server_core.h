#pragma once

#include <cstdint>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "logs/log_files.h"
#include "logs/log_window.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/http_tunnel.h"
#include "platform/random.h"
#include "platform/tcp_transport.h"
#include "platform/timer.h"
#include "prefs/apply_options.h"
#include "prefs/server_settings.h"
#include "server/capability.h"
#include "server/client_list.h"
#include "server/core_services.h"
#include "server/counters.h"
#include "server/dispatch_table.h"
#include "server/idle_memory.h"
#include "server/operator.h"
#include "server/statistics.h"

namespace asio {
class io_context;
}

namespace vantrel {

// The server core: the listeners, the pending connections, the clients, the
// dispatch table, the time and flood rules with their auto-bans, failures and
// resets, quitting, the settings, the statistics and counters, the log window
// and the log files of its server folder. Runs the processing pass on the core
// thread whenever a transport reports an event, and calls the hooks of the
// capabilities registered with it. Knows no capability by name. Core thread
// only; handlers it posted do nothing once it is destroyed.
class ServerCore final : public PassRequester,
                         public AutoBanner,
                         public FailureReporter,
                         public SettingsStore {
 public:
  // REQUIRES: `io`, `clock`, `timers`, `file_system` and `temporary_bans` outlive the
  // core; `folder` is the server folder (the settings file and the log files
  // live there), reached only through `file_system`.
  ServerCore(asio::io_context& io, const Clock& clock, TimerFactory& timers,
             FileSystem& file_system, std::filesystem::path folder, TemporaryBans& temporary_bans,
             LogWindow::Echo echo = {});
  ~ServerCore() override;

  ServerCore(const ServerCore&) = delete;
  ServerCore& operator=(const ServerCore&) = delete;

  // Registers `capability`: its handlers now, its hooks from now on, in
  // registration order. REQUIRES: `capability` outlives the core; called before Start.
  void AddCapability(Capability& capability);

  ServerSettings& Settings() override { return settings_; }
  // Takes options the operator confirmed: puts them in force, tells the
  // capabilities what changed, then writes the settings (a failure to write is
  // raised, Omberly::CException class 4, after the new settings are in force).
  void ApplySettings(const AppliedOptions& applied);
  // Reads "Prefs" (the defaults when it is missing or damaged; a damaged one is
  // kept as "Prefs.damaged" and the operator told on standard error).
  void LoadSettings();
  // Writes "Prefs". Raises Omberly::CException (class 4) when it cannot.
  void SaveSettings() const override;

  // Where notices and questions for the operator go. REQUIRES: `op` outlives
  // the core, or is replaced first. Until set, notices are dropped and questions
  // answered with nothing. Operator() stays valid across replacements.
  void SetOperator(Operator* op);
  Operator& GetOperator() { return operator_; }
  // Called once the server has quit: the caller ends the event loop there.
  void SetQuitHandler(std::function<void()> quit) { quit_handler_ = std::move(quit); }
  // How the process ends when resets do not help (std::exit unless replaced).
  void SetExitHandler(std::function<void(int)> exit) { exit_handler_ = std::move(exit); }

  // Start-up (startup.cpp): the first log line, the data folders, the settings,
  // the capabilities' start-up in registration order, then the four listeners on
  // ports P to P + 3 and the start line. When a listener cannot be bound, the
  // operator is told and start-up ends there, the server running with the
  // listeners opened so far.
  void Start();
  // True once every listener is open and the start line was written.
  bool Started() const { return port_in_use_ != 0; }
  // The port P the listeners were opened on; 0 until started.
  uint16_t ListeningPort() const { return port_in_use_; }
  const std::filesystem::path& Folder() const { return folder_; }

  void RequestPass() override;
  // One processing pass followed by the transfer passes.
  void RunPass();

  const Clock& GetClock() const { return clock_; }
  TimerFactory& Timers() { return timers_; }
  // Every access to the server folder goes through this.
  FileSystem& GetFileSystem() { return file_system_; }
  LogWindow& Log() { return log_; }
  // The error log and the activity logs.
  LogFiles& LogFileSet() { return log_files_; }
  Random& GetRandom() { return random_; }
  Statistics& Stats() { return stats_; }
  const Counters& GetCounters() const { return counters_; }
  ClientList& Clients() { return clients_; }
  DispatchTable& Handlers() { return handlers_; }

  // The statistics' lines followed by those the capabilities add.
  std::vector<Capability::StatisticsLine> StatisticsLines() const;
  // The operator's `reload`: each capability's Reload in order; raises what they raise.
  void Reload();

  void AutoBan(ClientSession& client, uint32_t now, AutoBanRule rule) override;

  // A failure that escaped a handler or a pass (error_handler.cpp): counted in
  // windows of 300 s, the 101st of a window resetting the server; written to the
  // error log; a pass follows.
  void ReportFailure(const std::exception& failure) override;
  // Drops every client without a word, tells the capabilities and starts
  // counting failures anew. More than 10 resets without a client connecting in
  // between end the process.
  void ResetServer();

  // Quitting (quit.cpp). A quit request quits at once when nobody is connected
  // or quitting needs no confirmation; otherwise the operator chooses between a
  // polite quit, quitting now and going on.
  void QuitRequest();
  // Tells every logged-in client `message` (transaction 111) and quits once the
  // last client has gone; an empty message, or nobody connected, quits at once.
  void PoliteQuit(std::string_view message);
  // Stops waiting for clients to leave; the server goes on as before.
  void CancelPoliteQuit() { shutting_down_ = false; }
  bool ShuttingDown() const { return shutting_down_; }
  // Saves the settings (a failure is ignored) and hands over to the quit handler.
  void Quit();

 private:
  struct PendingConnection {
    std::unique_ptr<TransactionSession> session;
    uint32_t address;
  };

  // Forwards to the operator set last, or answers like no operator at all.
  class OperatorRelay final : public Operator {
   public:
    void SetTarget(Operator* target) { target_ = target; }
    void Notice(std::string_view title, std::string_view text) override;
    void AskText(std::string_view prompt, TextAnswer answer) override;
    void AskPassword(std::string_view prompt, TextAnswer answer) override;
    void Choose(std::string_view title, std::string_view text, std::vector<std::string> choices,
                ChoiceAnswer answer) override;

   private:
    Operator* target_ = nullptr;
  };

  void Notify(Transport& transport);

  // The steps of a pass (processing_pass.cpp).
  void AcceptConnections();
  void ServePendingConnections(uint32_t now);
  // Returns false when the entry is done with and should be dropped.
  bool ServePending(PendingConnection& pending, uint32_t now);
  bool AdmitClient(PendingConnection& pending, uint32_t now);
  void HandOverTransferConnection(std::unique_ptr<Transport> transport, uint32_t address);
  void ServeClients(uint32_t now);
  void ServeRequests(ClientSession& client, uint32_t now);
  void Dispatch(ClientSession& client, TransactionHandle& transaction, uint32_t now);
  void RemoveClient(size_t index);
  void RunTransferPasses(uint32_t now);

  // Start-up steps (startup.cpp).
  // Raises the open-file limit to the hard limit; logs what it allows when that is low.
  void RaiseDescriptorLimit();
  void CreateDataFolders();
  // Starts the capabilities from `index` on, then opens the listeners.
  void StartCapabilities(size_t index);
  void OpenListenersAndAnnounce();
  // The client listener's accept failures: one line when they start and one when they end.
  void OnAcceptFailure(int error);
  // Opens the listeners on P to P + 3 in order; false when one cannot be bound.
  bool OpenListeners(uint16_t port);

  asio::io_context& io_;
  const Clock& clock_;
  TimerFactory& timers_;
  const std::filesystem::path folder_;
  FileSystem& file_system_;
  TemporaryBans& temporary_bans_;
  Random random_;
  ServerSettings settings_;
  LogWindow log_;
  LogFiles log_files_;
  OperatorRelay operator_;
  std::function<void()> quit_handler_;
  std::function<void(int)> exit_handler_;
  std::vector<Capability*> capabilities_;
  // What the client connections may queue to be sent, all together; outlives them.
  SendBudget send_budget_;
  std::optional<TcpListener> listener_;                     // client connections on P
  std::optional<TcpListener> transfer_listener_;            // transfer connections on P + 1
  std::optional<TunnelListener> tunnel_listener_;           // tunnelled clients on P + 2
  std::optional<TunnelListener> tunnel_transfer_listener_;  // tunnelled transfers on P + 3
  uint16_t port_in_use_ = 0;
  std::vector<PendingConnection> pending_;
  ClientList clients_;
  // Transfer connections no capability took, kept until they close.
  std::vector<std::unique_ptr<Transport>> transfer_connections_;
  Statistics stats_;
  Counters counters_;
  DispatchTable handlers_;
  IdleMemory idle_memory_;
  UFieldData pass_fields_;  // the fields of the request being dispatched

  // The connection-flood run: the last admitted address, when its run began and
  // how many connections followed the first one.
  uint32_t flood_address_ = 0;
  uint32_t flood_run_start_ = 0;
  uint32_t flood_run_count_ = 0;

  // Failures in the current window, and when the window began.
  uint16_t error_count_ = 0;
  uint32_t first_error_time_ = 0;
  // Resets since a client connection was last established.
  uint16_t reset_count_ = 0;
  bool handling_failure_ = false;
  bool shutting_down_ = false;
  bool pass_requested_ = false;
  // Expires with the core, so that posted work can tell it is gone.
  std::shared_ptr<char> lifetime_ = std::make_shared<char>();
};

}  // namespace vantrel
