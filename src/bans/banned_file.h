#pragma once

#include <filesystem>

#include "bans/ban_record.h"
#include "platform/file_system.h"

namespace vantrel {

// The permanent ban list file "Banned" in the server folder and its backup
// "Banned.bak" (names and layout in banned_layout.h), read and written through
// `file_system`. Each call opens, reads or writes and closes the files. Core
// thread only.

// Reads "Banned" into a list, entries flagged as removed included, oldest
// first. A missing or unreadable file, or a version above 2, gives an empty list
// and leaves the file as it is; a damaged file gives the entries before the
// first damaged one; a file with a count of 0 is deleted. Never raises.
BanList LoadBannedFile(FileSystem& file_system, const std::filesystem::path& server_folder);

// Saves `list` in order, whatever the flags: the previous "Banned" becomes
// "Banned.bak" (an older backup is deleted) and "Banned" holds the version 2
// form of `list`, or no longer exists when `list` is empty. The new contents are
// written and synced as "Banned.new" before anything else changes, and "Banned"
// is replaced by a rename, so a failure or a crash never leaves half a file.
// On failure "Banned.new" is deleted and Omberly::CException of class 4 is
// raised with the errno (file_failure.h); the steps done before it stay done.
void SaveBannedFile(FileSystem& file_system, const std::filesystem::path& server_folder,
                    const BanList& list);

// Removes the "Banned.new" an interrupted save left, if any (start-up). Never raises.
void RemoveBannedLeftover(FileSystem& file_system, const std::filesystem::path& server_folder);

}  // namespace vantrel
