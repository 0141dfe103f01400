#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace vantrel {

// Names on the wire are Mac Roman; names on the disk are UTF-8. A disk name with
// characters Mac Roman lacks (or bytes that are not UTF-8) is shown to clients
// with "?" in their place, and found again by that name. Core thread only.

// The name clients are shown for the disk name `host_name`, cut to 255 bytes.
std::string WireName(std::string_view host_name);

// The entry of `folder` that the client's `wire_name` names: the name's UTF-8
// form when an entry has it (or when the name holds no "?", so that it can
// name nothing else); else the one entry whose shown name is `wire_name`; else,
// when none or several are, the UTF-8 form again (naming a missing entry).
// Never raises: a folder that cannot be listed has no entries to match.
std::string HostEntryName(FileSystem& file_system, const std::filesystem::path& folder,
                          std::string_view wire_name);

}  // namespace vantrel
