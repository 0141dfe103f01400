#include "server/dispatch_table.h"

#include <cassert>

namespace vantrel {

void DispatchTable::Register(uint16_t type, Handler handler) {
  assert(type <= kMaxType);
  handlers_[type] = handler;
}

}  // namespace vantrel
