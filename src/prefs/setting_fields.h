#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "prefs/apply_options.h"
#include "prefs/server_settings.h"

namespace vantrel {

// The table of settings the operator console lists and sets: each with the name
// the operator types, the options window's label, and how its value is held in
// the options window's fields. Internal to prefs/settings_console.cpp.

enum class SettingKind { kText, kNumber, kAddress, kFlag, kBannerMode, kPassId, kResolveShortcuts };

struct SettingField {
  std::string name;
  std::string label;
  SettingKind kind;
  std::function<std::string&(OptionsInput&)> text{};  // kText
  size_t limit = 0;                                   // kText: longest text in bytes
  std::function<int64_t&(OptionsInput&)> number{};    // kNumber
  int64_t low = 0;                                    // kNumber: accepted range
  int64_t high = 0;                                   // kNumber: accepted range
  uint32_t flag = 0;                                  // kFlag: the option flag bit
};

// Every setting in the options window's order, the read-only ones last.
const std::vector<SettingField>& SettingFields();

// The value of `field` in `settings` as the operator would type it (UTF-8).
std::string SettingValueText(const SettingField& field, const ServerSettings& settings);

}  // namespace vantrel
