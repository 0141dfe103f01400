#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "prefs/server_settings.h"

namespace vantrel {

// Accepted ranges of the numbers the operator types; a number outside its range
// leaves the old value in place.
inline constexpr int64_t kMinServerPort = 1;
inline constexpr int64_t kMaxServerPort = 65534;
inline constexpr int64_t kMinDownloads = 1;  // max downloads, and per client
inline constexpr int64_t kMaxDownloads = 65534;
inline constexpr int64_t kMinConnectionsPerAddress = 0;  // 0 = no limit
inline constexpr int64_t kMaxConnectionsPerAddress = 65534;
inline constexpr int64_t kMaxAddressPart = 255;  // each of the four numbers of the server IP

// The notice shown after the options were confirmed with a new address or port.
inline constexpr const char* kRestartNoticeTitle = "Restart the server";
inline constexpr const char* kRestartNoticeText =
    "Changes of the Server IP or Port Number will only take effect after the server is "
    "restarted.";

// The settings as the operator typed them in the options window: numbers as
// typed (possibly out of range), texts in Mac Roman (possibly too long).
struct OptionsInput {
  struct Tracker {
    std::string address;
    std::string password;
  };

  std::string server_name;
  std::string server_description;
  int64_t server_port = 0;
  std::array<int64_t, 4> server_ip_address{};  // the four numbers, first part first
  int64_t max_downloads = 0;
  int64_t max_downloads_per_client = 0;
  int64_t max_connections_per_address = 0;
  uint32_t option_flags = 0;
  std::string head_admin_login;  // already cleaned by the account login rule
  std::string banner_file;
  std::string banner_link;
  std::string banner_url;
  std::array<Tracker, kTrackerCount> trackers{};
};

// The options window as it opens: every field showing the current settings.
OptionsInput OptionsInputFrom(const ServerSettings& settings);

// What the application does after the options were confirmed, besides storing
// the new settings and writing "Prefs".
struct OptionsEffects {
  // Show kRestartNoticeText titled kRestartNoticeTitle once the options are
  // closed. The listeners stay on the old address and port until the next start.
  bool restart_notice = false;
  // Load the agreement and the banner again: the banner mode changed, or the
  // file or link of a local banner, or the URL of a remote banner.
  bool reload_banner = false;
  // True: restart the 300-second registration timer and register at once.
  // False: stop the timer.
  bool tracker_registration = false;
  // Check the head admin account again (the login changed).
  bool head_admin_changed = false;
};

struct AppliedOptions {
  ServerSettings settings;
  OptionsEffects effects;
};

// Applies the options window's fields to `current` (OK in the options window):
// in-range numbers and the new address are taken, texts cut to their settings'
// lengths, tracker addresses trimmed of surrounding blanks with their port rule
// applied (reserved texts kept), and flag 0x01 cleared when no tracker address is
// filled in or the server name is empty. Settings that have no field (pass ID,
// window state, resolve shortcuts) are kept. Pure.
AppliedOptions ApplyOptions(const ServerSettings& current, const OptionsInput& typed);

}  // namespace vantrel
