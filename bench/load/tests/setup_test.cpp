// The command line and the preparation of a server folder.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "accounts/account_files.h"
#include "accounts/account_store.h"
#include "client_codec.h"
#include "load_options.h"
#include "prefs/prefs_file.h"
#include "prepare_folder.h"
#include "support/temporary_folder.h"

namespace vantrel::load {
namespace {

using ::testing::HasSubstr;

Command Parse(std::vector<const char*> args, std::string& error) {
  args.insert(args.begin(), "vantrel_load");
  return ParseCommandLine(static_cast<int>(args.size()), args.data(), error);
}

TEST(CommandLine, RunWithEveryOption) {
  std::string error;
  const Command command =
      Parse({"irc",       "--host",   "127.0.0.2",    "--port", "6667",   "--clients", "500",
             "--senders", "20",       "--lines",      "400",    "--rate", "50",        "--window",
             "4",         "--source", "127.20.0.0",   "--pid",  "99",     "--timeout", "30",
             "--limit",   "600",      "--connecting", "3"},
            error);
  ASSERT_EQ(error, "");
  const auto& run = std::get<RunOptions>(command);
  EXPECT_EQ(run.protocol, Protocol::kIrc);
  EXPECT_EQ(run.server_address, 0x7F000002u);
  EXPECT_EQ(run.server_port, 6667);
  EXPECT_EQ(run.clients, 500u);
  EXPECT_EQ(run.senders, 20u);
  EXPECT_EQ(run.lines, 400u);
  EXPECT_EQ(run.paced_rate, 50u);
  EXPECT_EQ(run.login_window, 4u);
  EXPECT_EQ(run.connecting, 3u);
  EXPECT_EQ(run.source_base, 0x7F140000u);
  EXPECT_EQ(run.server_pid, 99);
  EXPECT_EQ(run.phase_timeout_seconds, 30u);
  EXPECT_EQ(run.run_limit_seconds, 600u);
}

TEST(CommandLine, RefusesWhatWouldLeaveLoopbackOrTripFloodRules) {
  std::string error;
  Parse({"vantrel", "--port", "5500", "--host", "10.0.0.1"}, error);
  EXPECT_THAT(error, HasSubstr("--host"));
  Parse({"vantrel", "--port", "5500", "--source", "192.168.1.0"}, error);
  EXPECT_THAT(error, HasSubstr("--source"));
  Parse({"vantrel", "--clients", "100"}, error);
  EXPECT_THAT(error, HasSubstr("--port"));
  Parse({"vantrel", "--port", "5500", "--lines", "501"}, error);  // 51 per sender
  EXPECT_THAT(error, HasSubstr("flood"));
  Parse({"vantrel", "--port", "5500", "--lines", "500"}, error);
  EXPECT_EQ(error, "");
  // 2001 lines to 10,000 clients: more latencies than the tool keeps.
  Parse({"vantrel", "--port", "5500", "--clients", "10000", "--senders", "100", "--lines", "2001"},
        error);
  EXPECT_THAT(error, HasSubstr("deliveries per phase"));
  Parse({"vantrel", "--port", "5500", "--clients", "10000", "--senders", "100", "--lines", "2000"},
        error);
  EXPECT_EQ(error, "");
  Parse({"vantrel", "--port", "5500", "--window", "1001"}, error);
  EXPECT_THAT(error, HasSubstr("--window"));
  Parse({"vantrel", "--port"}, error);
  EXPECT_THAT(error, HasSubstr("needs a value"));
  Parse({"telnet"}, error);
  EXPECT_THAT(error, HasSubstr("unknown command"));
}

TEST(CommandLine, Prepare) {
  std::string error;
  const auto prepare =
      std::get<PrepareOptions>(Parse({"prepare", "/tmp/x", "--port", "7000"}, error));
  EXPECT_EQ(error, "");
  EXPECT_EQ(prepare.folder, "/tmp/x");
  EXPECT_EQ(prepare.server_port, 7000);
  Parse({"prepare", "/tmp/x", "--port", "65535"}, error);  // no room for PORT + 3
  EXPECT_NE(error, "");
}

TEST(SourceAddresses, EveryClientHasItsOwnLoopbackAddress) {
  std::set<uint32_t> seen;
  for (size_t i = 0; i < kMaxClients; ++i) {
    const uint32_t address = SourceAddress(0x7F0A0000, i);
    EXPECT_EQ(address >> 16, 0x7F0Au);
    EXPECT_NE(address & 0xFF, 0u);  // never a .0
    seen.insert(address);
  }
  EXPECT_EQ(seen.size(), kMaxClients);
  EXPECT_EQ(SourceAddress(0x7F0A0000, 0), 0x7F0A0001u);
  EXPECT_EQ(SourceAddress(0x7F0A0000, 250), 0x7F0A0101u);
}

TEST(Deliveries, VantrelCountsTheSenderIrcDoesNot) {
  EXPECT_EQ(DeliveriesPerLine(Protocol::kVantrel, 100), 100u);
  EXPECT_EQ(DeliveriesPerLine(Protocol::kIrc, 100), 99u);
  EXPECT_EQ(ExpectedAnnouncements(1000), 499500u);
}

TEST(Deliveries, LoginsCoveredByAnnouncementsIsTheInverse) {
  for (const size_t n : {size_t{1}, size_t{2}, size_t{1000}, kMaxClients}) {
    EXPECT_EQ(LoginsCoveredBy(ExpectedAnnouncements(n)), n);
    if (n >= 2) {
      EXPECT_EQ(LoginsCoveredBy(ExpectedAnnouncements(n) - 1), n - 1);
    }
  }
}

TEST(PrepareFolder, WritesPrefsAndAGuestThatMayChatAndTransferFiles) {
  testing::TemporaryFolder folder;
  PrepareServerFolder(folder.Path(), 7100);
  PrepareServerFolder(folder.Path(), 7100);  // again over the first

  Random random(1);
  const ServerSettings settings = ReadPrefsFile(FileSystem::Default(), folder.Path(), random);
  EXPECT_EQ(settings.server_port, 7100);
  EXPECT_EQ(settings.server_ip_address, 0x7F000001u);
  EXPECT_EQ(settings.max_connections_per_address, 0);
  EXPECT_EQ(settings.option_flags, 0u);
  EXPECT_EQ(settings.max_downloads, 1000);
  EXPECT_EQ(settings.max_downloads_per_client, 1000);

  const AccountStore store(FileSystem::Default(), account_files::UsersFolderIn(folder.Path()));
  const AccountRecord guest = store.Read("guest");
  EXPECT_EQ(guest.scrambled_password, "");
  AccessPrivileges expected;
  expected.Set(kPrivilegeReadChat);
  expected.Set(kPrivilegeSendChat);
  expected.Set(kPrivilegeDownloadFiles);
  expected.Set(kPrivilegeUploadFiles);
  expected.Set(kPrivilegeUploadAnywhere);
  EXPECT_EQ(guest.privileges, expected);
}

}  // namespace
}  // namespace vantrel::load
