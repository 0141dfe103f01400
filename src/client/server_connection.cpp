#include "client/server_connection.h"

#include <algorithm>

#include "client/text_capacity.h"
#include "platform/byte_order.h"
#include "platform/mac_roman.h"
#include "protocol/field_ids.h"
#include "protocol/handshake.h"

namespace vantrel::client {
std::string Incoming::ErrorText() const {
  return IsError() ? fields.ReadText(kFieldErrorText, kTextCapacity) : std::string();
}

std::string ServerConnection::Refusal(const std::optional<Incoming>& reply) const {
  return reply ? MacRomanToOperatorText(reply->ErrorText()) : failure_;
}

ServerConnection::ServerConnection(std::unique_ptr<ClientSocket> socket,
                                   std::chrono::milliseconds wait)
    : socket_(std::move(socket)), wait_(wait) {}

bool ServerConnection::Handshake() {
  std::vector<uint8_t> hello(kProtocolMagic.begin(), kProtocolMagic.end());
  hello.insert(hello.end(), kVantrelMagic.begin(), kVantrelMagic.end());
  Append16(hello, kProtocolVersion);
  Append16(hello, kSubVersionClient);
  const auto deadline = ClientSocket::Clock::now() + wait_;
  if (!socket_->Send(hello, deadline)) {
    failure_ = "the server closed the connection";
    return false;
  }
  while (inbox_.size() < kHandshakeAnswerSize) {
    if (socket_->Receive(inbox_, deadline) != ClientSocket::Received::kData) {
      failure_ = "the server did not answer the handshake";
      return false;
    }
  }
  const bool accepted = std::equal(kProtocolMagic.begin(), kProtocolMagic.end(), inbox_.begin()) &&
                        Get32(inbox_.data() + kProtocolMagic.size()) == kHandshakeAccepted;
  inbox_.erase(inbox_.begin(), inbox_.begin() + kHandshakeAnswerSize);
  if (!accepted) failure_ = "the server refused the connection";
  return accepted;
}

uint32_t ServerConnection::Send(uint16_t type, const UFieldData& fields) {
  const uint32_t id = ++next_id_;
  socket_->Send(RequestBytes(type, id, fields.Buffer()), ClientSocket::Clock::now() + wait_);
  return id;
}

std::optional<Incoming> ServerConnection::Call(uint16_t type, const UFieldData& fields) {
  const uint32_t id = Send(type, fields);
  return ReadUntil(
      [id](const Incoming& incoming) {
        return incoming.header.is_reply != 0 && incoming.header.id == id;
      },
      ClientSocket::Clock::now() + wait_);
}

std::optional<Incoming> ServerConnection::WaitFor(uint16_t type) {
  return ReadUntil(
      [type](const Incoming& incoming) {
        return incoming.header.is_reply == 0 && incoming.header.type == type;
      },
      ClientSocket::Clock::now() + wait_);
}

bool ServerConnection::ReadAvailable() {
  // A deadline already passed: every attempt reads without waiting.
  ReadUntil([](const Incoming&) { return false; }, ClientSocket::Clock::now());
  return IsOpen();
}

std::optional<Incoming> ServerConnection::TakeTransaction() {
  if (inbox_.size() < kTransactionHeaderSize) return std::nullopt;
  const auto header = Transaction::Decode(
      std::span<const uint8_t, kTransactionHeaderSize>(inbox_.data(), kTransactionHeaderSize));
  if (header.data_size > kDefaultMaxTransactionSize) {
    // Not a stream of transactions: nothing after this can be read.
    broken_ = true;
    socket_->Close();
    return std::nullopt;
  }
  const size_t end = kTransactionHeaderSize + header.data_size;
  if (inbox_.size() < end) return std::nullopt;
  std::vector<uint8_t> body(inbox_.begin() + kTransactionHeaderSize,
                            inbox_.begin() + static_cast<std::ptrdiff_t>(end));
  inbox_.erase(inbox_.begin(), inbox_.begin() + static_cast<std::ptrdiff_t>(end));
  return Incoming{header, UFieldData(std::move(body))};
}

std::optional<Incoming> ServerConnection::ReadUntil(
    const std::function<bool(const Incoming&)>& wanted, ClientSocket::Clock::time_point deadline) {
  for (;;) {
    while (auto incoming = TakeTransaction()) {
      if (wanted(*incoming)) return incoming;
      Dispatch(*incoming);
    }
    if (broken_) {
      failure_ = "the server sent something that is not a transaction";
      return std::nullopt;
    }
    switch (socket_->Receive(inbox_, deadline)) {
      case ClientSocket::Received::kData:
        break;
      case ClientSocket::Received::kTimedOut:
        failure_ = "the server did not answer in time";
        return std::nullopt;
      case ClientSocket::Received::kClosed:
        failure_ = "the server closed the connection";
        return std::nullopt;
    }
  }
}

void ServerConnection::Dispatch(const Incoming& incoming) {
  // Replies to requests nobody waits for any more are dropped.
  if (incoming.header.is_reply == 0 && on_event_) on_event_(incoming);
}

}  // namespace vantrel::client
