#include "prefs/setting_fields.h"

#include <array>
#include <utility>

#include "platform/mac_roman.h"

namespace vantrel {
namespace {

SettingField TextField(std::string name, std::string label,
                       std::function<std::string&(OptionsInput&)> text, size_t limit) {
  SettingField field{std::move(name), std::move(label), SettingKind::kText};
  field.text = std::move(text);
  field.limit = limit;
  return field;
}

SettingField NumberField(std::string name, std::string label,
                         std::function<int64_t&(OptionsInput&)> number, int64_t low, int64_t high) {
  SettingField field{std::move(name), std::move(label), SettingKind::kNumber};
  field.number = std::move(number);
  field.low = low;
  field.high = high;
  return field;
}

SettingField FlagField(std::string name, std::string label, uint32_t flag) {
  SettingField field{std::move(name), std::move(label), SettingKind::kFlag};
  field.flag = flag;
  return field;
}

std::vector<SettingField> BuildFields() {
  using In = OptionsInput;
  std::vector<SettingField> fields;
  fields.push_back(TextField(
      "server-name", "Name:", [](In& in) -> std::string& { return in.server_name; },
      kMaxServerName));
  fields.push_back(TextField(
      "server-description", "Description:",
      [](In& in) -> std::string& { return in.server_description; }, kMaxServerDescription));
  fields.push_back(NumberField(
      "port", "Server port number:", [](In& in) -> int64_t& { return in.server_port; },
      kMinServerPort, kMaxServerPort));
  fields.push_back(SettingField{"ip", "Server IP:", SettingKind::kAddress});
  fields.push_back(NumberField(
      "max-downloads", "Maximum simultaneous downloads:",
      [](In& in) -> int64_t& { return in.max_downloads; }, kMinDownloads, kMaxDownloads));
  fields.push_back(NumberField(
      "max-downloads-per-client", "Maximum simultaneous downloads/client:",
      [](In& in) -> int64_t& { return in.max_downloads_per_client; }, kMinDownloads,
      kMaxDownloads));
  fields.push_back(NumberField(
      "max-connections-per-ip", "Maximum simultaneous connections/IP:",
      [](In& in) -> int64_t& { return in.max_connections_per_address; }, kMinConnectionsPerAddress,
      kMaxConnectionsPerAddress));
  fields.push_back(
      FlagField("list-with-trackers", "List with Vantrel Trackers:", kOptionRegisterWithTrackers));
  fields.push_back(FlagField("log-downloads", "Log Downloads to file", kOptionLogDownloads));
  fields.push_back(FlagField("log-uploads", "Log Uploads to file", kOptionLogUploads));
  fields.push_back(FlagField("log-connects", "Log Connects to file", kOptionLogConnects));
  fields.push_back(
      FlagField("log-account-changes", "Log Account Changes to file", kOptionLogAccountChanges));
  fields.push_back(FlagField("play-sounds", "Play Sounds", kOptionPlaySounds));
  fields.push_back(FlagField("confirm-quit", "Confirm Quit", kOptionConfirmQuit));
  fields.push_back(FlagField("enable-mtp", "Enable MTP", kOptionEnableMtp));
  fields.push_back(SettingField{"banner-mode", "Local / Remote", SettingKind::kBannerMode});
  fields.push_back(TextField(
      "banner-file", "Banner:", [](In& in) -> std::string& { return in.banner_file; },
      kMaxBannerFile));
  fields.push_back(TextField(
      "banner-link", "Link:", [](In& in) -> std::string& { return in.banner_link; },
      kMaxBannerLink));
  fields.push_back(TextField(
      "banner-url", "URL:", [](In& in) -> std::string& { return in.banner_url; }, kMaxBannerUrl));
  fields.push_back(TextField(
      "admin-login", "Admin Account Login:",
      [](In& in) -> std::string& { return in.head_admin_login; }, kMaxHeadAdminLogin));
  for (size_t i = 0; i < kTrackerCount; ++i) {
    const std::string tracker = "tracker" + std::to_string(i + 1);
    fields.push_back(TextField(
        tracker, "Address", [i](In& in) -> std::string& { return in.trackers[i].address; },
        kMaxTrackerAddress));
    fields.push_back(TextField(
        tracker + "-password", "Password",
        [i](In& in) -> std::string& { return in.trackers[i].password; }, kMaxTrackerPassword));
  }
  fields.push_back(SettingField{"tracker-pass-id", "(read only)", SettingKind::kPassId});
  fields.push_back(
      SettingField{"resolve-shortcuts", "(read only)", SettingKind::kResolveShortcuts});
  return fields;
}

std::string OnOff(bool on) {
  return on ? "on" : "off";
}

std::string DottedText(const std::array<int64_t, 4>& parts) {
  return std::to_string(parts[0]) + "." + std::to_string(parts[1]) + "." +
         std::to_string(parts[2]) + "." + std::to_string(parts[3]);
}

}  // namespace

const std::vector<SettingField>& SettingFields() {
  static const std::vector<SettingField> fields = BuildFields();
  return fields;
}

std::string SettingValueText(const SettingField& field, const ServerSettings& settings) {
  OptionsInput input = OptionsInputFrom(settings);
  switch (field.kind) {
    case SettingKind::kText:
      return MacRomanToOperatorText(field.text(input));
    case SettingKind::kNumber:
      return std::to_string(field.number(input));
    case SettingKind::kAddress:
      return DottedText(input.server_ip_address);
    case SettingKind::kFlag:
      return OnOff(settings.Option(field.flag));
    case SettingKind::kBannerMode:
      return settings.Option(kOptionLocalBanner) ? "local" : "remote";
    case SettingKind::kPassId:
      return std::to_string(settings.tracker_pass_id);
    case SettingKind::kResolveShortcuts:
      return OnOff(settings.resolve_shortcuts_with_dialogs);
  }
  return {};
}

}  // namespace vantrel
