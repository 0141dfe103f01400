#include "prefs/settings_console.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <functional>
#include <limits>

#include "platform/mac_roman.h"
#include "prefs/setting_fields.h"

namespace vantrel {
namespace {

// Column widths of the settings list.
constexpr int kNameColumn = 26;
constexpr int kLabelColumn = 40;

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return lower;
}

std::string_view Trim(std::string_view text) {
  const auto blank = [](char ch) { return std::isspace(static_cast<unsigned char>(ch)) != 0; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// A decimal number; a number too large for int64_t is taken as the largest one,
// which no range accepts. False when `text` is no number.
bool ParseNumber(std::string_view text, int64_t& number) {
  const char* first = text.data();
  const char* last = first + text.size();
  const auto [end, error] = std::from_chars(first, last, number);
  if (text.empty() || end != last) return false;
  if (error == std::errc::result_out_of_range) number = std::numeric_limits<int64_t>::max();
  return error == std::errc{} || error == std::errc::result_out_of_range;
}

bool ParseAddress(std::string_view text, std::array<int64_t, 4>& parts) {
  for (size_t i = 0; i < parts.size(); ++i) {
    const size_t dot = i + 1 < parts.size() ? text.find('.') : text.size();
    if (dot == std::string_view::npos) return false;
    const std::string_view part = text.substr(0, dot);
    if (part.empty() || part.front() == '-' || !ParseNumber(part, parts[i])) return false;
    text.remove_prefix(std::min(text.size(), dot + 1));
  }
  return true;
}

bool ParseSwitch(std::string_view text, bool& on) {
  const std::string word = Lower(text);
  if (word == "on" || word == "yes" || word == "true" || word == "1") return on = true, true;
  if (word == "off" || word == "no" || word == "false" || word == "0") return on = false, true;
  return false;
}

SetSettingResult Refuse(const ServerSettings& current, std::string text) {
  return {false, {current, {}}, std::move(text) + "\n"};
}

std::string Quoted(std::string_view text) {
  return "\"" + std::string(text) + "\"";
}

}  // namespace

std::vector<SettingLine> ListSettings(const ServerSettings& settings) {
  std::vector<SettingLine> lines;
  for (const SettingField& field : SettingFields()) {
    lines.push_back({field.name, field.label, SettingValueText(field, settings)});
  }
  return lines;
}

std::string SettingsListText(const ServerSettings& settings) {
  std::string text;
  for (const SettingLine& line : ListSettings(settings)) {
    char columns[128];
    std::snprintf(columns, sizeof columns, "%-*s %-*s ", kNameColumn, line.name.c_str(),
                  kLabelColumn, line.label.c_str());
    text += columns + line.value + "\n";
  }
  return text;
}

SetSettingResult SetSetting(const ServerSettings& current, std::string_view name,
                            std::string_view value) {
  const std::string wanted = Lower(Trim(name));
  const auto field = std::find_if(SettingFields().begin(), SettingFields().end(),
                                  [&](const SettingField& f) { return f.name == wanted; });
  if (field == SettingFields().end()) {
    return Refuse(current,
                  "Unknown setting " + Quoted(name) + ". Type \"options\" to list the settings.");
  }
  const std::string prefix = field->name + ": ";
  const std::string_view trimmed = Trim(value);
  OptionsInput input = OptionsInputFrom(current);
  std::string notes;

  switch (field->kind) {
    case SettingKind::kText: {
      std::string text = Utf8ToMacRoman(value);
      if (text.size() > field->limit) {
        notes += prefix + "cut to " + std::to_string(field->limit) + " bytes.\n";
      }
      field->text(input) = std::move(text);
      break;
    }
    case SettingKind::kNumber: {
      int64_t number = 0;
      if (!ParseNumber(trimmed, number)) {
        return Refuse(current, prefix + Quoted(value) + " is not a number.");
      }
      if (number < field->low || number > field->high) {
        return Refuse(current, prefix + std::string(trimmed) + " is outside " +
                                   std::to_string(field->low) + " to " +
                                   std::to_string(field->high) + "; the value stays " +
                                   SettingValueText(*field, current) + ".");
      }
      field->number(input) = number;
      break;
    }
    case SettingKind::kAddress: {
      std::array<int64_t, 4> parts{};
      if (!ParseAddress(trimmed, parts)) {
        return Refuse(current, prefix + Quoted(value) + " is not four numbers joined by dots.");
      }
      if (std::any_of(parts.begin(), parts.end(), [](int64_t p) { return p > kMaxAddressPart; })) {
        return Refuse(current, prefix + std::string(trimmed) +
                                   " has a number outside 0 to 255; the value stays " +
                                   SettingValueText(*field, current) + ".");
      }
      input.server_ip_address = parts;
      break;
    }
    case SettingKind::kFlag:
    case SettingKind::kBannerMode: {
      bool on = false;
      const bool banner = field->kind == SettingKind::kBannerMode;
      const std::string word = Lower(trimmed);
      const bool parsed = banner ? (word == "local" || word == "remote") : ParseSwitch(trimmed, on);
      if (!parsed) {
        return Refuse(current, prefix + Quoted(value) +
                                   (banner ? " is not local or remote." : " is not on or off."));
      }
      if (banner) on = word == "local";
      const uint32_t flag = banner ? kOptionLocalBanner : field->flag;
      input.option_flags = on ? (input.option_flags | flag) : (input.option_flags & ~flag);
      break;
    }
    case SettingKind::kPassId:
    case SettingKind::kResolveShortcuts:
      return Refuse(current, field->name + " cannot be changed.");
  }

  SetSettingResult result{true, ApplyOptions(current, input), {}};
  const ServerSettings& next = result.applied.settings;
  result.text = field->name + " = " + SettingValueText(*field, next) + "\n" + notes;
  if ((input.option_flags & kOptionRegisterWithTrackers) != 0 &&
      !next.Option(kOptionRegisterWithTrackers)) {
    result.text +=
        "list-with-trackers: off, registration needs a server name and a tracker address.\n";
  }
  if (result.applied.effects.restart_notice) {
    result.text += std::string(kRestartNoticeTitle) + ": " + kRestartNoticeText + "\n";
  }
  return result;
}

}  // namespace vantrel
