#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include <asio/io_context.hpp>

#include "platform/tcp_transport.h"
#include "prefs/apply_options.h"
#include "prefs/server_settings.h"
#include "support/server_fixture.h"
#include "udp_receiver.h"

namespace vantrel::testing {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;

std::string Text(const std::optional<UdpReceiver::Datagram>& datagram) {
  return datagram ? std::string(datagram->begin(), datagram->end()) : "(none)";
}

// Entry `index` of the tracker list as the options window would store it.
void SetTracker(ServerSettings& settings, size_t index, const std::string& address,
                const std::string& password) {
  settings.tracker_list[index] = {address, "", password, kTrackerAddressKind,
                                  TrackerPortFor(address)};
}

// Registration on, with a name and a description and the first tracker entry
// at `tracker_`; each test adds what it needs and starts the server.
class Trackers : public ::testing::Test {
 protected:
  Trackers() : fixture_(false) {
    ServerSettings& prefs = fixture_.Prefs();
    prefs.server_name = "Harbour";
    prefs.server_description = "Ships";
    prefs.tracker_pass_id = 0x12345678;
    prefs.option_flags |= kOptionRegisterWithTrackers;
    SetTracker(prefs, 0, tracker_.Address(), "alpha");
  }

  // Confirms the options window with its fields as they open, changed by `edit`.
  template <typename Edit>
  void ApplyOptions(Edit edit) {
    OptionsInput typed = OptionsInputFrom(fixture_.Server().Core().Settings());
    edit(typed);
    fixture_.Server().Core().ApplySettings(
        vantrel::ApplyOptions(fixture_.Server().Core().Settings(), typed));
  }

