#pragma once

#include <cstdint>
#include <filesystem>

#include "protocol/access_privileges.h"

namespace vantrel::load {

// Privilege bits of the measurements' "guest" account: read chat (9) and send
// chat (10) for the chat load; download (2), upload (1) and upload anywhere
// (25) for the transfers.
inline constexpr unsigned kGuestPrivilegeBits[] = {kPrivilegeReadChat, kPrivilegeSendChat,
                                                   kPrivilegeDownloadFiles, kPrivilegeUploadFiles,
                                                   kPrivilegeUploadAnywhere};
// Downloads the server serves at once, in all and to one client, before it
// queues more: above the transfer comparison's 100 clients at once.
inline constexpr uint16_t kPreparedMaxDownloads = 1000;

// Makes `folder` (created when missing) a server folder for the measurement:
// "Prefs" with the server on 127.0.0.1:`port`, no limit of connections per
// address, kPreparedMaxDownloads downloads at once, no sounds, no confirmation
// to quit and no log files; and a "guest" account with an empty password and
// the privileges above. Rewrites the record of
// a "guest" account already there. Raises Omberly::CException when a file cannot be written.
void PrepareServerFolder(const std::filesystem::path& folder, uint16_t port);

}  // namespace vantrel::load
