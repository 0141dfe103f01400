#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "prefs/apply_options.h"
#include "prefs/server_settings.h"

namespace vantrel {

// The operator console's view of the settings: the `options` listing and the
// `set NAME VALUE` command. Operator texts are UTF-8 in both directions; the
// settings hold Mac Roman. Pure functions.

// One setting as the console shows it.
struct SettingLine {
  std::string name;   // what the operator types after `set`, e.g. "max-downloads"
  std::string label;  // the options window's label, e.g. "Maximum simultaneous downloads:"
  std::string value;  // the current value as the operator would type it (UTF-8)
};

// Every setting, in the options window's order: server name and description,
// port, IP, the three limits, the option flags one by one, banner mode, file,
// link and URL, head admin login, trackers 1 to 5 with their passwords, then the
// read-only tracker pass ID and resolve-shortcuts setting.
std::vector<SettingLine> ListSettings(const ServerSettings& settings);

// ListSettings as aligned lines (name, label, value), each ending with "\n".
std::string SettingsListText(const ServerSettings& settings);

struct SetSettingResult {
  // True when VALUE was taken: store `applied.settings`, write "Prefs" and act on
  // `applied.effects` as after the options window. False: nothing changes.
  bool ok = false;
  AppliedOptions applied;
  // What to print, UTF-8, each line ending with "\n": the new value and any
  // notice (the restart notice, registration switched off), or what was wrong
  // (unknown name, a value that is no number, address, on/off or in range).
  std::string text;
};

// `set NAME VALUE`: parses VALUE for the setting NAME (numbers in decimal, the IP
// as four dotted numbers, flags as on/off, yes/no, true/false or 1/0, the banner
// mode as local/remote, texts as given, converted to Mac Roman and cut to their
// length) and applies it with ApplyOptions, all other fields unchanged.
SetSettingResult SetSetting(const ServerSettings& current, std::string_view name,
                            std::string_view value);

}  // namespace vantrel
