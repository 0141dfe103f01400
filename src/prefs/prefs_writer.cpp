#include "prefs/prefs_writer.h"

#include <cassert>
#include <string_view>

#include "prefs/prefs_layout.h"

namespace vantrel {
namespace {

namespace layout = prefs_layout;

void Put16(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value >> 8));
  out.push_back(static_cast<uint8_t>(value));
}

void Put32(std::vector<uint8_t>& out, uint32_t value) {
  Put16(out, static_cast<uint16_t>(value >> 16));
  Put16(out, static_cast<uint16_t>(value));
}

void PutRectangle(std::vector<uint8_t>& out, const WindowState::Rectangle& rectangle) {
  for (const int16_t coordinate : rectangle) Put16(out, static_cast<uint16_t>(coordinate));
}

void PutString(std::vector<uint8_t>& out, std::string_view text, size_t limit) {
  text = text.substr(0, limit);
  out.push_back(static_cast<uint8_t>(text.size()));
  out.insert(out.end(), text.begin(), text.end());
}

void PutEmptyStrings(std::vector<uint8_t>& out, size_t count) {
  out.insert(out.end(), count, 0);
}

}  // namespace

std::vector<uint8_t> EncodePrefs(const ServerSettings& settings) {
  std::vector<uint8_t> out;
  out.reserve(layout::kMinimumSize);
  Put16(out, layout::kCurrentVersion);
  Put16(out, settings.window_state.visibility);
  PutRectangle(out, settings.window_state.main_window);
  PutRectangle(out, settings.window_state.log_window);
  PutRectangle(out, settings.window_state.stats_window);
  out.insert(out.end(), layout::kZeroAreaSize, 0);
  Put16(out, settings.max_connections_per_address);
  Put32(out, settings.server_ip_address);
  Put32(out, settings.option_flags);
  Put16(out, settings.server_port);
  Put16(out, settings.max_downloads);
  Put16(out, settings.max_downloads_per_client);
  out.push_back(settings.resolve_shortcuts_with_dialogs ? 1 : 0);
  out.push_back(0);
  Put32(out, settings.tracker_pass_id);
  assert(out.size() == layout::kStrings);

  PutEmptyStrings(out, layout::kEmptyStringsBeforeName);
  PutString(out, settings.server_name, kMaxServerName);
  PutEmptyStrings(out, layout::kEmptyStringsAfterName);
  PutString(out, settings.server_description, kMaxServerDescription);
  PutString(out, settings.head_admin_login, kMaxHeadAdminLogin);
  PutString(out, settings.banner_file, kMaxBannerFile);
  PutString(out, settings.banner_link, kMaxBannerLink);
  PutString(out, settings.banner_url, kMaxBannerUrl);
  for (const TrackerEntry& entry : settings.tracker_list) {
    PutString(out, entry.address, kMaxTrackerAddress);
    PutString(out, entry.reserved, kMaxTrackerReserved);
    PutString(out, entry.password, kMaxTrackerPassword);
  }
  return out;
}

}  // namespace vantrel
