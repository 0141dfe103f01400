#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/transport.h"
#include "prefs/apply_options.h"
#include "server/dispatch_table.h"

namespace vantrel {

struct ClientSession;

// A subsystem as the server core sees it: its transaction handlers and its
// hooks into the core's events. The composition root builds each capability with
// the narrow core services it uses and registers it once
// (ServerCore::AddCapability); the core then calls the hooks of every capability
// in the order they were registered. Every hook has a default that does nothing.
// Core thread only.
class Capability {
 public:
  // One line of the statistics: its label and its value as text.
  using StatisticsLine = std::pair<std::string, std::string>;

  virtual ~Capability() = default;

  // Called once, at registration: puts the capability's handlers in `table`.
  virtual void RegisterHandlers(DispatchTable& table) = 0;

  // Start-up, after the settings are read and before the listeners open: loads
  // what the capability keeps, then calls `then` (perhaps later, once the
  // operator has answered a question), which starts the next capability. May
  // raise Omberly::CException; start-up then stops.
  virtual void Start(std::function<void()> then) { then(); }

  // Start-up is complete: the listeners are open on `port` (P) and the start
  // line was written. Not called when a listener could not be opened.
  virtual void Started(uint16_t /*port*/) {}

  // The operator's `reload`: reads the capability's files again. May raise
  // Omberly::CException; the reload stops there.
  virtual void Reload() {}

  // A client is leaving: it was unlinked from the client list and is freed once
  // every capability was told.
  virtual void ClientLeft(ClientSession& /*leaving*/) {}

  // The server reset: every client was dropped without a word; free what refers to them.
  virtual void ServerReset() {}

  // New settings are in force (and about to be saved); `effects` says what changed.
  virtual void SettingsApplied(const OptionsEffects& /*effects*/) {}

  // A connection whose handshake asked for a file transfer, from `address`.
  // Returns true when the capability took it (and moved it out of `transport`).
  virtual bool TakeTransferConnection(std::unique_ptr<Transport>& /*transport*/,
                                      uint32_t /*address*/) {
    return false;
  }

  // Runs after each processing pass.
  virtual void TransferPass(uint32_t /*now*/) {}

  // Lines the capability adds to the operator's `stats`, after the server's own.
  virtual void AddStatisticsLines(std::vector<StatisticsLine>& /*lines*/) const {}
};

}  // namespace vantrel