  UdpReceiver tracker_;
  ServerFixture fixture_;
};

TEST(TrackerSettings, RegistersOnlyWithAServerNameAndTheOptionSet) {
  struct Case {
    std::string name;
    uint32_t flags;
    int datagrams;
  };
  for (const Case& c : {Case{"Harbour", kDefaultOptionFlags | kOptionRegisterWithTrackers, 1},
                        Case{"", kDefaultOptionFlags | kOptionRegisterWithTrackers, 0},
                        Case{"Harbour", kDefaultOptionFlags, 0}}) {
    UdpReceiver tracker;
    ServerFixture fixture(false);
    fixture.Prefs().server_name = c.name;
    fixture.Prefs().option_flags = c.flags;
    SetTracker(fixture.Prefs(), 0, tracker.Address(), "alpha");
    fixture.Start();
    int received = 0;
    while (tracker.Take()) ++received;
    EXPECT_EQ(received, c.datagrams) << "name \"" << c.name << "\", flags " << c.flags;
  }
}

TEST_F(Trackers, FilledEntriesOnlyEachWithItsOwnPasswordInListOrder) {
  SetTracker(fixture_.Prefs(), 2, tracker_.Address(), "gamma");
  fixture_.Start();
  EXPECT_THAT(Text(tracker_.Take()), EndsWith("\x05"
                                              "alpha"));
  EXPECT_THAT(Text(tracker_.Take()), EndsWith("\x05"
                                              "gamma"));
  EXPECT_EQ(tracker_.Take(), std::nullopt);
}

TEST_F(Trackers, DatagramCarriesTheListeningPortAndTheConnectedUsers) {
  fixture_.Start();
  ASSERT_TRUE(tracker_.Take());
  auto client = fixture_.ConnectClient();
  ASSERT_TRUE(client);
  fixture_.Clock().Advance(300);
  const auto port_high = static_cast<uint8_t>(fixture_.Port() >> 8);
  const auto port_low = static_cast<uint8_t>(fixture_.Port());
  const std::vector<uint8_t> expected = {
      0x00,      0x01,                                      // version 1
      port_high, port_low,                                  // the listening port
      0x00,      0x01,                                      // 1 user
      0x00,      0x00,                                      // 0
      0x78,      0x56,     0x34, 0x12,                      // pass ID 0x12345678, low byte first
      0x07,      'H',      'a',  'r',  'b', 'o', 'u', 'r',  // server name
      0x05,      'S',      'h',  'i',  'p', 's',            // description
      0x05,      'a',      'l',  'p',  'h', 'a',            // the tracker's password
  };
  EXPECT_EQ(tracker_.Take(), expected);
}

TEST_F(Trackers, RegistersAtStartAndThenEvery300Seconds) {
  fixture_.Start();
  EXPECT_TRUE(tracker_.Take());
  fixture_.Clock().Advance(299);
  EXPECT_EQ(tracker_.Take(), std::nullopt);
  fixture_.Clock().Advance(1);
  EXPECT_TRUE(tracker_.Take());
  fixture_.Clock().Advance(300);
  EXPECT_TRUE(tracker_.Take());
  EXPECT_EQ(tracker_.Take(), std::nullopt);
}

TEST_F(Trackers, ConfirmedOptionsRegisterAtOnceAndRestartTheTimerUntilSwitchedOff) {
  fixture_.Start();
  ASSERT_TRUE(tracker_.Take());
  fixture_.Clock().Advance(100);
  ApplyOptions([](OptionsInput& typed) { typed.server_description = "Boats"; });
  EXPECT_THAT(Text(tracker_.Take()), HasSubstr("\x05"
                                               "Boats"));
  fixture_.Clock().Advance(299);  // the timer started with the options, not at start
  EXPECT_EQ(tracker_.Take(), std::nullopt);
  fixture_.Clock().Advance(1);
  EXPECT_TRUE(tracker_.Take());

  ApplyOptions([](OptionsInput& typed) { typed.option_flags &= ~kOptionRegisterWithTrackers; });
  fixture_.Clock().Advance(900);
  EXPECT_EQ(tracker_.Take(), std::nullopt);
}

TEST_F(Trackers, MalformedEntryIsReportedAndEndsTheRound) {
  SetTracker(fixture_.Prefs(), 1, "127.0.0.1:xyz", "beta");
  SetTracker(fixture_.Prefs(), 2, tracker_.Address(), "gamma");
  fixture_.Start();
  EXPECT_THAT(Text(tracker_.Take()), EndsWith("\x05"
                                              "alpha"));
  EXPECT_EQ(tracker_.Take(), std::nullopt);
  EXPECT_THAT(ReadWholeFile(fixture_.Folder() / "Error Log.txt"),
              HasSubstr("The network address is not valid. (ID 5/101)"));
}

TEST_F(Trackers, NamedTrackersGoOutAfterAnAsynchronousThenASynchronousLookup) {
  UdpReceiver second;
  SetTracker(fixture_.Prefs(), 0, "localhost:" + std::to_string(tracker_.Port()), "alpha");
  SetTracker(fixture_.Prefs(), 1, "localhost:" + std::to_string(second.Port()), "beta");
  fixture_.Start();
  // The event loop has not run yet: only the synchronous lookup has answered.
  EXPECT_EQ(tracker_.Take(), std::nullopt);
  EXPECT_THAT(Text(second.Take()), EndsWith("\x04"
                                            "beta"));
  EXPECT_THAT(Text(tracker_.Wait([&] { fixture_.Poll(); })), EndsWith("\x05"
                                                                      "alpha"));
}

TEST_F(Trackers, NoRegistrationWhenAListenerCannotBeOpened) {
  asio::io_context elsewhere;
  TcpListener blocker(elsewhere);  // another program holding P + 2
  blocker.Open(kLoopback, static_cast<uint16_t>(fixture_.Port() + 2), 1, {});
  fixture_.Start();
  ASSERT_FALSE(fixture_.Server().Core().Started());
  fixture_.Clock().Advance(300);
  EXPECT_EQ(tracker_.Take(), std::nullopt);
}

}  // namespace
}  // namespace vantrel::testing
