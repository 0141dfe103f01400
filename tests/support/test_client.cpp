#include "support/test_client.h"

#include <algorithm>

#include "platform/byte_order.h"
#include "protocol/field_ids.h"

namespace vantrel::testing {
namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

TestClient::TestClient(uint16_t port, Pump pump, uint32_t source) {
  std::string error;
  socket_ = ClientSocket::Connect("127.0.0.1", port, Clock::now() + kDefaultWait, std::move(pump),
                                  error, source);
}

TestClient::~TestClient() {
  Close();
}

void TestClient::Close() {
  if (socket_) socket_->Close();
}

void TestClient::SendRaw(std::span<const uint8_t> bytes) {
  if (socket_) socket_->Send(bytes, Clock::now() + kDefaultWait);
}

void TestClient::SendHandshake(uint16_t version, uint16_t sub_version, std::string_view magic) {
  std::vector<uint8_t> bytes = {'T', 'R', 'T', 'P'};
  bytes.insert(bytes.end(), magic.begin(), magic.end());
  bytes.resize(12);
  Put16(&bytes[8], version);
  Put16(&bytes[10], sub_version);
  SendRaw(bytes);
}

bool TestClient::Handshake() {
  SendHandshake();
  const auto answer = ReadRaw(8);
  static constexpr uint8_t kAccepted[8] = {'T', 'R', 'T', 'P', 0, 0, 0, 0};
  return answer && std::equal(answer->begin(), answer->end(), kAccepted);
}

uint32_t TestClient::SendRequest(uint16_t type, const UFieldData& fields) {
  const uint32_t id = ++next_id_;
  SendRaw(RequestBytes(type, id, fields.Buffer()));
  return id;
}

bool TestClient::Fill(size_t n, Clock::time_point deadline) {
  while (inbox_.size() < n) {
    if (!socket_ || socket_->Receive(inbox_, deadline) != ClientSocket::Received::kData) {
      return false;
    }
  }
  return true;
}

std::optional<std::vector<uint8_t>> TestClient::ReadRaw(size_t n, milliseconds wait) {
  if (!Fill(n, Clock::now() + wait)) return std::nullopt;
  std::vector<uint8_t> bytes(inbox_.begin(), inbox_.begin() + static_cast<std::ptrdiff_t>(n));
  inbox_.erase(inbox_.begin(), inbox_.begin() + static_cast<std::ptrdiff_t>(n));
  return bytes;
}

std::optional<Received> TestClient::NextTransaction(Clock::time_point deadline) {
  if (!Fill(kTransactionHeaderSize, deadline)) return std::nullopt;
  const auto header =
      Transaction::Decode(std::span<const uint8_t, kTransactionHeaderSize>(inbox_.data(), 20));
  const size_t total = kTransactionHeaderSize + header.data_size;
  if (!Fill(total, deadline)) return std::nullopt;
  std::vector<uint8_t> body(inbox_.begin() + kTransactionHeaderSize,
                            inbox_.begin() + static_cast<std::ptrdiff_t>(total));
  inbox_.erase(inbox_.begin(), inbox_.begin() + static_cast<std::ptrdiff_t>(total));
  return Received{header, UFieldData(std::move(body))};
}

std::optional<Received> TestClient::WaitReply(uint32_t id, milliseconds wait) {
  const auto deadline = Clock::now() + wait;
  while (auto received = NextTransaction(deadline)) {
    if (received->header.is_reply != 0 && received->header.id == id) return received;
    kept_.push_back(std::move(*received));
  }
  return std::nullopt;
}

std::optional<Received> TestClient::WaitRequest(uint16_t type, milliseconds wait) {
  for (auto it = kept_.begin(); it != kept_.end(); ++it) {
    if (it->header.is_reply == 0 && it->header.type == type) {
      Received found = std::move(*it);
      kept_.erase(it);
      return found;
    }
  }
  const auto deadline = Clock::now() + wait;
  while (auto received = NextTransaction(deadline)) {
    if (received->header.is_reply == 0 && received->header.type == type) return received;
    kept_.push_back(std::move(*received));
  }
  return std::nullopt;
}

bool TestClient::WaitClosed(milliseconds wait) {
  const auto deadline = Clock::now() + wait;
  for (;;) {
    if (!socket_) return false;
    switch (socket_->Receive(inbox_, deadline)) {
      case ClientSocket::Received::kData:
        break;
      case ClientSocket::Received::kTimedOut:
        return false;
      case ClientSocket::Received::kClosed:
        return true;
    }
  }
}

bool TestClient::StaysQuiet(milliseconds wait) {
  return socket_ &&
         socket_->Receive(inbox_, Clock::now() + wait) == ClientSocket::Received::kTimedOut;
}

std::vector<uint8_t> Bytes(const UFieldData& fields) {
  const auto buffer = fields.Buffer();
  return {buffer.begin(), buffer.end()};
}

std::vector<uint8_t> Bytes(const std::optional<Received>& received) {
  return received ? Bytes(received->fields) : std::vector<uint8_t>{};
}

std::string DataText(const std::optional<Received>& received) {
  return received ? received->fields.ReadText(kFieldData, 65536) : "(nothing)";
}

std::vector<uint8_t> Wire(std::string_view bytes) {
  return {bytes.begin(), bytes.end()};
}

std::string ErrorText(const std::optional<Received>& reply) {
  if (!reply || reply->header.error != 1) return "(no error reply)";
  return reply->fields.ReadText(kFieldErrorText, 1024);
}

}  // namespace vantrel::testing
