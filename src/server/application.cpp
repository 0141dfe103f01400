#include "server/application.h"

#include <utility>

#include <asio.hpp>

#include "accounts/login_handlers.h"
#include "bans/disconnect_handler.h"
#include "chat/chat_handlers.h"
#include "news/board_handlers.h"
#include "platform/exception.h"
#include "prefs/prefs_file.h"
#include "server/core_handlers.h"
#include "server/server_limits.h"
#include "server/user_handlers.h"

namespace vantrel {

CMyApplication::CMyApplication(asio::io_context& io, const Clock& clock,
                               std::filesystem::path folder, LogWindow::Echo echo,
                               FileSystem* file_system)
    : io_(io),
      clock_(clock),
      folder_(std::move(folder)),
      file_system_(file_system != nullptr ? *file_system : FileSystem::Default()),
      log_(clock, std::move(echo)),
      log_files_(file_system_, folder_, clock, settings_),
      board_(file_system_, folder_),
      texts_(file_system_, folder_) {
  SetOperator(nullptr);
  RegisterCoreHandlers(handlers_);
  RegisterLoginHandlers(login_handlers_, handlers_);
  RegisterUserHandlers(handlers_);
  RegisterBoardHandlers(handlers_);
  RegisterChatHandlers(handlers_);
  RegisterBanHandlers(handlers_);
  // A client that goes leaves every private chat it was in.
  clients_.AddLeaveObserver([this](ClientSession& leaving) { chat_rooms_.RemoveFromAll(leaving); });
  stats_.SetStartTime(clock_.LocalTime());
}

void CMyApplication::SetOperator(Operator* op) {
  static SilentOperator silent;
  operator_ = op != nullptr ? op : &silent;
}

void CMyApplication::LoadSettings() {
  settings_ = ReadPrefsFile(file_system_, folder_, random_);
}

void CMyApplication::SaveSettings() const {
  WritePrefsFile(file_system_, folder_, settings_);
}

void CMyApplication::ApplySettings(const AppliedOptions& applied) {
  settings_ = applied.settings;
  if (applied.effects.reload_banner) {
    try {
      LoadTexts(false);
    } catch (const Omberly::CException& failure) {
      ReportFailure(failure);  // logged; the new settings are kept and saved all the same
    }
  }
  // Tracker registration follows the effects here as it arrives; the listeners
  // stay where they are until the next start.
  SaveSettings();
  if (applied.effects.head_admin_changed) CheckHeadAdmin([] {});
}

CMyApplication::~CMyApplication() = default;

void CMyApplication::LoadTexts(bool reload) {
  texts_.Load(settings_, reload, log_, *operator_);
}

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
