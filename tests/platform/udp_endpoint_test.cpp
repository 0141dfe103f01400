#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>

#include <asio/io_context.hpp>

#include "platform/exception.h"
#include "platform/udp_endpoint.h"

namespace vantrel {
namespace {

constexpr uint32_t kLoopback = 0x7F000001;

TEST(UdpEndpoint, LookupCompletesOnTheLoopWithTheFirstIpv4Address) {
  asio::io_context io;
  UdpEndpoint endpoint(io, kLoopback);
  int calls = 0;
  std::optional<uint32_t> found;
  endpoint.LookUp("localhost", [&](std::optional<uint32_t> address) {
    ++calls;
    found = address;
  });
  EXPECT_TRUE(endpoint.LookupPending());
  EXPECT_EQ(calls, 0);
  io.run_for(std::chrono::seconds(5));
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(found, std::optional<uint32_t>(kLoopback));
  EXPECT_FALSE(endpoint.LookupPending());
}

TEST(UdpEndpoint, DestroyedWhileALookupIsPendingNeverCompletes) {
  asio::io_context io;
  auto endpoint = std::make_unique<UdpEndpoint>(io, kLoopback);
  bool called = false;
  endpoint->LookUp("localhost", [&](std::optional<uint32_t>) { called = true; });
  endpoint.reset();
  io.run_for(std::chrono::seconds(5));
  EXPECT_FALSE(called);
}

TEST(UdpEndpoint, AnAddressNotOnThisMachineCannotBeBound) {
  asio::io_context io;
  try {
    UdpEndpoint endpoint(io, 0xC0000201);  // 192.0.2.1, a documentation address
    ADD_FAILURE() << "bound";
  } catch (const Omberly::CException& failure) {
    EXPECT_EQ(failure.ErrorClass(), kErrorClassNetwork);
    EXPECT_EQ(failure.Code(), kErrorCodeEndpointUnavailable);
    EXPECT_NE(failure.SystemError(), 0);
  }
}

}  // namespace
}  // namespace vantrel
