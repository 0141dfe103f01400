#include "server/application.h"

#include <utility>

#include <asio.hpp>

#include "platform/exception.h"
#include "prefs/prefs_file.h"
#include "server/core_handlers.h"
#include "server/server_limits.h"
#include "server/user_handlers.h"

namespace vantrel {

CMyApplication::CMyApplication(asio::io_context& io, const Clock& clock,
                               std::filesystem::path folder, LogWindow::Echo echo)
    : io_(io),
      clock_(clock),
      folder_(std::move(folder)),
      log_(clock, std::move(echo)),
      log_files_(folder_, clock, settings_) {
  SetOperator(nullptr);
  RegisterCoreHandlers(handlers_);
  RegisterUserHandlers(handlers_);
  stats_.SetStartTime(clock_.LocalTime());
}

void CMyApplication::SetOperator(Operator* op) {
  static SilentOperator silent;
  operator_ = op != nullptr ? op : &silent;
}

void CMyApplication::LoadSettings() {
  settings_ = ReadPrefsFile(folder_, random_);
}

void CMyApplication::SaveSettings() const {
  WritePrefsFile(folder_, settings_);
}

void CMyApplication::ApplySettings(const AppliedOptions& applied) {
  settings_ = applied.settings;
  // The banner and tracker registration follow the effects here as those
  // capabilities arrive; the listeners stay where they are until the next start.
  SaveSettings();
  if (applied.effects.head_admin_changed) CheckHeadAdmin([] {});
}

CMyApplication::~CMyApplication() = default;

void CMyApplication::AutoBan(ClientSession& client, uint32_t now, std::string_view log_text) {
  client.connection->Disconnect();
  temporary_bans_.Add(client.address, now);
  log_.Line(client.LogWho(), log_text);
  RequestPass();
}

void CMyApplication::RequestPass() {
  if (pass_requested_) return;
  pass_requested_ = true;
  asio::post(io_, [this, alive = std::weak_ptr<char>(lifetime_)] {
    if (alive.expired()) return;
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

}  // namespace vantrel
