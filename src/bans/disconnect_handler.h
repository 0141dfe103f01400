#pragma once

#include <cstdint>

#include "bans/ban_list_edit.h"
#include "server/dispatch_table.h"

namespace vantrel {

// The options of transaction 110 (field 113); any other value disconnects only.
inline constexpr uint32_t kDisconnectWithTemporaryBan = 1;
inline constexpr uint32_t kDisconnectWithPermanentBan = 2;

// Registers transaction 110, Disconnect user: with privilege 22, closes the
// connection of the user named by field 103 unless it holds privilege 23, after
// telling it why and banning its address for 1800 s (option 1) or for good
// (option 2, field 101 the reason), and logs the disconnect. A permanent ban
// that cannot be saved still bans and disconnects; the reply is then an error
// naming the failure, which is also reported.
// REQUIRES: `bans` outlives `table`.
void RegisterBanHandlers(DispatchTable& table, const BanServices& bans);

}  // namespace vantrel
