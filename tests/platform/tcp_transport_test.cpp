#include "platform/tcp_transport.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <asio/io_context.hpp>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/exception.h"
#include "platform/file_system.h"
#include "support/server_fixture.h"
#include "support/temporary_folder.h"
#include "support/test_client.h"

namespace vantrel::testing {
namespace {

class TcpTransportTest : public ::testing::Test {
 protected:
  static constexpr size_t kMiB = 1024 * 1024;

  TcpTransportTest() : listener_(io_) {
    listener_.Open(kLoopback, 0, 10, [this] { ++accept_events_; });
  }

  void Poll() {
    io_.restart();
    io_.run_for(std::chrono::milliseconds(1));
  }

  // Connects a client and takes the server side of the connection.
  std::unique_ptr<Transport> Accept(std::unique_ptr<TestClient>& client) {
    return Accept(client, listener_);
  }
  std::unique_ptr<Transport> Accept(std::unique_ptr<TestClient>& client, TcpListener& listener) {
    client = std::make_unique<TestClient>(listener.LocalPort(), [this] { Poll(); });
    std::unique_ptr<Transport> transport;
    for (int i = 0; i < 1000 && !transport; ++i) {
      Poll();
      transport = listener.TakeAccepted();
    }
    if (transport) transport->SetNotify([this](TransportEvent event) { events_.push_back(event); });
    return transport;
  }

