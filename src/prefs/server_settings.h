#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace vantrel {

// Bits of ServerSettings::option_flags.
inline constexpr uint32_t kOptionRegisterWithTrackers = 0x01;  // "List with Vantrel Trackers:"
inline constexpr uint32_t kOptionLogDownloads = 0x02;          // "Log Downloads to file"
inline constexpr uint32_t kOptionLogUploads = 0x04;            // "Log Uploads to file"
inline constexpr uint32_t kOptionLogConnects = 0x08;           // "Log Connects to file"
inline constexpr uint32_t kOptionPlaySounds = 0x10;            // "Play Sounds"
inline constexpr uint32_t kOptionConfirmQuit = 0x20;           // "Confirm Quit"
inline constexpr uint32_t kOptionLogAccountChanges = 0x40;     // "Log Account Changes to file"
inline constexpr uint32_t kOptionLocalBanner = 0x80;           // set: local banner, clear: remote
inline constexpr uint32_t kOptionEnableMtp = 0x100;  // "Enable MTP"; stored and shown only

// Longest texts each setting holds, in Mac Roman bytes.
inline constexpr size_t kMaxServerName = 31;
inline constexpr size_t kMaxServerDescription = 127;
inline constexpr size_t kMaxHeadAdminLogin = 31;
inline constexpr size_t kMaxBannerFile = 127;
inline constexpr size_t kMaxBannerLink = 255;
inline constexpr size_t kMaxBannerUrl = 255;
inline constexpr size_t kMaxTrackerAddress = 255;
inline constexpr size_t kMaxTrackerReserved = 31;
inline constexpr size_t kMaxTrackerPassword = 31;

// Defaults of a server without a usable "Prefs" file.
inline constexpr uint16_t kDefaultServerPort = 5500;
inline constexpr uint16_t kDefaultMaxDownloads = 100;
inline constexpr uint16_t kDefaultMaxDownloadsPerClient = 10;
inline constexpr uint16_t kDefaultMaxConnectionsPerAddress = 5;
inline constexpr uint32_t kDefaultOptionFlags = kOptionPlaySounds | kOptionConfirmQuit;
inline constexpr const char* kDefaultHeadAdminLogin = "admin";
// Put into an empty first tracker entry when the settings are read.
inline constexpr const char* kDefaultTrackerHost = "tracker.vantrel.example";

// Trackers are addressed by host name with port (address kind 42). Port 5499 when
// the address text has no colon; port 0 when it has one, the port then being the
// decimal number after the colon.
inline constexpr uint8_t kTrackerAddressKind = 42;
inline constexpr uint16_t kDefaultTrackerPort = 5499;
inline constexpr size_t kTrackerCount = 5;

// One entry of the tracker list. Texts are Mac Roman.
struct TrackerEntry {
  std::string address;   // host name or dotted address, optionally ":port"; at most 255
  std::string reserved;  // kept from the file, never edited or sent; at most 31
  std::string password;  // at most 31
  uint8_t address_kind = kTrackerAddressKind;
  uint16_t port = kDefaultTrackerPort;

  bool operator==(const TrackerEntry&) const = default;
};

// The port an entry's address text gets: kDefaultTrackerPort without a colon, 0 with one.
uint16_t TrackerPortFor(const std::string& address);

// Positions and visibility of the three administration windows, stored but not
// interpreted by the server: each rectangle is four signed coordinates, kept in
// the order the front end wrote them.
inline constexpr uint16_t kMainWindowVisible = 1;
inline constexpr uint16_t kLogWindowVisible = 2;
inline constexpr uint16_t kStatsWindowVisible = 4;
inline constexpr uint16_t kAllWindowsVisible = 7;
struct WindowState {
  using Rectangle = std::array<int16_t, 4>;
  uint16_t visibility = kAllWindowsVisible;
  Rectangle main_window{};
  Rectangle log_window{};
  Rectangle stats_window{};

  bool operator==(const WindowState&) const = default;
};

// Every setting of the server, kept by the application and stored in "Prefs".
// Texts are Mac Roman and never longer than their kMax… constant. A value-type
// record: copy it to edit it.
struct ServerSettings {
  std::string server_name;
  std::string server_description;
  uint16_t server_port = kDefaultServerPort;
  uint32_t server_ip_address = 0;  // first part most significant; 0 = all local addresses
  uint16_t max_downloads = kDefaultMaxDownloads;
  uint16_t max_downloads_per_client = kDefaultMaxDownloadsPerClient;
  uint16_t max_connections_per_address = kDefaultMaxConnectionsPerAddress;  // 0 = no limit
  uint32_t option_flags = kDefaultOptionFlags;
  std::string head_admin_login = kDefaultHeadAdminLogin;
  std::string banner_file;
  std::string banner_link;
  std::string banner_url;
  std::array<TrackerEntry, kTrackerCount> tracker_list{};
  uint32_t tracker_pass_id = 0;  // 0 until a random one is made when reading
  WindowState window_state;
  bool resolve_shortcuts_with_dialogs = false;

  bool Option(uint32_t flag) const { return (option_flags & flag) != 0; }
  bool operator==(const ServerSettings&) const = default;
};

}  // namespace vantrel
