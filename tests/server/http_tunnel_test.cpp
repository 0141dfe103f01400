#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "accounts/account_record.h"
#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"
#include "support/server_fixture.h"
#include "support/shared_tree.h"
#include "support/tinyproxy.h"
#include "support/tunnel_relay.h"

namespace vantrel::testing {
namespace {

using namespace std::literals;

constexpr uint32_t kPlainSource = 0x7F000002;
constexpr uint16_t kTunnelOffset = 2;
constexpr uint16_t kTunnelTransferOffset = 3;

const std::vector<uint8_t> kEndingAnswer = Wire(
    "HTTP/1.0 302 Found\r\nConnection: close\r\nContent-Length: 8\r\n"
    "Content-Type: vantrel/protocol\r\n\r\n\0\0\0\0\0\0\0\0"sv);

// Clients that reach the server through tunnels, beside a plain one.
class HttpTunnel : public ::testing::Test {
 protected:
  HttpTunnel() { fixture_.Start(); }

  // A relay into the tunnel port at `offset` from P, through `via` when given
  // (a proxy's port), pumped whenever the server is.
  TunnelRelay& Relay(uint16_t offset, uint16_t via = 0) {
    const uint16_t port = static_cast<uint16_t>(fixture_.Port() + offset);
    auto& relay = relays_.emplace_back(std::make_unique<TunnelRelay>(
        via != 0 ? via : port, port, static_cast<uint32_t>(relays_.size() + 1)));
    fixture_.AlsoRun([&relay = *relay] { relay.Pump(); });
    return *relay;
  }

  std::unique_ptr<TestClient> Through(TunnelRelay& relay) {
    return std::make_unique<TestClient>(relay.Port(), [this] { fixture_.Poll(); });
  }

  // A tunnel client admitted and marked logged in, named and privileged as given.
  std::unique_ptr<TestClient> TunnelUser(TunnelRelay& relay, std::initializer_list<unsigned> bits) {
    auto client = Through(relay);
    if (!client->Handshake()) return nullptr;
    ClientSession& session = *fixture_.Server().Core().Clients().All().back();
    session.logged_in = true;
    session.display_name = "Tunnel";
    for (const unsigned bit : bits) session.privileges.Set(bit);
    return client;
  }

  static void Say(TestClient& client, const std::string& text) {
    UFieldData fields;
    fields.AddText(kFieldData, text);
    client.SendRequest(kTranSendChat, fields);
  }
  static std::string Heard(TestClient& client) {
    return DataText(client.WaitRequest(kTranChatMessage));
  }

  // Downloads a file of 100,000 bytes over a transfer tunnel (through the proxy
  // at `via` when given) and checks that it arrives whole.
  void ExpectDownload(TestClient& user, uint16_t via) {
    std::string data(100000, 'x');
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>('a' + i % 26);
    MakeFile(fixture_.Folder() / "Files" / "a.txt", data);
    UFieldData request;
    request.AddText(kFieldFileName, "a.txt");
    const auto reply = user.Call(kTranDownloadFile, request);
    ASSERT_TRUE(reply);
    const auto reference = reply->fields.Data(kFieldReferenceNumber);
    ASSERT_EQ(reference.size(), 4u);

    auto transfer = Through(Relay(kTunnelTransferOffset, via));
    std::vector<uint8_t> header = Wire("VNXF"sv);
    header.insert(header.end(), reference.begin(), reference.end());
    header.resize(16);
    transfer->SendRaw(header);
    // The flattened file: its headers, the name "a.txt", then the data.
    const auto stream = transfer->ReadRaw(56 + 74 + 5 + data.size());
    ASSERT_TRUE(stream);
    EXPECT_EQ(std::string(stream->end() - static_cast<std::ptrdiff_t>(data.size()), stream->end()),
              data);
  }

  // Lets the server see what the relays did: a closed connection is reported
  // at once, but a loaded machine may take its time.
  void Settle() {
    for (int i = 0; i < 200; ++i) fixture_.Poll();
  }

