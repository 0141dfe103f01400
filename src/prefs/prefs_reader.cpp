#include "prefs/prefs_reader.h"

#include <algorithm>
#include <string>

#include "platform/byte_order.h"
#include "prefs/prefs_layout.h"

namespace vantrel {
namespace {

namespace layout = prefs_layout;

WindowState::Rectangle GetRectangle(std::span<const uint8_t> bytes, size_t offset) {
  WindowState::Rectangle rectangle{};
  for (size_t i = 0; i < rectangle.size(); ++i) {
    rectangle[i] = static_cast<int16_t>(Get16(bytes, offset + 2 * i));
  }
  return rectangle;
}

// Walks the length-prefixed strings; remembers whether one ran past the end.
class StringCursor {
 public:
  StringCursor(std::span<const uint8_t> bytes, size_t offset) : bytes_(bytes), offset_(offset) {}

  // The next string cut to `limit` bytes; empty once a string has run past the end.
  std::string Next(size_t limit) {
    if (overrun_ || offset_ >= bytes_.size()) {
      overrun_ = true;
      return {};
    }
    const size_t length = bytes_[offset_];
    if (length > bytes_.size() - offset_ - 1) {
      overrun_ = true;
      return {};
    }
    const auto* first = bytes_.data() + offset_ + 1;
    offset_ += 1 + length;
    return std::string(first, first + std::min(length, limit));
  }

  void Skip(size_t count) {
    for (size_t i = 0; i < count; ++i) Next(0);
  }

  bool Overrun() const { return overrun_; }

 private:
  std::span<const uint8_t> bytes_;
  size_t offset_;
  bool overrun_ = false;
};

}  // namespace

std::optional<ServerSettings> DecodePrefs(std::span<const uint8_t> bytes) {
  bytes = bytes.first(std::min(bytes.size(), layout::kReadLimit));
  if (bytes.size() < layout::kMinimumSize) return std::nullopt;
  const uint16_t version = Get16(bytes, layout::kVersion);
  if (version != layout::kCurrentVersion && version != layout::kOldVersion) return std::nullopt;

  ServerSettings settings;
  settings.window_state.visibility = Get16(bytes, layout::kWindowVisibility);
  settings.window_state.main_window = GetRectangle(bytes, layout::kMainWindowRect);
  settings.window_state.log_window = GetRectangle(bytes, layout::kLogWindowRect);
  settings.window_state.stats_window = GetRectangle(bytes, layout::kStatsWindowRect);
  settings.max_connections_per_address = Get16(bytes, layout::kMaxConnections);
  settings.server_ip_address = Get32(bytes, layout::kServerIpAddress);
  settings.option_flags = Get32(bytes, layout::kOptionFlags);
  settings.server_port = Get16(bytes, layout::kServerPort);
  settings.max_downloads = Get16(bytes, layout::kMaxDownloads);
  settings.max_downloads_per_client = Get16(bytes, layout::kMaxDownloadsPerClient);
  // The stored value only ever turns the setting on.
  if (bytes[layout::kResolveShortcuts] != 0) settings.resolve_shortcuts_with_dialogs = true;
  settings.tracker_pass_id = Get32(bytes, layout::kTrackerPassId);

  StringCursor strings(bytes, layout::kStrings);
  strings.Skip(layout::kEmptyStringsBeforeName);
  settings.server_name = strings.Next(kMaxServerName);
  strings.Skip(layout::kEmptyStringsAfterName);
  settings.server_description = strings.Next(kMaxServerDescription);
  settings.head_admin_login = strings.Next(kMaxHeadAdminLogin);
  settings.banner_file = strings.Next(kMaxBannerFile);
  settings.banner_link = strings.Next(kMaxBannerLink);
  settings.banner_url = strings.Next(kMaxBannerUrl);
  for (TrackerEntry& entry : settings.tracker_list) {
    entry.address = strings.Next(kMaxTrackerAddress);
    if (version == layout::kCurrentVersion) entry.reserved = strings.Next(kMaxTrackerReserved);
    entry.password = strings.Next(kMaxTrackerPassword);
    entry.address_kind = kTrackerAddressKind;
    entry.port = TrackerPortFor(entry.address);
  }
  if (strings.Overrun()) return std::nullopt;
  return settings;
}

void FillUnsetSettings(ServerSettings& settings, Random& random) {
  while (settings.tracker_pass_id == 0) settings.tracker_pass_id = random.Next32();
  TrackerEntry& first = settings.tracker_list[0];
  if (first.address.empty()) {
    first = TrackerEntry{};
    first.address = kDefaultTrackerHost;
    first.port = TrackerPortFor(first.address);
  }
  if (settings.server_port == 0) settings.server_port = kDefaultServerPort;
  if (settings.max_downloads == 0) settings.max_downloads = kDefaultMaxDownloads;
  if (settings.max_downloads_per_client == 0) {
    settings.max_downloads_per_client = kDefaultMaxDownloadsPerClient;
  }
  if (settings.head_admin_login.empty()) settings.head_admin_login = kDefaultHeadAdminLogin;
}

ServerSettings SettingsFromPrefs(std::span<const uint8_t> bytes, Random& random) {
  ServerSettings settings = DecodePrefs(bytes).value_or(ServerSettings{});
  FillUnsetSettings(settings, random);
  return settings;
}

}  // namespace vantrel
