#include "app/application.h"

#include "accounts/account_files.h"

namespace vantrel {

CMyApplication::CMyApplication(asio::io_context& io, const Clock& clock, TimerFactory& timers,
                               const std::filesystem::path& folder, LogWindow::Echo echo,
                               FileSystem* file_system)
    : temporary_bans_(clock),
      core_(io, clock, timers, file_system != nullptr ? *file_system : FileSystem::Default(),
            folder, temporary_bans_, std::move(echo)),
      file_tree_(core_.GetFileSystem(), std::filesystem::absolute(folder),
                 [&disk = core_.GetFileSystem(),
                  users = account_files::UsersFolderIn(std::filesystem::absolute(folder))](
                     std::string_view login) {
                   return account_files::FindAccountEntry(disk, users, login);
                 }),
      permanent_bans_(core_.GetFileSystem(), folder, clock),
      bans_({core_.Clients(), core_.Log(), core_, core_, permanent_bans_, temporary_bans_}),
      news_({core_.Clients(), core_, clock, core_.Log(), core_.GetOperator(), core_, core_},
            core_.GetFileSystem(), folder, file_tree_, core_.GetRandom()),
      chat_(core_.Clients(), core_, core_.GetRandom()),
      accounts_({core_.Clients(), core_.Log(), core_.LogFileSet(), core_, core_.GetOperator(),
                 core_, core_, permanent_bans_, temporary_bans_, news_.Texts()},
                core_.GetFileSystem(), folder),
      files_({file_tree_, core_.Log()}),
      transfers_({file_tree_, core_.Clients(), core_.Log(), core_.LogFileSet(), core_.Stats(),
                  core_, core_, core_, clock,
                  [&texts = news_.Texts()]() -> std::optional<std::span<const uint8_t>> {
                    if (!texts.BannerDataLoaded()) return std::nullopt;
                    return texts.BannerData();
                  },
                  [this](uint32_t address, uint32_t now) {
                    return permanent_bans_.IsBanned(address) ||
                           temporary_bans_.IsBanned(address, now);
                  }},
                 core_.GetRandom()),
      trackers_({core_, core_.Stats(), core_, timers, io}) {
  // Each capability once; start-up runs in this order, the head administrator
  // check last, just before the listeners open.
  core_.AddCapability(bans_);
  core_.AddCapability(news_);
  core_.AddCapability(chat_);
  core_.AddCapability(accounts_);
  core_.AddCapability(files_);
  core_.AddCapability(transfers_);
  core_.AddCapability(trackers_);
}

}  // namespace vantrel