  ServerFixture fixture_{false};
  std::vector<std::unique_ptr<TunnelRelay>> relays_;
};

TEST_F(HttpTunnel, ATunnelClientChatsWithAPlainOne) {
  auto tunnelled = TunnelUser(Relay(kTunnelOffset), {9, 10});
  auto plain = fixture_.ConnectAs("Plain", {9, 10}, kPlainSource);
  ASSERT_TRUE(tunnelled && plain);
  Say(*tunnelled, "up");
  EXPECT_EQ(Heard(*plain), "\r       Tunnel:  up");
  Say(*plain, "down");
  EXPECT_EQ(Heard(*tunnelled), "\r       Tunnel:  up");
  EXPECT_EQ(Heard(*tunnelled), "\r        Plain:  down");
}

TEST_F(HttpTunnel, AGetReopenedWithinThirtySecondsReceivesWhatWasWrittenMeanwhile) {
  TunnelRelay& relay = Relay(kTunnelOffset);
  auto tunnelled = TunnelUser(relay, {9, 10});
  auto plain = fixture_.ConnectAs("Plain", {9, 10}, kPlainSource);
  ASSERT_TRUE(tunnelled && plain);
  relay.DropGet();
  Settle();
  Say(*plain, "meanwhile");
  EXPECT_EQ(Heard(*plain), "\r        Plain:  meanwhile");
  fixture_.Clock().Advance(29);
  relay.OpenGet();
  EXPECT_EQ(Heard(*tunnelled), "\r        Plain:  meanwhile");
}

TEST_F(HttpTunnel, ATunnelWhoseGetNeverReturnsClosesAfterThirtySeconds) {
  TunnelRelay& relay = Relay(kTunnelOffset);
  auto tunnelled = TunnelUser(relay, {});
  auto plain = fixture_.ConnectAs("Plain", {}, kPlainSource);
  ASSERT_TRUE(tunnelled && plain);
  relay.DropGet();
  Settle();
  fixture_.Clock().Advance(29);
  Settle();
  EXPECT_EQ(fixture_.Server().Core().Clients().Size(), 2u);
  fixture_.Clock().Advance(1);
  EXPECT_TRUE(plain->WaitRequest(kTranUserLeft));
  EXPECT_EQ(fixture_.Server().Core().Clients().Size(), 1u);
  EXPECT_EQ(relay.PostAnswer(), kEndingAnswer);
}

TEST_F(HttpTunnel, AnEndChunkClosesTheTunnelAndAnswersThePost) {
  TunnelRelay& relay = Relay(kTunnelOffset);
  auto tunnelled = TunnelUser(relay, {});
  auto plain = fixture_.ConnectAs("Plain", {}, kPlainSource);
  ASSERT_TRUE(tunnelled && plain);
  relay.EndStream();
  EXPECT_TRUE(plain->WaitRequest(kTranUserLeft));
  EXPECT_EQ(relay.PostAnswer(), kEndingAnswer);
  EXPECT_TRUE(relay.GetEnded());
}

TEST_F(HttpTunnel, AFileComesDownATransferTunnel) {
  auto tunnelled = TunnelUser(Relay(kTunnelOffset), {kPrivilegeDownloadFiles});
  ASSERT_TRUE(tunnelled);
  ExpectDownload(*tunnelled, 0);
}

TEST_F(HttpTunnel, RequestsThatDoNotCompleteAreDroppedWithoutAnAnswer) {
  const auto port = static_cast<uint16_t>(fixture_.Port() + kTunnelOffset);
  TestClient endless(port, [this] { fixture_.Poll(); });
  std::string head = "GET /";
  while (head.size() < 7168) head += "X: y\r\n";
  endless.SendRaw(Wire(head));
  EXPECT_TRUE(endless.WaitClosed());
  EXPECT_FALSE(endless.ReadRaw(1, milliseconds(0)));

  TestClient slow(port, [this] { fixture_.Poll(); });
  slow.SendRaw(Wire("GET /"sv));
  Settle();
  fixture_.Clock().Advance(119);
  EXPECT_TRUE(slow.StaysQuiet(milliseconds(20)));
  fixture_.Clock().Advance(1);  // the sweep
  EXPECT_TRUE(slow.WaitClosed());
}

// What clients behind a proxy do, through the proxy that Debian ships.
TEST_F(HttpTunnel, ThroughARealProxyALoginAChatLineAndADownload) {
  Tinyproxy proxy;
  if (!proxy.Running()) GTEST_SKIP() << proxy.Why();
  AccountRecord ann;
  ann.login = "ann";
  ann.name = "Ann";
  ann.scrambled_password = Scramble("secret");
  for (const unsigned bit : {kPrivilegeDownloadFiles, kPrivilegeReadChat, kPrivilegeSendChat}) {
    ann.privileges.Set(bit);
  }
  fixture_.Server().Accounts().Store().Create(ann);

  auto tunnelled = Through(Relay(kTunnelOffset, proxy.Port()));
  ASSERT_TRUE(tunnelled->Handshake());
  UFieldData login;
  login.AddText(kFieldUserLogin, Scramble("ann"));
  login.AddText(kFieldPassword, Scramble("secret"));
  login.AddInteger(kFieldVersion, 151);
  login.AddText(kFieldNickname, "Ann");
  login.AddInteger(kFieldIcon, 1);
  const auto reply = tunnelled->Call(kTranLogin, login);
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->header.error, 0u);

  auto plain = fixture_.ConnectAs("Plain", {kPrivilegeReadChat}, kPlainSource);
  ASSERT_TRUE(plain);
  Say(*tunnelled, "via proxy");
  EXPECT_EQ(Heard(*plain), "\r          Ann:  via proxy");
  ExpectDownload(*tunnelled, proxy.Port());
}

}  // namespace
}  // namespace vantrel::testing
