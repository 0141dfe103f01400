// Start-up of the server, in its fixed order.
#include <array>
#include <filesystem>

#include "platform/exception.h"
#include "platform/file_failure.h"
#include "server/application.h"
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

// Listeners after the client listener: transfers (P + 1), then the tunnel's
// client (P + 2) and transfer (P + 3) ports.
constexpr int kOtherListeners = 3;

}  // namespace

void CMyApplication::Start() {
  log_.Line(kServerName, kServerVersionText);
  CreateDataFolders();
  board_.Load(log_);
  SetMaxTransactionSize(kServerMaxTransactionSize);
  LoadSettings();
  permanent_bans_.Load();
  LoadTexts(false);
  CheckHeadAdmin([this] {
    const uint16_t port = settings_.server_port;
    if (!OpenListeners(port)) return;
    port_in_use_ = port;
    log_.Line(StartedWhoText(listener_->LocalAddress(), port), "Vantrel Server started");
    // Tracker registration starts here when it is switched on.
  });
}

void CMyApplication::CreateDataFolders() {
  for (const char* name : kDataFolders) {
    try {
      file_system_.CreateFolder(folder_ / name);
    } catch (const Omberly::CException& failure) {
      RaiseFileFailure(std::string("Cannot create the folder ") + name, failure.SystemError());
    }
  }
}

bool CMyApplication::OpenListeners(uint16_t port) {
  const uint32_t address = settings_.server_ip_address;
  try {
    listener_.emplace(io_);
    listener_->Open(address, port, kListenBacklog, [this] { RequestPass(); });
    for (int i = 1; i <= kOtherListeners; ++i) {
      auto listener = std::make_unique<TcpListener>(io_);
      TcpListener* raw = listener.get();
      listener->Open(address, static_cast<uint16_t>(port + i), kListenBacklog, [raw] {
        while (raw->TakeAccepted()) {
        }
      });
      other_listeners_.push_back(std::move(listener));
    }
  } catch (const Omberly::CException&) {
    log_.Line(kBindFailureSource, kBindFailureLogText);
    operator_->Notice(kBindFailureSource, kBindFailureAlertText);
    return false;
  }
  return true;
}

}  // namespace vantrel
