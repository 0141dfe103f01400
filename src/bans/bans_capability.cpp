#include "bans/bans_capability.h"

#include "bans/disconnect_handler.h"

namespace vantrel {

void BansCapability::RegisterHandlers(DispatchTable& table) {
  RegisterBanHandlers(table, services_);
}

void BansCapability::Start(std::function<void()> then) {
  services_.permanent_bans.Load();
  then();
}

}  // namespace vantrel
