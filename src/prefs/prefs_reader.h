#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "platform/random.h"
#include "prefs/server_settings.h"

namespace vantrel {

// Reading the "Prefs" file: pure code over the file's bytes (the file access is
// in prefs_file.h). Never trusts the bytes: every read is bounds-checked.

// Decodes a version-5 or version-4 file. Only the first 8192 bytes count. Returns
// nullopt when the bytes count as a missing file: fewer than 96 bytes, another
// version, or a string running past the end. Texts longer than their setting
// holds are cut; the tracker entries get address kind 42 and the port of their
// address text. Nothing is filled in: see FillUnsetSettings.
std::optional<ServerSettings> DecodePrefs(std::span<const uint8_t> bytes);

// The replacements made after every read, of a file or of the defaults: a pass ID
// of 0 becomes a random non-zero number; an empty first tracker address becomes
// kDefaultTrackerHost (with empty reserved text and password); a server port, max
// downloads or max downloads per client of 0 becomes its default; an empty head
// admin login becomes "admin".
void FillUnsetSettings(ServerSettings& settings, Random& random);

// The whole read: the decoded file, or every default when it counts as missing,
// then FillUnsetSettings.
ServerSettings SettingsFromPrefs(std::span<const uint8_t> bytes, Random& random);

}  // namespace vantrel
