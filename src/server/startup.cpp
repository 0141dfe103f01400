// Start-up of the server, in its fixed order.
#include <array>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/exception.h"
#include "platform/file_failure.h"
#include "platform/open_file_limit.h"
#include "server/server_core.h"
#include "server/server_limits.h"

namespace vantrel {
namespace {

// The first log line: the server's version, under the server's name.
constexpr const char* kServerName = "Vantrel Server";
constexpr const char* kServerVersionText = "1.9";

constexpr std::array<const char*, 3> kDataFolders = {"Users", "Files", "News"};

constexpr const char* kBindFailureSource = "Server Error";
constexpr const char* kBindFailureLogText =
    "Please change the \"Server IP\" or \"Server port number\" from \"Options/General\" and "
    "restart the server";
constexpr const char* kBindFailureAlertText =
    "Cannot bind to the specified address because it is incorrect or it is already in use. "
    "Please change the \"Server IP\" or \"Server port number\" from \"Options/General\" and "
    "restart the server.";

// The tunnel's listeners, after the client (P) and transfer (P + 1) ones.
constexpr uint16_t kTunnelOffset = 2;
constexpr uint16_t kTunnelTransferOffset = 3;

}  // namespace

void ServerCore::Start() {
  log_.Line(kServerName, kServerVersionText);
  RaiseDescriptorLimit();
  CreateDataFolders();
  SetMaxTransactionSize(kServerMaxTransactionSize);
  LoadSettings();
  StartCapabilities(0);
}

void ServerCore::StartCapabilities(size_t index) {
  if (index == capabilities_.size()) {
    OpenListenersAndAnnounce();
    return;
  }
  capabilities_[index]->Start([this, index] { StartCapabilities(index + 1); });
}

void ServerCore::OpenListenersAndAnnounce() {
  const uint16_t port = settings_.server_port;
  if (!OpenListeners(port)) return;
  port_in_use_ = port;
  log_.Line(StartedWhoText(listener_->LocalAddress(), port), "Vantrel Server started");
  for (Capability* capability : capabilities_) capability->Started(port);
}

void ServerCore::RaiseDescriptorLimit() {
  const OpenFileLimit limit = RaiseOpenFileLimit();
  if (limit.now == 0 || limit.now >= kOpenFilesWanted) return;
  const uint64_t clients = limit.now > kOpenFilesReserved ? limit.now - kOpenFilesReserved : 0;
  log_.Line("", "Open files are limited to " + std::to_string(limit.now) + ": at most about " +
                    std::to_string(clients) + " clients can be connected at once");
}

void ServerCore::CreateDataFolders() {
  for (const char* name : kDataFolders) {
    try {
      file_system_.CreateFolder(folder_ / name);
    } catch (const Omberly::CException& failure) {
      RaiseFileFailure(std::string("Cannot create the folder ") + name, failure.SystemError());
    }
  }
}

bool ServerCore::OpenListeners(uint16_t port) {
  const uint32_t address = settings_.server_ip_address;
  try {
    listener_.emplace(io_);
    // The system's longest backlog: a burst of logins must not be dropped by
    // the kernel before the pass takes them.
    listener_->Open(
        address, port, MaxListenBacklog(), [this] { RequestPass(); }, &send_budget_);
    listener_->SetFailureNotify([this](int error) { OnAcceptFailure(error); });
    // Transfer connections are paced by their windows: they do not count in
    // the client connections' send budget.
    transfer_listener_.emplace(io_);
    transfer_listener_->Open(address, static_cast<uint16_t>(port + 1), MaxListenBacklog(),
                             [this] { RequestPass(); });
    tunnel_listener_.emplace(io_, clock_, timers_);
    tunnel_listener_->Open(
        address, static_cast<uint16_t>(port + kTunnelOffset), MaxListenBacklog(),
        [this] { RequestPass(); }, &send_budget_);
    tunnel_transfer_listener_.emplace(io_, clock_, timers_);
    tunnel_transfer_listener_->Open(address, static_cast<uint16_t>(port + kTunnelTransferOffset),
                                    MaxListenBacklog(), [this] { RequestPass(); });
  } catch (const Omberly::CException&) {
    log_.Line(kBindFailureSource, kBindFailureLogText);
    operator_.Notice(kBindFailureSource, kBindFailureAlertText);
    return false;
  }
  return true;
}

void ServerCore::OnAcceptFailure(int error) {
  if (error == 0) {
    log_.Line("", "Accepting connections again");
    return;
  }
  ++counters_.accept_failures;
  log_.Line("", "Cannot accept connections: " + std::string(std::strerror(error)) +
                    " (retrying every 0.1 s)");
}

}  // namespace vantrel
