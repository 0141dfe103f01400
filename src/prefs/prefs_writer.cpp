#include "prefs/prefs_writer.h"

#include <cassert>
#include <string_view>

#include "platform/byte_order.h"
#include "prefs/prefs_layout.h"

namespace vantrel {
namespace {

namespace layout = prefs_layout;

void PutRectangle(std::vector<uint8_t>& out, const WindowState::Rectangle& rectangle) {
  for (const int16_t coordinate : rectangle) Append16(out, static_cast<uint16_t>(coordinate));
}

void PutEmptyStrings(std::vector<uint8_t>& out, size_t count) {
  out.insert(out.end(), count, 0);
}

}  // namespace

std::vector<uint8_t> EncodePrefs(const ServerSettings& settings) {
  std::vector<uint8_t> out;
  out.reserve(layout::kMinimumSize);
  Append16(out, layout::kCurrentVersion);
  Append16(out, settings.window_state.visibility);
  PutRectangle(out, settings.window_state.main_window);
  PutRectangle(out, settings.window_state.log_window);
  PutRectangle(out, settings.window_state.stats_window);
  out.insert(out.end(), layout::kZeroAreaSize, 0);
  Append16(out, settings.max_connections_per_address);
  Append32(out, settings.server_ip_address);
  Append32(out, settings.option_flags);
  Append16(out, settings.server_port);
  Append16(out, settings.max_downloads);
  Append16(out, settings.max_downloads_per_client);
  out.push_back(settings.resolve_shortcuts_with_dialogs ? 1 : 0);
  out.push_back(0);
  Append32(out, settings.tracker_pass_id);
  assert(out.size() == layout::kStrings);

  PutEmptyStrings(out, layout::kEmptyStringsBeforeName);
  AppendLengthPrefixed(out, settings.server_name, kMaxServerName);
  PutEmptyStrings(out, layout::kEmptyStringsAfterName);
  AppendLengthPrefixed(out, settings.server_description, kMaxServerDescription);
  AppendLengthPrefixed(out, settings.head_admin_login, kMaxHeadAdminLogin);
  AppendLengthPrefixed(out, settings.banner_file, kMaxBannerFile);
  AppendLengthPrefixed(out, settings.banner_link, kMaxBannerLink);
  AppendLengthPrefixed(out, settings.banner_url, kMaxBannerUrl);
  for (const TrackerEntry& entry : settings.tracker_list) {
    AppendLengthPrefixed(out, entry.address, kMaxTrackerAddress);
    AppendLengthPrefixed(out, entry.reserved, kMaxTrackerReserved);
    AppendLengthPrefixed(out, entry.password, kMaxTrackerPassword);
  }
  return out;
}

}  // namespace vantrel
