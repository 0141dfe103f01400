#pragma once

#include <cstddef>
#include <functional>

#include "bans/ban_list_edit.h"
#include "bans/permanent_ban_list.h"
#include "bans/temporary_ban_list.h"
#include "server/capability.h"

namespace vantrel {

// Bans: transaction 110, loading the permanent list at start-up, and the
// operator's edits of it. Both lists are handed in by the composition root,
// which owns them, because the core bans into the temporary list and the login
// checks both. Core thread only.
class BansCapability final : public Capability {
 public:
  // REQUIRES: everything `services` refers to outlives the capability.
  explicit BansCapability(const BanServices& services) : services_(services) {}

  void RegisterHandlers(DispatchTable& table) override;
  // Loads the permanent ban list.
  void Start(std::function<void()> then) override;

  PermanentBanList& Permanent() { return services_.permanent_bans; }
  TemporaryBanList& Temporary() { return services_.temporary_bans; }

  // The operator's edit of the permanent list (ban_list_edit.h).
  size_t SaveOperatorBans(const BanList& working) {
    return vantrel::SaveOperatorBans(services_, working);
  }

 private:
  BanServices services_;
};

}  // namespace vantrel
