#include <gtest/gtest.h>

#include "prefs/apply_options.h"

namespace vantrel {
namespace {

// Settings as a running server has them: named, registering with one tracker.
ServerSettings Current() {
  ServerSettings settings;
  settings.server_name = "Srv";
  settings.option_flags = kDefaultOptionFlags | kOptionRegisterWithTrackers;
  settings.tracker_list[0].address = "tracker.example";
  settings.tracker_list[0].reserved = "kept";
  settings.tracker_pass_id = 77;
  return settings;
}

TEST(ApplyOptions, UnchangedFieldsChangeNothing) {
  const AppliedOptions applied = ApplyOptions(Current(), OptionsInputFrom(Current()));
  EXPECT_EQ(applied.settings, Current());
  EXPECT_FALSE(applied.effects.restart_notice);
  EXPECT_FALSE(applied.effects.reload_banner);
  EXPECT_FALSE(applied.effects.head_admin_changed);
  EXPECT_TRUE(applied.effects.tracker_registration);
}

TEST(ApplyOptions, NumbersOutsideTheirRangeKeepTheOldValue) {
  OptionsInput typed = OptionsInputFrom(Current());
  typed.server_port = 0;
  typed.max_downloads = 65535;
  typed.max_downloads_per_client = -1;
  typed.max_connections_per_address = 0;
  typed.server_ip_address = {10, 0, 256, 1};
  AppliedOptions applied = ApplyOptions(Current(), typed);
  EXPECT_EQ(applied.settings.server_port, 5500);
  EXPECT_EQ(applied.settings.max_downloads, 100);
  EXPECT_EQ(applied.settings.max_downloads_per_client, 10);
  EXPECT_EQ(applied.settings.max_connections_per_address, 0);  // 0 = no limit, accepted
  EXPECT_EQ(applied.settings.server_ip_address, 0u);
  EXPECT_FALSE(applied.effects.restart_notice);

  typed.server_port = 65534;  // the edges of the ranges are accepted
  typed.max_downloads = 1;
  typed.max_connections_per_address = 65534;
  applied = ApplyOptions(Current(), typed);
  EXPECT_EQ(applied.settings.server_port, 65534);
  EXPECT_EQ(applied.settings.max_downloads, 1);
  EXPECT_EQ(applied.settings.max_connections_per_address, 65534);
}

TEST(ApplyOptions, RegistrationNeedsAServerNameAndATracker) {
  OptionsInput typed = OptionsInputFrom(Current());
  typed.server_name.clear();
  AppliedOptions applied = ApplyOptions(Current(), typed);
  EXPECT_FALSE(applied.settings.Option(kOptionRegisterWithTrackers));
  EXPECT_FALSE(applied.effects.tracker_registration);

  typed = OptionsInputFrom(Current());
  typed.trackers[0].address = "   ";
  applied = ApplyOptions(Current(), typed);
  EXPECT_FALSE(applied.settings.Option(kOptionRegisterWithTrackers));
  EXPECT_EQ(applied.settings.tracker_list[0].address, "");
  EXPECT_EQ(applied.settings.option_flags, kDefaultOptionFlags);  // only flag 0x01 cleared

  typed.trackers[4].address = "late.example";  // any one entry will do
  applied = ApplyOptions(Current(), typed);
  EXPECT_TRUE(applied.effects.tracker_registration);
}

TEST(ApplyOptions, TrackerEntriesGetTheColonRuleAndKeepReservedTexts) {
  OptionsInput typed = OptionsInputFrom(Current());
  typed.trackers[0].address = " tracker.example:6000 ";
  typed.trackers[1] = {"10.0.0.1", "secret"};
  typed.trackers[2].password = std::string(40, 'p');
  const AppliedOptions applied = ApplyOptions(Current(), typed);
  const auto& list = applied.settings.tracker_list;
  EXPECT_EQ(list[0].address, "tracker.example:6000");
  EXPECT_EQ(list[0].port, 0);
  EXPECT_EQ(list[0].reserved, "kept");
  EXPECT_EQ(list[1].port, 5499);
  EXPECT_EQ(list[1].password, "secret");
  EXPECT_EQ(list[1].address_kind, 42);
  EXPECT_EQ(list[2].password, std::string(31, 'p'));
}

TEST(ApplyOptions, BannerReloadFollowsTheBannerMode) {
  ServerSettings local = Current();
  local.option_flags |= kOptionLocalBanner;

  OptionsInput typed = OptionsInputFrom(local);
  typed.banner_url = "http://elsewhere";  // not used by a local banner
  EXPECT_FALSE(ApplyOptions(local, typed).effects.reload_banner);
  typed.banner_link = "http://link";
  EXPECT_TRUE(ApplyOptions(local, typed).effects.reload_banner);

  typed = OptionsInputFrom(Current());  // remote banner
  typed.banner_file = "banner.jpg";
  EXPECT_FALSE(ApplyOptions(Current(), typed).effects.reload_banner);
  typed.banner_url = "http://banner";
  EXPECT_TRUE(ApplyOptions(Current(), typed).effects.reload_banner);

  typed = OptionsInputFrom(Current());
  typed.option_flags |= kOptionLocalBanner;
  EXPECT_TRUE(ApplyOptions(Current(), typed).effects.reload_banner);
}

}  // namespace
}  // namespace vantrel
