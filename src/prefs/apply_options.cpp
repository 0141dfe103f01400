#include "prefs/apply_options.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace vantrel {
namespace {

uint16_t InRangeOr(int64_t typed, int64_t low, int64_t high, uint16_t old_value) {
  return typed >= low && typed <= high ? static_cast<uint16_t>(typed) : old_value;
}

std::string Cut(std::string_view text, size_t limit) {
  return std::string(text.substr(0, limit));
}

std::string TrimBlanks(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r\n";
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(kBlanks);
  return std::string(text.substr(first, last - first + 1));
}

uint32_t AddressOr(const std::array<int64_t, 4>& parts, uint32_t old_address) {
  uint32_t address = 0;
  for (const int64_t part : parts) {
    if (part < 0 || part > kMaxAddressPart) return old_address;
    address = (address << 8) | static_cast<uint32_t>(part);
  }
  return address;
}

bool BannerChanged(const ServerSettings& before, const ServerSettings& after) {
  const bool was_local = before.Option(kOptionLocalBanner);
  const bool is_local = after.Option(kOptionLocalBanner);
  if (was_local != is_local) return true;
  if (is_local)
    return before.banner_file != after.banner_file || before.banner_link != after.banner_link;
  return before.banner_url != after.banner_url;
}

}  // namespace

OptionsInput OptionsInputFrom(const ServerSettings& settings) {
  OptionsInput input;
  input.server_name = settings.server_name;
  input.server_description = settings.server_description;
  input.server_port = settings.server_port;
  for (size_t i = 0; i < input.server_ip_address.size(); ++i) {
    input.server_ip_address[i] = (settings.server_ip_address >> (24 - 8 * i)) & 0xFF;
  }
  input.max_downloads = settings.max_downloads;
  input.max_downloads_per_client = settings.max_downloads_per_client;
  input.max_connections_per_address = settings.max_connections_per_address;
  input.option_flags = settings.option_flags;
  input.head_admin_login = settings.head_admin_login;
  input.banner_file = settings.banner_file;
  input.banner_link = settings.banner_link;
  input.banner_url = settings.banner_url;
  for (size_t i = 0; i < kTrackerCount; ++i) {
    input.trackers[i].address = settings.tracker_list[i].address;
    input.trackers[i].password = settings.tracker_list[i].password;
  }
  return input;
}

AppliedOptions ApplyOptions(const ServerSettings& current, const OptionsInput& typed) {
  ServerSettings next = current;
  next.server_name = Cut(typed.server_name, kMaxServerName);
  next.server_description = Cut(typed.server_description, kMaxServerDescription);
  next.server_port =
      InRangeOr(typed.server_port, kMinServerPort, kMaxServerPort, current.server_port);
  next.server_ip_address = AddressOr(typed.server_ip_address, current.server_ip_address);
  next.max_downloads =
      InRangeOr(typed.max_downloads, kMinDownloads, kMaxDownloads, current.max_downloads);
  next.max_downloads_per_client = InRangeOr(typed.max_downloads_per_client, kMinDownloads,
                                            kMaxDownloads, current.max_downloads_per_client);
  next.max_connections_per_address =
      InRangeOr(typed.max_connections_per_address, kMinConnectionsPerAddress,
                kMaxConnectionsPerAddress, current.max_connections_per_address);
  next.option_flags = typed.option_flags;
  next.head_admin_login = Cut(typed.head_admin_login, kMaxHeadAdminLogin);
  next.banner_file = Cut(typed.banner_file, kMaxBannerFile);
  next.banner_link = Cut(typed.banner_link, kMaxBannerLink);
  next.banner_url = Cut(typed.banner_url, kMaxBannerUrl);

  bool any_tracker = false;
  for (size_t i = 0; i < kTrackerCount; ++i) {
    TrackerEntry& entry = next.tracker_list[i];
    entry.address = Cut(TrimBlanks(typed.trackers[i].address), kMaxTrackerAddress);
    entry.password = Cut(typed.trackers[i].password, kMaxTrackerPassword);
    entry.address_kind = kTrackerAddressKind;
    entry.port = TrackerPortFor(entry.address);
    any_tracker = any_tracker || !entry.address.empty();
  }
  if (!any_tracker || next.server_name.empty()) next.option_flags &= ~kOptionRegisterWithTrackers;

  OptionsEffects effects;
  effects.restart_notice = next.server_ip_address != current.server_ip_address ||
                           next.server_port != current.server_port;
  effects.reload_banner = BannerChanged(current, next);
  effects.tracker_registration = next.Option(kOptionRegisterWithTrackers);
  effects.head_admin_changed = next.head_admin_login != current.head_admin_login;
  return {std::move(next), effects};
}

}  // namespace vantrel
