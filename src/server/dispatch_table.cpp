#include "server/dispatch_table.h"

#include <cassert>
#include <utility>

namespace vantrel {

void DispatchTable::Register(uint16_t type, Handler handler) {
  assert(type <= kMaxType);
  logged_in_[type] = std::move(handler);
}

void DispatchTable::RegisterBeforeLogin(uint16_t type, Handler handler) {
  assert(type <= kMaxType);
  before_login_[type] = std::move(handler);
}

const Handler* DispatchTable::Find(uint16_t type, bool logged_in) const {
  if (type > kMaxType) return nullptr;
  const Handler& handler = logged_in ? logged_in_[type] : before_login_[type];
  return handler ? &handler : nullptr;
}

}  // namespace vantrel
