#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/client_socket.h"
#include "protocol/field_data.h"
#include "protocol/transaction.h"

namespace vantrel::client {

// A transaction as the client received it.
struct Incoming {
  Transaction header;
  UFieldData fields;

  bool IsError() const { return header.error != 0; }
  // The error reply's field 100 (Mac Roman); empty for a success.
  std::string ErrorText() const;
};

// How long the client waits for an answer before it gives up on the server.
inline constexpr std::chrono::seconds kAnswerWait{30};

// The client's connection to the server: the handshake, requests and their
// replies, and the transactions the server sends on its own (notifications),
// which go to the event handler as they arrive, also while a reply is awaited.
// Owns its socket; one thread only.
class ServerConnection {
 public:
  using EventHandler = std::function<void(const Incoming&)>;

  // REQUIRES: `socket` is connected.
  explicit ServerConnection(std::unique_ptr<ClientSocket> socket,
                            std::chrono::milliseconds wait = kAnswerWait);

  // Sends the 12-byte handshake of a client session and reads the answer;
  // false, with Failure() set, unless the server accepted it.
  bool Handshake();

  // Where notifications go (replacing the handler set before); none drops them.
  void SetEventHandler(EventHandler handler) { on_event_ = std::move(handler); }

  // Sends a request with the next transaction ID (1, 2, ...) and returns the ID.
  uint32_t Send(uint16_t type, const UFieldData& fields = {});
  // Sends a request and waits for its reply: nothing, with Failure() set, when
  // the connection closed or no reply came in time.
  std::optional<Incoming> Call(uint16_t type, const UFieldData& fields = {});
  // Waits for the next transaction of `type` the server sends on its own,
  // handing the others to the event handler; nothing, with Failure() set, as
  // for Call.
  std::optional<Incoming> WaitFor(uint16_t type);
  // Hands what has arrived to the event handler without waiting; false once
  // the connection is closed.
  bool ReadAvailable();

  bool IsOpen() const { return socket_->IsOpen() && !broken_; }
  int Descriptor() const { return socket_->Descriptor(); }
  // Why the last wait ended without what it waited for.
  const std::string& Failure() const { return failure_; }
  // Why `reply` (as Call gave it) is no success, in UTF-8 lines: the server's
  // error text, or Failure() when no reply came.
  std::string Refusal(const std::optional<Incoming>& reply) const;

 private:
  // The next whole transaction in the inbox; nothing while it is incomplete.
  std::optional<Incoming> TakeTransaction();
  // Reads until `wanted` holds for a transaction (which is returned) or
  // `deadline` passes, handing the server's other requests to the event handler.
  std::optional<Incoming> ReadUntil(const std::function<bool(const Incoming&)>& wanted,
                                    ClientSocket::Clock::time_point deadline);
  void Dispatch(const Incoming& incoming);

  std::unique_ptr<ClientSocket> socket_;
  std::chrono::milliseconds wait_;
  std::vector<uint8_t> inbox_;
  uint32_t next_id_ = 0;
  bool broken_ = false;
  EventHandler on_event_;
  std::string failure_;
};

}  // namespace vantrel::client
