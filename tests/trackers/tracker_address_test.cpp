#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "platform/exception.h"
#include "prefs/server_settings.h"
#include "trackers/tracker_address.h"

namespace vantrel {
namespace {

TrackerEntry Entry(const std::string& address, uint16_t port) {
  TrackerEntry entry;
  entry.address = address;
  entry.port = port;
  return entry;
}

TEST(TrackerAddress, HostAndPortByThePortRule) {
  struct Case {
    std::string address;
    uint16_t port;
    TrackerDestination expected;
  };
  for (const Case& c : {
           Case{"tracker.test", 5499, {"tracker.test", 5499}},
           Case{"tracker.test:7000", 5499, {"tracker.test", 5499}},  // the text's port ignored
           Case{"192.0.2.7:7000", 0, {"192.0.2.7", 7000}},
           Case{"tracker.test:65535", 0, {"tracker.test", 65535}},
       }) {
    EXPECT_EQ(TrackerDestinationOf(Entry(c.address, c.port)), c.expected) << c.address;
  }
}

TEST(TrackerAddress, MalformedEntriesRaiseTheInvalidAddressError) {
  for (const char* address :
       {"tracker.test", "tracker.test:", "tracker.test:xyz", "tracker.test:12a", "tracker.test:0",
        "tracker.test:65536", ":7000"}) {
    try {
      TrackerDestinationOf(Entry(address, 0));
      ADD_FAILURE() << address << " was taken";
    } catch (const Omberly::CException& failure) {
      EXPECT_EQ(failure.ErrorClass(), kErrorClassNetwork) << address;
      EXPECT_EQ(failure.Code(), kErrorCodeInvalidAddress) << address;
      EXPECT_EQ(failure.Description(), "The network address is not valid.");
    }
  }
}

TEST(TrackerAddress, DottedIpv4AddressesOnlyAreSentWithoutALookup) {
  EXPECT_EQ(DottedIpv4Address("127.0.0.1"), std::optional<uint32_t>(0x7F000001));
  EXPECT_EQ(DottedIpv4Address("255.254.0.9"), std::optional<uint32_t>(0xFFFE0009));
  for (const char* name : {"localhost", "127.0.0", "127.0.0.1.", "1.2.3.256", "1..2.3", "1.2.3.4x",
                           "", "0127.0.0.1"}) {
    EXPECT_EQ(DottedIpv4Address(name), std::nullopt) << name;
  }
}

}  // namespace
}  // namespace vantrel
