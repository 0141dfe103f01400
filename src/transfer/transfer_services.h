#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>

#include "files/file_tree.h"
#include "logs/log_files.h"
#include "logs/log_window.h"
#include "platform/clock.h"
#include "server/client_list.h"
#include "server/core_services.h"
#include "server/statistics.h"
#include "transfer/transfer_lists.h"

namespace vantrel {

// The banner's bytes as last loaded; nothing when no banner file is loaded.
using BannerSource = std::function<std::optional<std::span<const uint8_t>>()>;
// Whether `address` is banned (permanently, or for a while at `now`).
using BanCheck = std::function<bool(uint32_t address, uint32_t now)>;

// What the transfers use of the server core and of other capabilities.
// Everything referred to must outlive the transfers capability.
struct TransferServices {
  FileTree& tree;
  ClientList& clients;
  LogWindow& log;
  LogFiles& log_files;
  Statistics& stats;
  SettingsStore& settings;
  PassRequester& passes;
  FailureReporter& failures;
  const Clock& clock;
  BannerSource banner;
  BanCheck banned;
};

// What the transfer handlers and passes work on.
struct Transfers {
  TransferServices services;
  TransferLists lists;
};

}  // namespace vantrel
