#pragma once

#include <cstdint>
#include <filesystem>

#include "protocol/access_privileges.h"

namespace vantrel::load {

// Privilege bits of the load's "guest" account: read chat (9) and send chat (10).
inline constexpr unsigned kGuestPrivilegeBits[] = {kPrivilegeReadChat, kPrivilegeSendChat};

// Makes `folder` (created when missing) a server folder for the measurement:
// "Prefs" with the server on 127.0.0.1:`port`, no limit of connections per
// address, no sounds, no confirmation to quit and no log files; and a "guest"
// account with an empty password and the privileges above. Rewrites the record of
// a "guest" account already there. Raises Omberly::CException when a file cannot be written.
void PrepareServerFolder(const std::filesystem::path& folder, uint16_t port);

}  // namespace vantrel::load
