#include "server/application.h"

#include <utility>

#include <asio.hpp>

#include "platform/exception.h"
#include "prefs/prefs_file.h"
#include "server/core_handlers.h"
#include "server/server_limits.h"

namespace vantrel {

CMyApplication::CMyApplication(asio::io_context& io, const Clock& clock,
                               std::filesystem::path folder, LogWindow::Echo echo)
    : io_(io),
      clock_(clock),
      folder_(std::move(folder)),
      log_(clock, std::move(echo)),
      log_files_(folder_, clock, settings_) {
  RegisterCoreHandlers(handlers_);
}

void CMyApplication::LoadSettings() {
  settings_ = ReadPrefsFile(folder_, random_);
}

void CMyApplication::SaveSettings() const {
  WritePrefsFile(folder_, settings_);
}

CMyApplication::~CMyApplication() = default;

void CMyApplication::Start() {
  SetMaxTransactionSize(kServerMaxTransactionSize);
  listener_.emplace(io_);
  listener_->Open(settings_.server_ip_address, settings_.server_port, kListenBacklog,
                  [this] { RequestPass(); });
}

uint16_t CMyApplication::ListeningPort() const {
  return listener_ ? listener_->LocalPort() : 0;
}

void CMyApplication::RequestPass() {
  if (pass_requested_) return;
  pass_requested_ = true;
  asio::post(io_, [this] {
    pass_requested_ = false;
    RunPass();
  });
}

void CMyApplication::Notify(Transport& transport, uint32_t address) {
  transport.SetNotify([this, address](TransportEvent event) { OnTransportEvent(address, event); });
}

void CMyApplication::OnTransportEvent(uint32_t address, TransportEvent event) {
  if (event == TransportEvent::kSendQueueOverflow) {
    log_.Line(AddressText(address), "Disconnected: the client stopped reading");
  }
  RequestPass();
}

void CMyApplication::ReportFailure(const std::exception& failure) {
  const auto* known = dynamic_cast<const Omberly::CException*>(&failure);
  const Omberly::CException error =
      known != nullptr ? *known : Omberly::CException(kErrorClassMemory, 0, failure.what());
  try {
    log_files_.Error(error);
  } catch (const Omberly::CException& unwritable) {
    // The error log itself failed; the operator still sees both in the log window.
    log_.Line("", unwritable.Description());
  }
  RequestPass();
}

}  // namespace vantrel
