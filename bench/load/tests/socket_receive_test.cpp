// Reading a socket with the time its bytes arrived.
#include "socket_receive.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <optional>
#include <thread>

#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/write.hpp>

namespace vantrel::load {
namespace {

TEST(SocketReceive, ArrivalTimeIsWhenTheBytesCameNotWhenTheyWereRead) {
  asio::io_context io;
  asio::ip::tcp::acceptor acceptor(io, {asio::ip::make_address_v4("127.0.0.1"), 0});
  asio::ip::tcp::socket writer(io);
  writer.connect(acceptor.local_endpoint());
  asio::ip::tcp::socket reader = acceptor.accept();
  ASSERT_TRUE(EnableArrivalTimes(reader.native_handle()));

  std::array<uint8_t, 16> buffer{};
  std::optional<LoadClock::time_point> arrival;
  std::error_code error;
  EXPECT_EQ(ReceiveWithArrival(reader.native_handle(), buffer, arrival, error), 0u);
  EXPECT_EQ(error, std::errc::resource_unavailable_try_again);  // nothing sent yet

  // The kernel starts stamping soon after it is first asked to: a byte at a
  // time until one comes stamped, for at most a second.
  constexpr auto kStep = std::chrono::milliseconds(10);
  for (int attempt = 0; attempt < 100 && !arrival; ++attempt) {
    asio::write(writer, asio::buffer("x", 1));
    std::this_thread::sleep_for(kStep);
    ASSERT_EQ(ReceiveWithArrival(reader.native_handle(), buffer, arrival, error), 1u);
  }
  ASSERT_TRUE(arrival.has_value()) << "the kernel gave no arrival times";

  const auto sent = LoadClock::now();
  asio::write(writer, asio::buffer("hello", 5));
  constexpr auto kPause = std::chrono::milliseconds(30);
  std::this_thread::sleep_for(kPause);
  const auto before_read = LoadClock::now();
  ASSERT_EQ(ReceiveWithArrival(reader.native_handle(), buffer, arrival, error), 5u);
  ASSERT_TRUE(arrival.has_value());
  EXPECT_GE(*arrival, sent - std::chrono::milliseconds(1));  // the two clocks agree to within that
  EXPECT_LE(*arrival, before_read - kPause / 2);

  writer.close();
  EXPECT_EQ(ReceiveWithArrival(reader.native_handle(), buffer, arrival, error), 0u);
  EXPECT_FALSE(error);  // the end of the stream
}

}  // namespace
}  // namespace vantrel::load
