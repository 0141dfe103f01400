#pragma once

#include <cstdint>
#include <vector>

#include "prefs/server_settings.h"

namespace vantrel {

// The bytes of a version-5 "Prefs" file holding `settings`, window state
// included. Pure. Texts longer than their setting holds are cut to it, so the
// result reads back (DecodePrefs) as the same settings, provided each tracker
// entry has kind 42 and the port of its address text.
std::vector<uint8_t> EncodePrefs(const ServerSettings& settings);

}  // namespace vantrel