  asio::io_context io_;
  TcpListener listener_;
  int accept_events_ = 0;
  std::vector<TransportEvent> events_;
};

TEST_F(TcpTransportTest, ReportsPeerAddressAndReadsWhatArrived) {
  std::unique_ptr<TestClient> client;
  auto transport = Accept(client);
  ASSERT_TRUE(transport);
  EXPECT_EQ(transport->PeerAddress(), kLoopback);
  EXPECT_EQ(accept_events_, 1);
  client->SendRaw(std::vector<uint8_t>{1, 2, 3, 4, 5});
  for (int i = 0; i < 1000 && transport->BytesAvailable() < 5; ++i) Poll();
  ASSERT_EQ(transport->BytesAvailable(), 5u);
  uint8_t out[3];
  EXPECT_EQ(transport->Read(out), 3u);
  EXPECT_EQ(out[2], 3);
  EXPECT_EQ(transport->BytesAvailable(), 2u);
  EXPECT_EQ(events_.front(), TransportEvent::kDataArrived);
}

TEST_F(TcpTransportTest, SendsAreHeldUntilTheEventEndsThenWrittenTogether) {
  std::unique_ptr<TestClient> client;
  auto transport = Accept(client);
  ASSERT_TRUE(transport);
  const std::vector<uint8_t> a = {'a', 'b'}, b = {'c'};
  transport->Send(a, b);
  transport->Send(b, {});
  EXPECT_EQ(transport->QueuedBytes(), 4u);
  const auto received = client->ReadRaw(4);
  ASSERT_TRUE(received);
  EXPECT_EQ(std::string(received->begin(), received->end()), "abcc");
  for (int i = 0; i < 100 && events_.empty(); ++i) Poll();
  EXPECT_EQ(transport->QueuedBytes(), 0u);
  ASSERT_FALSE(events_.empty());
  EXPECT_EQ(events_.back(), TransportEvent::kQueueDrained);
}

TEST_F(TcpTransportTest, GracefulCloseSendsTheQueueFirstDisconnectDropsIt) {
  std::unique_ptr<TestClient> graceful_client, abrupt_client;
  auto graceful = Accept(graceful_client);
  auto abrupt = Accept(abrupt_client);
  ASSERT_TRUE(graceful && abrupt);
  const std::vector<uint8_t> bytes(100000, 'x');
  graceful->Send(bytes, {});
  graceful->CloseGracefully();
  EXPECT_TRUE(graceful->IsClosePending());
  EXPECT_TRUE(graceful->IsConnected());
  EXPECT_EQ(graceful_client->ReadRaw(bytes.size()), bytes);
  EXPECT_TRUE(graceful_client->WaitClosed());
  EXPECT_FALSE(graceful->IsConnected());

  abrupt->Send(bytes, {});
  abrupt->Disconnect();
  EXPECT_FALSE(abrupt->IsConnected());
  EXPECT_TRUE(abrupt_client->WaitClosed());
  EXPECT_FALSE(abrupt_client->ReadRaw(1, milliseconds(10)).has_value());
}

TEST_F(TcpTransportTest, PeerThatSendsWithoutBeingReadIsHeldAtTheHighWaterMark) {
  std::unique_ptr<TestClient> client;
  auto transport = Accept(client);
  ASSERT_TRUE(transport);
  const std::vector<uint8_t> block(64 * 1024, 'y');
  // Far more than the mark; the client's sends stall once the socket buffers fill.
  for (int i = 0; i < 64; ++i) client->SendRaw(block);
  for (int i = 0; i < 50; ++i) Poll();
  EXPECT_GE(transport->BytesAvailable(), kInboundHighWater);
  EXPECT_LT(transport->BytesAvailable(), kInboundHighWater + 64 * 1024 + 1);
  std::vector<uint8_t> sink(kInboundHighWater);
  transport->Read(sink);  // below half: reading resumes
  for (int i = 0; i < 50; ++i) Poll();
  EXPECT_GT(transport->BytesAvailable(), 0u);
}

TEST_F(TcpTransportTest, ClientThatStopsReadingIsDisconnectedAtTheSendQueueCap) {
  std::unique_ptr<TestClient> client;
  auto transport = Accept(client);
  ASSERT_TRUE(transport);
  const std::vector<uint8_t> block(1024 * 1024, 'z');
  for (size_t sent = 0; sent <= kSendQueueLimit + block.size() && transport->IsConnected();
       sent += block.size()) {
    transport->Send(block, {});
  }
  EXPECT_FALSE(transport->IsConnected());
  for (int i = 0; i < 100 && events_.size() < 2; ++i) Poll();
  ASSERT_GE(events_.size(), 1u);
  EXPECT_EQ(events_.front(), TransportEvent::kSendQueueOverflow);
}

TEST_F(TcpTransportTest, PastTheSharedBudgetTheLargestQueueIsDisconnected) {
  SendBudget budget(8 * kMiB);
  TcpListener budgeted(io_);
  budgeted.Open(
      kLoopback, 0, 10, [] {}, &budget);
  std::unique_ptr<TestClient> client_a;
  std::unique_ptr<TestClient> client_b;
  auto a = Accept(client_a, budgeted);
  auto b = Accept(client_b, budgeted);
  ASSERT_TRUE(a && b);
  std::vector<TransportEvent> b_events;
  b->SetNotify([&b_events](TransportEvent event) { b_events.push_back(event); });
  // Nothing is written until the event loop runs, so every byte stays queued.
  a->Send(std::vector<uint8_t>(3 * kMiB, 'a'), {});
  b->Send(std::vector<uint8_t>(2 * kMiB, 'b'), {});
  EXPECT_EQ(budget.Queued(), 5 * kMiB);
  a->Send(std::vector<uint8_t>(4 * kMiB, 'a'), {});  // 9 MiB in all: A holds the most
  EXPECT_FALSE(a->IsConnected());
  EXPECT_TRUE(b->IsConnected());
  EXPECT_EQ(budget.Queued(), 2 * kMiB);
  for (int i = 0; i < 100 && events_.empty(); ++i) Poll();
  ASSERT_FALSE(events_.empty());
  EXPECT_EQ(events_.front(), TransportEvent::kSendQueueOverflow);
  EXPECT_TRUE(std::find(b_events.begin(), b_events.end(), TransportEvent::kSendQueueOverflow) ==
              b_events.end());
}

TEST_F(TcpTransportTest, FileRangesGoOutInTheirTurnBetweenBytes) {
  TemporaryFolder folder;
  const std::filesystem::path path = folder.Path() / "data";
  std::string content(3 * kMiB, '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i % 251);
  std::ofstream(path, std::ios::binary) << content;
  std::shared_ptr<ReadableFile> file = FileSystem::Default().OpenForReading(path);

  std::unique_ptr<TestClient> client;
  auto transport = Accept(client);
  ASSERT_TRUE(transport);
  const std::vector<uint8_t> head = {'<'}, middle = {'|'}, tail = {'>'};
  transport->Send(head);
  transport->SendFile(file, 10, 2 * kMiB);  // more than a socket takes at once
  transport->Send(middle);
  transport->SendFile(file, 0, 5);
  transport->Send(tail);
  EXPECT_EQ(transport->QueuedBytes(), 2 * kMiB + 8);
  const auto received = client->ReadRaw(2 * kMiB + 8);
  ASSERT_TRUE(received);
  const std::string text(received->begin(), received->end());
  EXPECT_EQ(text, "<" + content.substr(10, 2 * kMiB) + "|" + content.substr(0, 5) + ">");
  for (int i = 0; i < 100 && transport->QueuedBytes() != 0; ++i) Poll();
  EXPECT_EQ(transport->QueuedBytes(), 0u);

  // A range past the file's end is refused when it is queued.
  EXPECT_THROW(transport->SendFile(file, content.size() - 2, 5), Omberly::CException);
}

}  // namespace
}  // namespace vantrel::testing
