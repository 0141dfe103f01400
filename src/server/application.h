#pragma once

#include <cstdint>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "accounts/account_store.h"
#include "accounts/head_admin_dialogs.h"
#include "bans/permanent_ban_list.h"
#include "bans/temporary_ban_list.h"
#include "chat/chat_rooms.h"
#include "logs/log_files.h"
#include "logs/log_window.h"
#include "news/message_board.h"
#include "news/server_texts.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/random.h"
#include "platform/tcp_transport.h"
#include "prefs/apply_options.h"
#include "prefs/server_settings.h"
#include "server/client_list.h"
#include "server/dispatch_table.h"
#include "server/operator.h"
#include "server/statistics.h"

namespace asio {
class io_context;
}

namespace vantrel {

// The server: owns the listeners, the pending connections, the clients, the
// temporary and permanent bans, the counters, the settings, the log window and the log files
// of its server folder, and runs the processing pass
// on the core thread whenever a transport reports an event. Handlers reach the
// server's state through this object. Core thread only; handlers it posted do
// nothing once it is destroyed.
class CMyApplication {
 public:
  // REQUIRES: `io` and `clock` outlive the application; `folder` is the server
  // folder (the settings file and the log files live there). Every access to it
  // goes through `file_system` (FileSystem::Default when null), which must
  // outlive the application.
  CMyApplication(asio::io_context& io, const Clock& clock, std::filesystem::path folder,
                 LogWindow::Echo echo = {}, FileSystem* file_system = nullptr);
  ~CMyApplication();

  CMyApplication(const CMyApplication&) = delete;
  CMyApplication& operator=(const CMyApplication&) = delete;

  ServerSettings& Settings() { return settings_; }
  // Takes options the operator confirmed: stores and writes the settings (a
  // failure to write is raised, Omberly::CException class 4, after the new
  // settings are in force) and acts on the effects of the change.
  void ApplySettings(const AppliedOptions& applied);
  // Reads "Prefs" (the defaults when it is missing or damaged).
  void LoadSettings();
  // Writes "Prefs". Raises Omberly::CException (class 4) when it cannot.
  void SaveSettings() const;

  // Where notices and questions for the operator go. REQUIRES: `op` outlives
  // the application, or is replaced first. Until set, notices are dropped and
  // questions answered with nothing.
  void SetOperator(Operator* op);
  Operator& GetOperator() { return *operator_; }
  // Called once the server has quit: the caller ends the event loop there.
  void SetQuitHandler(std::function<void()> quit) { quit_handler_ = std::move(quit); }
  // How the process ends when resets do not help (std::exit unless replaced).
  void SetExitHandler(std::function<void(int)> exit) { exit_handler_ = std::move(exit); }

  // Start-up (startup.cpp): the first log line, the data folders, the settings,
  // the head administrator check, then the four listeners on ports P to P + 3
  // and the start line. When a listener cannot be bound, the operator is told
  // and start-up ends there, the server running with the listeners opened so far.
  void Start();
  // True once every listener is open and the start line was written.
  bool Started() const { return port_in_use_ != 0; }
  // The port P the listeners were opened on; 0 until started.
  uint16_t ListeningPort() const { return port_in_use_; }
  const std::filesystem::path& Folder() const { return folder_; }

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
  // The permanent ban list, mirroring "Banned"; loaded at start-up.
  PermanentBanList& PermanentBans() { return permanent_bans_; }
  DispatchTable& Handlers() { return handlers_; }

  ClientList& Clients() { return clients_; }
  // The private chat rooms; a client leaving the list leaves every room.
  ChatRoomList& ChatRooms() { return chat_rooms_; }
  // The message board ("MessageBoard.txt"), loaded at start-up and by the reload command.
  MessageBoard& Board() { return board_; }
  // The agreement and the banner as last loaded.
  const ServerTexts& Texts() const { return texts_; }
  // Loads the agreement and the banner again from the files the settings name,
  // logging each file ("Reloaded file ..." when `reload` is set). Raises
  // Omberly::CException of class 4 when a file exists but cannot be read.
  void LoadTexts(bool reload);
  // The account store over the server folder's "Users".
  AccountStore Accounts() const;
  // Acts on the end of a head administrator dialog: logs what is still missing
  // or what failed, and makes the outcome's login the head admin login (saving
  // the settings) when the outcome says so.
  void TakeHeadAdminOutcome(const HeadAdminOutcome& outcome);
  // The flood and repeat rules' answer: disconnects the client, bans its address
  // for 1800 s and writes `log_text` ("Autobanned for flooding", ...) for it.
  void AutoBan(ClientSession& client, uint32_t now, std::string_view log_text);

  // A failure that escaped a handler or a pass (error_handler.cpp): counted in
  // windows of 300 s, the 101st of a window resetting the server; written to the
  // error log; a pass follows.
  void ReportFailure(const std::exception& failure);
  // Drops every client without a word, frees what they held and starts counting
  // failures anew. More than 10 resets without a client connecting in between
  // end the process.
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

  // Sends transaction 104 with `text` as field 101 to every logged-in client
  // whose connection is open (chat/broadcast.cpp, beside transaction 355).
  void BroadcastServerMessage(std::string_view text);

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

  // Start-up steps (startup.cpp).
  void CreateDataFolders();
  void CheckHeadAdmin(std::function<void()> then);
  // Opens the listeners on P to P + 3 in order; false when one cannot be bound.
  bool OpenListeners(uint16_t port);

  asio::io_context& io_;
  const Clock& clock_;
  const std::filesystem::path folder_;
  FileSystem& file_system_;
  Random random_;
  ServerSettings settings_;
  LogWindow log_;
  LogFiles log_files_;
  Operator* operator_;
  std::function<void()> quit_handler_;
  std::function<void(int)> exit_handler_;
  std::optional<TcpListener> listener_;  // client connections on P
  // Transfers on P + 1 and the tunnel on P + 2 and P + 3: until those are
  // served, connections to them are accepted and closed.
  std::vector<std::unique_ptr<TcpListener>> other_listeners_;
  uint16_t port_in_use_ = 0;
  std::vector<PendingConnection> pending_;
  ClientList clients_;
  ChatRoomList chat_rooms_;
  MessageBoard board_;
  ServerTexts texts_;
  std::vector<std::unique_ptr<Transport>> transfer_connections_;
  TemporaryBanList temporary_bans_{clock_};
  PermanentBanList permanent_bans_{file_system_, folder_, clock_};
  Statistics stats_;
  DispatchTable handlers_;
  DispatchTable login_handlers_;  // 107 and 121: all a client may send before logging in
  UFieldData pass_fields_;        // the fields of the request being dispatched

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
  // Expires with the application, so that posted work can tell it is gone.
  std::shared_ptr<char> lifetime_ = std::make_shared<char>();
};

}  // namespace vantrel
