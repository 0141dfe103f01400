#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/random.h"
#include "prefs/prefs_reader.h"
#include "prefs/prefs_writer.h"

namespace vantrel {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// Offsets 2 to 75 of the test file: windows, limits, address, flags, pass ID.
const Bytes kFixedAfterVersion = {
    0x00, 0x05,                                      // visibility: main and statistics windows
    0x00, 0x0A, 0x00, 0x14, 0x01, 0x2C, 0x01, 0x90,  // main window 10, 20, 300, 400
    0xFF, 0xFF, 0x00, 0x02, 0x00, 0x03, 0x00, 0x04,  // log window -1, 2, 3, 4
    0x00, 0x64, 0x00, 0xC8, 0x01, 0x2C, 0x01, 0xF4,  // statistics window 100, 200, 300, 500
    0,    0,    0,    0,    0,    0,    0,    0,    0, 0, 0, 0, 0,
    0,    0,    0,    0,    0,    0,    0,    0,    0, 0, 0, 0, 0,  // 26 zeros
    0x00, 0x07,                                                     // max connections per address 7
    0xC0, 0xA8, 0x01, 0x14,                                         // 192.168.1.20
    0x00, 0x00, 0x01, 0xFF,                                         // option flags 0x1FF
    0x17, 0x70,                                                     // port 6000
    0x00, 0x32,                                                     // max downloads 50
    0x00, 0x03,                                                     // max downloads per client 3
    0x01, 0x00,                                                     // resolve shortcuts, zero
    0x12, 0x34, 0x56, 0x78,                                         // tracker pass ID
};

const Bytes kTexts = {
    0, 0,   0,                    // three empty strings
    3, 'S', 'r', 'v',             // server name
    0,                            // empty string
    4, 'C', 'a', 'f', 0x8E,       // description "Café"
    4, 'b', 'o', 's', 's',        // head admin login
    5, 'b', '.', 'g', 'i',  'f',  // banner file
    3, 'h', ':', 'l',             // banner link
    3, 'h', ':', 'u',             // banner URL
};

// The five tracker entries: address, reserved text, password.
const Bytes kTrackersV5 = {
    3, 'a', ':', '1', 2,   'r', '1', 2,   'p', '1',  //
    1, 'b', 0,   2,   'p', '2',                      //
    1, 'c', 2,   'r', '3', 0,                        //
    3, 'd', ':', '4', 2,   'r', '4', 2,   'p', '4',  //
    1, 'e', 2,   'r', '5', 2,   'p', '5',
};

// The same entries in version 4: address and password only.
const Bytes kTrackersV4 = {
    3, 'a', ':', '1', 2,   'p', '1', 1,   'b', 2,   'p', '2', 1,   'c',
    0, 3,   'd', ':', '4', 2,   'p', '4', 1,   'e', 2,   'p', '5',
};

const Bytes kVersion5File = Join({{0x00, 0x05}, kFixedAfterVersion, kTexts, kTrackersV5});
const Bytes kVersion4File = Join({{0x00, 0x04}, kFixedAfterVersion, kTexts, kTrackersV4});

TrackerEntry Tracker(const char* address, const char* reserved, const char* password,
                     uint16_t port) {
  TrackerEntry entry;
  entry.address = address;
  entry.reserved = reserved;
  entry.password = password;
  entry.port = port;
  return entry;
}

ServerSettings TestSettings() {
  ServerSettings s;
  s.window_state.visibility = kMainWindowVisible | kStatsWindowVisible;
  s.window_state.main_window = {10, 20, 300, 400};
  s.window_state.log_window = {-1, 2, 3, 4};
  s.window_state.stats_window = {100, 200, 300, 500};
  s.max_connections_per_address = 7;
  s.server_ip_address = 0xC0A80114;
  s.option_flags = 0x1FF;
  s.server_port = 6000;
  s.max_downloads = 50;
  s.max_downloads_per_client = 3;
  s.resolve_shortcuts_with_dialogs = true;
  s.tracker_pass_id = 0x12345678;
  s.server_name = "Srv";
  s.server_description = "Caf\x8E";
  s.head_admin_login = "boss";
  s.banner_file = "b.gif";
  s.banner_link = "h:l";
  s.banner_url = "h:u";
  s.tracker_list = {Tracker("a:1", "r1", "p1", 0), Tracker("b", "", "p2", 5499),
                    Tracker("c", "r3", "", 5499), Tracker("d:4", "r4", "p4", 0),
                    Tracker("e", "r5", "p5", 5499)};
  return s;
}

TEST(PrefsFormat, Version5FileReadsAndWritesByteForByte) {
  EXPECT_EQ(DecodePrefs(kVersion5File), TestSettings());
  EXPECT_EQ(EncodePrefs(TestSettings()), kVersion5File);
}

TEST(PrefsFormat, Version4FileHasNoReservedTextsAndIsWrittenAsVersion5) {
  const auto settings = DecodePrefs(kVersion4File);
  ASSERT_TRUE(settings.has_value());
  for (const TrackerEntry& entry : settings->tracker_list) EXPECT_EQ(entry.reserved, "");
  EXPECT_EQ(settings->tracker_list[3].password, "p4");
  EXPECT_EQ(settings->tracker_list[4].address, "e");

  ServerSettings expected = TestSettings();
  for (TrackerEntry& entry : expected.tracker_list) entry.reserved.clear();
  EXPECT_EQ(*settings, expected);

  const Bytes written = EncodePrefs(*settings);
  const Bytes empty_reserved_trackers = {
      3, 'a', ':', '1', 0,   2,   'p', '1', 1,   'b', 0, 2,   'p', '2', 1,   'c',
      0, 0,   3,   'd', ':', '4', 0,   2,   'p', '4', 1, 'e', 0,   2,   'p', '5',
  };
  EXPECT_EQ(written, Join({{0x00, 0x05}, kFixedAfterVersion, kTexts, empty_reserved_trackers}));
}

TEST(PrefsFormat, UnusableFilesCountAsMissing) {
  EXPECT_FALSE(DecodePrefs({}).has_value());
  EXPECT_FALSE(DecodePrefs(Bytes(kVersion5File.begin(), kVersion5File.begin() + 95)));

  Bytes other_version = kVersion5File;
  other_version[1] = 6;
  EXPECT_FALSE(DecodePrefs(other_version).has_value());
  other_version[1] = 3;
  EXPECT_FALSE(DecodePrefs(other_version).has_value());

  // The last password claims 3 bytes where 2 are left.
  Bytes lying = kVersion5File;
  lying[lying.size() - 3] = 3;
  EXPECT_FALSE(DecodePrefs(lying).has_value());

  // A file that stops before the last password's length byte.
  EXPECT_FALSE(DecodePrefs(Bytes(kVersion5File.begin(), kVersion5File.end() - 3)).has_value());
}

TEST(PrefsFormat, TrailingBytesAreIgnoredAndResolveShortcutsOnlyTurnsOn) {
  Bytes file = kVersion5File;
  file.resize(10000, 0xAB);
  EXPECT_EQ(DecodePrefs(file), TestSettings());
  file[70] = 0;
  EXPECT_FALSE(DecodePrefs(file)->resolve_shortcuts_with_dialogs);
  file[70] = 2;
  EXPECT_TRUE(DecodePrefs(file)->resolve_shortcuts_with_dialogs);
}

TEST(PrefsFormat, TrackerPortFollowsTheColonRule) {
  EXPECT_EQ(TrackerPortFor("tracker.example.org"), 5499);
  EXPECT_EQ(TrackerPortFor("10.1.2.3"), 5499);
  EXPECT_EQ(TrackerPortFor("tracker.example.org:5600"), 0);
  EXPECT_EQ(TrackerPortFor("host:"), 0);
}

// The replacements that every read makes are checked in the next test.
TEST(PrefsRead, MissingFileGivesTheDefaults) {
  Random random(7);
  const ServerSettings settings = SettingsFromPrefs(Bytes(95, 0), random);
  EXPECT_EQ(settings.server_ip_address, 0u);
  EXPECT_EQ(settings.server_port, 5500);
  EXPECT_EQ(settings.max_connections_per_address, 5);
  EXPECT_EQ(settings.option_flags, 0x30u);
  EXPECT_EQ(settings.server_name, "");
  EXPECT_EQ(settings.window_state.visibility, 7);
  EXPECT_EQ(settings.tracker_list[0].address, kDefaultTrackerHost);
  for (size_t i = 1; i < kTrackerCount; ++i) {
    EXPECT_EQ(settings.tracker_list[i], TrackerEntry{}) << i;
  }
}

TEST(PrefsRead, ZerosAndEmptyTextsOfAFileAreReplaced) {
  Bytes file = kVersion5File;
  for (const size_t offset : {54, 55, 64, 65, 66, 67, 68, 69, 72, 73, 74, 75}) file[offset] = 0;
  // Empty head admin login and first tracker address, kept reserved text and password.
  Bytes texts = kTexts;
  texts.erase(texts.begin() + 14, texts.begin() + 18);
  texts[13] = 0;
  Bytes trackers = kTrackersV5;
  trackers.erase(trackers.begin(), trackers.begin() + 4);
  trackers.insert(trackers.begin(), 0);
  file = Join({Bytes(file.begin(), file.begin() + 76), texts, trackers});

  Random random(7);
  const ServerSettings settings = SettingsFromPrefs(file, random);
  EXPECT_EQ(settings.server_port, 5500);
  EXPECT_EQ(settings.max_downloads, 100);
  EXPECT_EQ(settings.max_downloads_per_client, 10);
  EXPECT_EQ(settings.max_connections_per_address, 0);  // no limit, kept
  EXPECT_NE(settings.tracker_pass_id, 0u);
  EXPECT_EQ(settings.head_admin_login, "admin");
  EXPECT_EQ(settings.tracker_list[0], Tracker(kDefaultTrackerHost, "", "", 5499));
  EXPECT_EQ(settings.tracker_list[1].address, "b");
}

}  // namespace
}  // namespace vantrel
