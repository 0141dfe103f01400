#pragma once

#include <filesystem>

#include "accounts/accounts_capability.h"
#include "bans/bans_capability.h"
#include "bans/permanent_ban_list.h"
#include "bans/temporary_ban_list.h"
#include "chat/chat_capability.h"
#include "files/file_tree.h"
#include "files/files_capability.h"
#include "news/news_capability.h"
#include "platform/timer.h"
#include "server/server_core.h"
#include "trackers/trackers_capability.h"
#include "transfer/transfers_capability.h"

namespace asio {
class io_context;
}

namespace vantrel {

// The composition root: owns the server core and every capability, builds each
// capability with the core services it uses and registers it with the core, in
// one place (application.cpp). The operator console and the tests reach the
// parts through it; handlers never do. Core thread only.
class CMyApplication {
 public:
  // REQUIRES: `io`, `clock` and `timers` outlive the application; `folder` is
  // the server folder. Every access to it goes through `file_system`
  // (FileSystem::Default when null), which must outlive the application.
  CMyApplication(asio::io_context& io, const Clock& clock, TimerFactory& timers,
                 const std::filesystem::path& folder, LogWindow::Echo echo = {},
                 FileSystem* file_system = nullptr);

  CMyApplication(const CMyApplication&) = delete;
  CMyApplication& operator=(const CMyApplication&) = delete;

  // Start-up (ServerCore::Start).
  void Start() { core_.Start(); }

  ServerCore& Core() { return core_; }
  AccountsCapability& Accounts() { return accounts_; }
  BansCapability& Bans() { return bans_; }
  ChatCapability& Chat() { return chat_; }
  NewsCapability& News() { return news_; }
  FileTree& Files() { return file_tree_; }
  TransfersCapability& Transfers() { return transfers_; }

 private:
  // The lists both the core and capabilities use, then the core, then the
  // capabilities in the order they are registered (which orders their start-up).
  TemporaryBanList temporary_bans_;
  ServerCore core_;
  FileTree file_tree_;
  PermanentBanList permanent_bans_;
  BansCapability bans_;
  NewsCapability news_;
  ChatCapability chat_;
  AccountsCapability accounts_;
  FilesCapability files_;
  TransfersCapability transfers_;
  TrackersCapability trackers_;
};

}  // namespace vantrel
