#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "prefs/server_settings.h"
#include "trackers/registration_datagram.h"

namespace vantrel {
namespace {

ServerSettings Harbour() {
  ServerSettings settings;
  settings.server_name = "Harbour";
  settings.server_description = "Ships";
  settings.tracker_pass_id = 0x12345678;
  return settings;
}

TEST(RegistrationDatagram, LayoutByteForByteWithEachTrackersPassword) {
  const std::vector<uint8_t> common = RegistrationCommonPart(Harbour(), 5500, 3);
  const std::vector<uint8_t> head = {
      0x00, 0x01,                                  // version 1
      0x15, 0x7C,                                  // port 5500
      0x00, 0x03,                                  // 3 users
      0x00, 0x00,                                  // 0
      0x78, 0x56, 0x34, 0x12,                      // pass ID 0x12345678, low byte first
      0x07, 'H',  'a',  'r',  'b', 'o', 'u', 'r',  // server name
      0x05, 'S',  'h',  'i',  'p', 's',            // description
  };
  EXPECT_EQ(common, head);

  struct Case {
    std::string password;
    std::vector<uint8_t> tail;
  };
  for (const Case& c : {Case{"alpha", {0x05, 'a', 'l', 'p', 'h', 'a'}}, Case{"", {0x00}}}) {
    std::vector<uint8_t> expected = head;
    expected.insert(expected.end(), c.tail.begin(), c.tail.end());
    EXPECT_EQ(RegistrationDatagram(common, c.password), expected) << c.password;
  }
}

TEST(RegistrationDatagram, SeventyThousandUsersReportTheirLow16Bits) {
  const std::vector<uint8_t> common = RegistrationCommonPart(Harbour(), 5500, 70'000);
  ASSERT_GE(common.size(), 6u);
  EXPECT_EQ(common[4], 0x11);  // 70000 - 65536 = 4464 = 0x1170
  EXPECT_EQ(common[5], 0x70);
}

}  // namespace
}  // namespace vantrel
