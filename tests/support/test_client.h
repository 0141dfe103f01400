#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/client_socket.h"
#include "protocol/field_data.h"
#include "protocol/transaction.h"

namespace vantrel::testing {

using std::chrono::milliseconds;
inline constexpr milliseconds kDefaultWait{2000};

// A transaction as the test client received it.
struct Received {
  Transaction header;
  UFieldData fields;
};

// A protocol client over a real TCP socket to 127.0.0.1, for tests and load
// tools. Every wait has a time-out. When the server runs in the same thread,
// `pump` is called while waiting so that the server can make progress;
// otherwise the client blocks in poll().
class TestClient {
 public:
  using Pump = std::function<void()>;

  // Connects to 127.0.0.1:`port`, from the loopback address `source` when it is
  // not 0 (127.x.y.z as a 32-bit number). Check Connected() afterwards.
  TestClient(uint16_t port, Pump pump = {}, uint32_t source = 0);
  ~TestClient();

  TestClient(const TestClient&) = delete;
  TestClient& operator=(const TestClient&) = delete;

  bool Connected() const { return socket_ && socket_->Descriptor() >= 0; }

  void SendRaw(std::span<const uint8_t> bytes);
  // "TRTP", `magic`, `version`, `sub_version`.
  void SendHandshake(uint16_t version = 1, uint16_t sub_version = 2,
                     std::string_view magic = "VANT");
  // Sends the handshake and waits for the 8-byte answer; true when accepted.
  bool Handshake();

  // Sends a request with the next transaction ID (1, 2, ...) and returns the ID.
  uint32_t SendRequest(uint16_t type, const UFieldData& fields = {});
  // Sends a request and waits for its reply.
  std::optional<Received> Call(uint16_t type, const UFieldData& fields = {}) {
    return WaitReply(SendRequest(type, fields));
  }

  // Exactly `n` raw bytes, or nothing when they did not arrive in time.
  std::optional<std::vector<uint8_t>> ReadRaw(size_t n, milliseconds wait = kDefaultWait);
  // The reply to request `id`; other transactions that arrive meanwhile are kept.
  std::optional<Received> WaitReply(uint32_t id, milliseconds wait = kDefaultWait);
  // The next server request of `type` (kept ones first, in arrival order).
  std::optional<Received> WaitRequest(uint16_t type, milliseconds wait = kDefaultWait);
  // True once the server has closed the connection (all sent bytes were read).
  bool WaitClosed(milliseconds wait = kDefaultWait);
  // No transaction and no close within `wait`.
  bool StaysQuiet(milliseconds wait);

  void Close();

 private:
  // Reads until `n` bytes are buffered; false on time-out or close.
  bool Fill(size_t n, std::chrono::steady_clock::time_point deadline);
  std::optional<Received> NextTransaction(std::chrono::steady_clock::time_point deadline);

  std::unique_ptr<ClientSocket> socket_;  // null when the connection failed
  std::vector<uint8_t> inbox_;
  std::deque<Received> kept_;
  uint32_t next_id_ = 0;
};

// The bytes of a field list as sent on the wire.
std::vector<uint8_t> Bytes(const UFieldData& fields);
// The bytes of a received transaction's field list; none when nothing arrived.
std::vector<uint8_t> Bytes(const std::optional<Received>& received);
// The text of field 101 of a received transaction; "(nothing)" when nothing arrived.
std::string DataText(const std::optional<Received>& received);
// The bytes of a literal (write it with the sv suffix so that 0x00 bytes count).
std::vector<uint8_t> Wire(std::string_view bytes);
// The text of field 100 of an error reply; "(no error reply)" for anything else.
std::string ErrorText(const std::optional<Received>& reply);

}  // namespace vantrel::testing
