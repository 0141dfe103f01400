#include "news/news_capability.h"

#include <utility>

#include "platform/exception.h"

namespace vantrel {

NewsCapability::NewsCapability(const NewsServices& services, FileSystem& file_system,
                               const std::filesystem::path& server_folder, FileTree& tree,
                               Random& random)
    : services_(services),
      board_(file_system, server_folder),
      texts_(file_system, server_folder),
      board_services_{services.clients, services.auto_bans, services.failures, services.clock,
                      board_},
      threaded_services_{tree,
                         random,
                         services.clock,
                         services.log,
                         services.failures,
                         std::filesystem::absolute(server_folder) / kNewsFolderName} {}

void NewsCapability::RegisterHandlers(DispatchTable& table) {
  RegisterBoardHandlers(table, board_services_);
  RegisterThreadedNewsHandlers(table, threaded_services_);
}

void NewsCapability::Start(std::function<void()> then) {
  board_.Load(services_.log);
  LoadTexts(false);
  then();
}

void NewsCapability::Reload() {
  board_.Load(services_.log);
  LoadTexts(true);
}

void NewsCapability::SettingsApplied(const OptionsEffects& effects) {
  if (!effects.reload_banner) return;
  try {
    LoadTexts(false);
  } catch (const Omberly::CException& failure) {
    services_.failures.ReportFailure(failure);  // the new settings are kept and saved all the same
  }
}

void NewsCapability::LoadTexts(bool reload) {
  texts_.Load(services_.settings.Settings(), reload, services_.log, services_.op);
}

}  // namespace vantrel
