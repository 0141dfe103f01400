#include <gtest/gtest.h>

#include "prefs/settings_console.h"

namespace vantrel {
namespace {

ServerSettings Current() {
  ServerSettings settings;
  settings.server_name = "Srv";
  settings.option_flags = kDefaultOptionFlags | kOptionRegisterWithTrackers;
  settings.tracker_list[0].address = "tracker.example";
  return settings;
}

TEST(SettingsConsole, SetsNumbersAddressesFlagsAndTexts) {
  SetSettingResult result = SetSetting(Current(), "max-connections-per-ip", "0");
  ASSERT_TRUE(result.ok);
  EXPECT_EQ(result.applied.settings.max_connections_per_address, 0);
  EXPECT_EQ(result.text, "max-connections-per-ip = 0\n");

  result = SetSetting(Current(), "IP", " 10.0.0.7 ");
  ASSERT_TRUE(result.ok);
  EXPECT_EQ(result.applied.settings.server_ip_address, 0x0A000007u);

  result = SetSetting(Current(), "log-connects", "on");
  ASSERT_TRUE(result.ok);
  EXPECT_EQ(result.applied.settings.option_flags, Current().option_flags | kOptionLogConnects);
  result = SetSetting(Current(), "confirm-quit", "No");
  EXPECT_FALSE(result.applied.settings.Option(kOptionConfirmQuit));
  result = SetSetting(Current(), "banner-mode", "local");
  EXPECT_TRUE(result.applied.settings.Option(kOptionLocalBanner));
  EXPECT_TRUE(result.applied.effects.reload_banner);

  // Operator text is UTF-8; the setting holds Mac Roman, "?" where it has no character.
  result = SetSetting(Current(), "server-description",
                      "Caf\xC3\xA9 \xE2\x80\x9Cok\xE2\x80\x9D \xE4\xB8\xAD");
  EXPECT_EQ(result.applied.settings.server_description, "Caf\x8E \xD2ok\xD3 ?");
}

TEST(SettingsConsole, NewPortPrintsTheRestartNotice) {
  const SetSettingResult result = SetSetting(Current(), "port", "6000");
  ASSERT_TRUE(result.ok);
  EXPECT_EQ(result.applied.settings.server_port, 6000);
  EXPECT_TRUE(result.applied.effects.restart_notice);
  EXPECT_EQ(result.text,
            "port = 6000\nRestart the server: Changes of the Server IP or Port Number will only "
            "take effect after the server is restarted.\n");
}

TEST(SettingsConsole, BadInputIsRefusedWithAReason) {
  const struct {
    const char* name;
    const char* value;
    const char* text;
  } cases[] = {
      {"colour", "red", "Unknown setting \"colour\". Type \"options\" to list the settings.\n"},
      {"port", "6x", "port: \"6x\" is not a number.\n"},
      {"port", "0", "port: 0 is outside 1 to 65534; the value stays 5500.\n"},
      {"max-downloads", "99999999999999999999",
       "max-downloads: 99999999999999999999 is outside 1 to 65534; the value stays 100.\n"},
      {"ip", "10.0.0", "ip: \"10.0.0\" is not four numbers joined by dots.\n"},
      {"ip", "10.0.0.1.2", "ip: \"10.0.0.1.2\" is not four numbers joined by dots.\n"},
      {"ip", "10.0.0.300",
       "ip: 10.0.0.300 has a number outside 0 to 255; the value stays 0.0.0.0.\n"},
      {"log-uploads", "maybe", "log-uploads: \"maybe\" is not on or off.\n"},
      {"banner-mode", "on", "banner-mode: \"on\" is not local or remote.\n"},
      {"tracker-pass-id", "5", "tracker-pass-id cannot be changed.\n"},
  };
  for (const auto& c : cases) {
    const SetSettingResult result = SetSetting(Current(), c.name, c.value);
    EXPECT_FALSE(result.ok) << c.name << " " << c.value;
    EXPECT_EQ(result.text, c.text);
    EXPECT_EQ(result.applied.settings, Current());
  }
}

TEST(SettingsConsole, OverlongTextIsCutWithANote) {
  const SetSettingResult result = SetSetting(Current(), "tracker2-password", std::string(40, 'p'));
  EXPECT_EQ(result.applied.settings.tracker_list[1].password, std::string(31, 'p'));
  EXPECT_NE(result.text.find("tracker2-password: cut to 31 bytes.\n"), std::string::npos);
}

}  // namespace
}  // namespace vantrel
