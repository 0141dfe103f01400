#pragma once

#include <filesystem>

#include "platform/file_system.h"
#include "platform/random.h"
#include "prefs/server_settings.h"

namespace vantrel {

// The "Prefs" file in the server folder, read and written through
// `file_system`. Core thread only; each call opens, reads or writes and closes
// the file.

// Reads at most 8192 bytes of "Prefs" and returns the settings they hold
// (SettingsFromPrefs). A missing, unreadable, short, foreign-version or truncated
// file gives the defaults; never raises. `random` makes a new tracker pass ID
// when the file has none.
ServerSettings ReadPrefsFile(FileSystem& file_system, const std::filesystem::path& server_folder,
                             Random& random);

// What start-up reads: the settings, and whether a damaged "Prefs" was set aside.
struct LoadedPrefs {
  ServerSettings settings;
  bool set_aside = false;
};

// Start-up's read: ReadPrefsFile, except that a "Prefs" that is there but gives
// no settings (damaged, cut short, another version) is first renamed to
// "Prefs.damaged" (replacing an older one), so that the defaults written at the
// next save do not destroy what it held. A "Prefs.new" left by an interrupted
// save is removed first. Never raises; a failed rename leaves the file where it is.
LoadedPrefs LoadPrefsFile(FileSystem& file_system, const std::filesystem::path& server_folder,
                          Random& random);

// Replaces "Prefs" by the version-5 file of `settings`: writes "Prefs.new",
// syncs it and renames it over "Prefs" (FileSystem::ReplaceFile), so a crash
// never leaves half a file.
// On failure the partial file is deleted, an existing "Prefs" stays as it was,
// and Omberly::CException of class 4 is raised with the errno (file_failure.h).
void WritePrefsFile(FileSystem& file_system, const std::filesystem::path& server_folder,
                    const ServerSettings& settings);

}  // namespace vantrel
