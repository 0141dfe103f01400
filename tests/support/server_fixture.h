#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include <asio/io_context.hpp>

#include "app/application.h"
#include "platform/clock.h"
#include "prefs/server_settings.h"
#include "support/fault_injecting_file_system.h"
#include "support/scripted_operator.h"
#include "support/temporary_folder.h"
#include "support/test_client.h"

namespace vantrel::testing {

// 127.0.0.1 as a 32-bit number.
inline constexpr uint32_t kLoopback = 0x7F000001;

// The first of `count` consecutive TCP ports that are free on 127.0.0.1 now.
uint16_t FindFreePorts(int count);

// The real server, in-process, on 127.0.0.1 with a fake clock and a temporary
// server folder. The server runs only while the test pumps it (Poll, RunPass,
// or a TestClient wait), all on the test's thread.
class ServerFixture {
 public:
  // Starts the server at once unless `start` is false (to change the settings
  // file or the operator's answers first). Every log-window line goes to `echo`.
  explicit ServerFixture(bool start = true, LogWindow::Echo echo = {});
  ~ServerFixture();

  // The settings written to "Prefs" before the server starts: 127.0.0.1 and a
  // block of four free ports.
  ServerSettings& Prefs() { return prefs_; }
  // Writes Prefs() and runs the server's start-up.
  void Start();

  CMyApplication& Server() { return *server_; }
  // The event loop the server runs on (pumped by Poll and the waits).
  asio::io_context& Io() { return io_; }
  // The file system the server reaches its folder through (the real one, until
  // a test makes an operation fail).
  FaultInjectingFileSystem& Disk() { return disk_; }
  FakeClock& Clock() { return clock_; }
  ScriptedOperator& Operator() { return operator_; }
  uint16_t Port() const { return prefs_.server_port; }
  // How often the server quit, and the exit codes it asked for.
  int Quits() const { return quits_; }
  const std::vector<int>& Exits() const { return exits_; }
  const std::filesystem::path& Folder() const { return folder_.Path(); }

  // Runs ready handlers, waiting up to a millisecond for one, then whatever
  // else the test asked to run with the server (AlsoRun).
  void Poll();
  // Runs `work` at every Poll from now on: a relay between clients and the
  // server, say, that must move bytes whichever client is waiting.
  void AlsoRun(std::function<void()> work) { also_run_.push_back(std::move(work)); }
  // Runs one processing pass now (as any network event would), then the handlers it caused.
  void RunPass();
  // Advances the fake clock and runs a pass.
  void AdvanceAndPass(uint32_t seconds);

  // A connected client (handshake not sent), from loopback address `source` when not 0.
  std::unique_ptr<TestClient> Connect(uint32_t source = 0);
  // A client whose handshake was accepted and which the server lists as a client.
  // Returns null when the server did not admit it.
  std::unique_ptr<TestClient> ConnectClient(uint32_t source = 0);
  // A client as above, marked logged in on the server. The ClientSession is the
  // last one in the list.
  std::unique_ptr<TestClient> ConnectLoggedIn(uint32_t source = 0);
  // A client as above whose session is named `name` and holds the privilege `bits`.
  std::unique_ptr<TestClient> ConnectAs(std::string name, std::initializer_list<unsigned> bits = {},
                                        uint32_t source = 0);
  // The session of the `index`-th client in the server's list (from 0).
  ClientSession& Session(size_t index) { return *server_->Core().Clients().All().at(index); }

  // The log window's lines, each without its date and who columns: "who|message".
  std::vector<std::string> LogLines() const;
  // True when some log line's message is `message`.
  bool Logged(const std::string& message) const;

 private:
  TemporaryFolder folder_;
  FaultInjectingFileSystem disk_{FileSystem::Default()};
  asio::io_context io_;
  FakeClock clock_;
  ScriptedOperator operator_;
  ServerSettings prefs_;
  std::unique_ptr<CMyApplication> server_;
  std::vector<std::function<void()>> also_run_;
  int quits_ = 0;
  std::vector<int> exits_;
};

}  // namespace vantrel::testing
