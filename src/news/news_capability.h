#pragma once

#include <filesystem>
#include <functional>

#include "logs/log_window.h"
#include "news/board_handlers.h"
#include "news/message_board.h"
#include "news/server_texts.h"
#include "news/threaded_news_handlers.h"
#include "server/capability.h"
#include "server/core_services.h"
#include "server/operator.h"

namespace vantrel {

// What the news capability uses of the server core. Everything referred to must
// outlive the capability.
struct NewsServices {
  ClientList& clients;
  AutoBanner& auto_bans;
  const Clock& clock;
  LogWindow& log;
  Operator& op;
  SettingsStore& settings;
  FailureReporter& failures;
};

// News: the message board ("MessageBoard.txt") with transactions 101 and 103,
// and the agreement and banner the login shows, all loaded at start-up and by
// the operator's `reload`; the agreement and banner again when the banner
// settings change; and the threaded news of bundles and categories under
// "News" (transactions 370 to 411). Built by the composition root; core thread only.
class NewsCapability final : public Capability {
 public:
  // REQUIRES: everything `services` refers to, and `file_system`, outlive the capability.
  // `tree` and `random` serve the threaded news under "News".
  NewsCapability(const NewsServices& services, FileSystem& file_system,
                 const std::filesystem::path& server_folder, FileTree& tree, Random& random);

  void RegisterHandlers(DispatchTable& table) override;
  void Start(std::function<void()> then) override;
  // Reads the board, the agreement and the banner again ("Reloaded file" lines).
  void Reload() override;
  void SettingsApplied(const OptionsEffects& effects) override;

  MessageBoard& Board() { return board_; }
  // The agreement and the banner as last loaded.
  const ServerTexts& Texts() const { return texts_; }

 private:
  // Loads the agreement and the banner from the files the settings name.
  void LoadTexts(bool reload);

  NewsServices services_;
  MessageBoard board_;
  ServerTexts texts_;
  BoardServices board_services_;
  ThreadedNewsServices threaded_services_;
};

}  // namespace vantrel
