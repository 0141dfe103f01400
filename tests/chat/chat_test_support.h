#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/access_privileges.h"
#include "protocol/field_data.h"
#include "protocol/transaction_types.h"
#include "support/server_fixture.h"

namespace vantrel::testing {

// `value` as 4 big-endian bytes, for IDs the server chose.
inline std::string Be32(uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
          static_cast<char>(value >> 8), static_cast<char>(value)};
}

// The in-process server with logged-in users, each from its own loopback
// address (so that no per-address rule couples them), named and given
// privileges directly on its ClientSession. User IDs follow joining order from 1.
class ChatTest : public ::testing::Test {
 protected:
  static constexpr uint32_t kFirstSource = 0x7F000002;  // 127.0.0.2

  // A logged-in user named `name` holding `bits` (read and send chat unless given).
  std::unique_ptr<TestClient> Join(std::string name, std::initializer_list<unsigned> bits = {
                                                         kPrivilegeReadChat, kPrivilegeSendChat}) {
    return fixture_.ConnectAs(std::move(name), bits, next_source_++);
  }

  // The session of the user that joined `index`-th (from 0), while all are connected.
  ClientSession& Session(size_t index) { return fixture_.Session(index); }

  // One request and its reply: once it is back, the server has handled
  // everything `client` sent before it.
  static void RoundTrip(TestClient& client) { ASSERT_TRUE(client.Call(kTranKeepAlive)); }

  // True when nothing of `type` reached `observer` because of what `actor` sent
  // so far: after both round trips every such transaction would already be in.
  static bool NothingOf(TestClient& actor, TestClient& observer, uint16_t type) {
    RoundTrip(actor);
    RoundTrip(observer);
    return !observer.WaitRequest(type, milliseconds(0));
  }

  // The address the user that joined `index`-th (from 0) connects from.
  static uint32_t SourceOf(size_t index) { return kFirstSource + static_cast<uint32_t>(index); }

  ServerFixture fixture_;
  uint32_t next_source_ = kFirstSource;
};

}  // namespace vantrel::testing
