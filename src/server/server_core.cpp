#include "server/server_core.h"

#include <utility>

#include <asio.hpp>

#include "platform/exception.h"
#include "platform/heap_memory.h"
#include "platform/terminal.h"
#include "prefs/prefs_file.h"
#include "server/core_handlers.h"

namespace vantrel {

ServerCore::ServerCore(asio::io_context& io, const Clock& clock, TimerFactory& timers,
                       FileSystem& file_system, std::filesystem::path folder,
                       TemporaryBans& temporary_bans, LogWindow::Echo echo)
    : io_(io),
      clock_(clock),
      timers_(timers),
      folder_(std::move(folder)),
      file_system_(file_system),
      temporary_bans_(temporary_bans),
      log_(clock, std::move(echo)),
      log_files_(file_system_, folder_, clock, settings_),
      idle_memory_(timers, FreeHeapBytes, ReturnFreeHeap) {
  RegisterCoreHandlers(handlers_, clients_, *this);
  // A client that goes is first let go of by every capability.
  clients_.AddLeaveObserver([this](ClientSession& leaving) {
    for (Capability* capability : capabilities_) capability->ClientLeft(leaving);
  });
  stats_.SetStartTime(clock_.LocalTime());
}

ServerCore::~ServerCore() = default;

void ServerCore::AddCapability(Capability& capability) {
  capabilities_.push_back(&capability);
  capability.RegisterHandlers(handlers_);
}

void ServerCore::SetOperator(Operator* op) {
  operator_.SetTarget(op);
}

void ServerCore::LoadSettings() {
  LoadedPrefs loaded = LoadPrefsFile(file_system_, folder_, random_);
  settings_ = std::move(loaded.settings);
  if (loaded.set_aside) {
    // The defaults are used without a word in the log, as always; the operator
    // learns where the old settings went.
    WriteToStandardError(
        "vantrel-server: the settings file \"Prefs\" is damaged; it was kept as "
        "\"Prefs.damaged\" and the default settings are used");
  }
}

void ServerCore::SaveSettings() const {
  WritePrefsFile(file_system_, folder_, settings_);
}

void ServerCore::ApplySettings(const AppliedOptions& applied) {
  settings_ = applied.settings;
  for (Capability* capability : capabilities_) capability->SettingsApplied(applied.effects);
  // The listeners stay where they are until the next start.
  SaveSettings();
}

std::vector<Capability::StatisticsLine> ServerCore::StatisticsLines() const {
  std::vector<Capability::StatisticsLine> lines = stats_.Lines();
  for (const Capability* capability : capabilities_) capability->AddStatisticsLines(lines);
  return lines;
}

void ServerCore::Reload() {
  for (Capability* capability : capabilities_) capability->Reload();
}

void ServerCore::AutoBan(ClientSession& client, uint32_t now, AutoBanRule rule) {
  client.connection->Disconnect();
  temporary_bans_.Add(client.address, now);
  log_.Line(client.LogWho(), AutoBanLogText(rule));
  counters_.CountAutoBan(rule);
  RequestPass();
}

void ServerCore::RequestPass() {
  if (pass_requested_) return;
  pass_requested_ = true;
  asio::post(io_, [this, alive = std::weak_ptr<char>(lifetime_)] {
    if (alive.expired()) return;
    pass_requested_ = false;
    RunPass();
  });
}

void ServerCore::Notify(Transport& transport) {
  // Every event calls for a pass, which finds out what happened; only the
  // connections that send much (clients) can be dropped for not reading.
  transport.SetNotify([this](TransportEvent) { RequestPass(); });
}

namespace {

SilentOperator& NoOperator() {
  static SilentOperator silent;
  return silent;
}

}  // namespace

void ServerCore::OperatorRelay::Notice(std::string_view title, std::string_view text) {
  (target_ != nullptr ? *target_ : NoOperator()).Notice(title, text);
}

void ServerCore::OperatorRelay::AskText(std::string_view prompt, TextAnswer answer) {
  (target_ != nullptr ? *target_ : NoOperator()).AskText(prompt, std::move(answer));
}

void ServerCore::OperatorRelay::AskPassword(std::string_view prompt, TextAnswer answer) {
  (target_ != nullptr ? *target_ : NoOperator()).AskPassword(prompt, std::move(answer));
}

void ServerCore::OperatorRelay::Choose(std::string_view title, std::string_view text,
                                       std::vector<std::string> choices, ChoiceAnswer answer) {
  (target_ != nullptr ? *target_ : NoOperator())
      .Choose(title, text, std::move(choices), std::move(answer));
}

}  // namespace vantrel
