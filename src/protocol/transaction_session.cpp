#include "protocol/transaction_session.h"

#include <algorithm>
#include <utility>

#include "platform/byte_order.h"

namespace vantrel {
namespace {

uint32_t g_max_transaction_size = kDefaultMaxTransactionSize;

}  // namespace

uint32_t MaxTransactionSize() {
  return g_max_transaction_size;
}
void SetMaxTransactionSize(uint32_t size) {
  g_max_transaction_size = size;
}

TransactionSession::TransactionSession(std::unique_ptr<Transport> transport)
    : transport_(std::move(transport)) {}

TransactionSession::~TransactionSession() = default;

HandshakeResult TransactionSession::CheckHandshake() {
  if (!IsConnected()) return HandshakeResult::kNotYet;
  if (handshake_checked_) return HandshakeResult::kValid;
  if (transport_->BytesAvailable() < kHandshakeSize) return HandshakeResult::kNotYet;

  std::array<uint8_t, kHandshakeSize> bytes{};
  transport_->Read(bytes);
  if (!std::equal(kProtocolMagic.begin(), kProtocolMagic.end(), bytes.begin())) {
    return HandshakeResult::kNotProtocol;
  }
  if (Get16(&bytes[8]) != kProtocolVersion) {
    SendAnswer(kHandshakeRefused);
    return HandshakeResult::kBadVersion;
  }
  std::copy_n(bytes.begin() + 4, 4, sub_protocol_.begin());
  sub_version_ = Get16(&bytes[10]);
  handshake_checked_ = true;
  return HandshakeResult::kValid;
}

void TransactionSession::AcceptHandshake() {
  if (handshake_done_) return;
  SendAnswer(kHandshakeAccepted);
  handshake_done_ = true;
}

void TransactionSession::RefuseHandshake(uint32_t code) {
  SendAnswer(code == kHandshakeAccepted ? kHandshakeRefused : code);
}

void TransactionSession::SendAnswer(uint32_t code) {
  std::array<uint8_t, kHandshakeAnswerSize> answer{};
  std::copy(kProtocolMagic.begin(), kProtocolMagic.end(), answer.begin());
  Put32(&answer[4], code);
  Send(answer, {});
}

void TransactionSession::Pump() {
  if (!handshake_done_ || broken_ || !transport_) return;
  for (;;) {
    if (body_remaining_ == 0) {
      if (ready_ >= kMaxReadyRequests) return;  // read on once these are taken
      if (transport_->BytesAvailable() < kTransactionHeaderSize) return;
      std::array<uint8_t, kTransactionHeaderSize> header{};
      transport_->Read(header);
      current_ = Transaction::Decode(header);
      const uint32_t max = MaxTransactionSize();
      if (current_.total_size == 0 || current_.total_size > max || current_.data_size == 0 ||
          current_.data_size > max) {
        Break();
        return;
      }
      // The buffer grows as the body arrives, so a header that claims much and
      // sends little costs only what was sent.
      receive_buffer_.clear();
      body_remaining_ = current_.data_size;
      body_received_ = 0;
    }
    const size_t take = std::min<size_t>(transport_->BytesAvailable(), body_remaining_);
    if (take == 0) return;
    receive_buffer_.resize(body_received_ + take);
    const size_t n = transport_->Read(std::span<uint8_t>(receive_buffer_).subspan(body_received_));
    body_received_ += static_cast<uint32_t>(n);
    body_remaining_ -= static_cast<uint32_t>(n);
    if (body_remaining_ > 0) return;
    AddChunk();
    if (broken_) return;
  }
}

void TransactionSession::AddChunk() {
  const bool is_reply = current_.is_reply != 0;
  const auto kind = is_reply ? Record::Kind::kReceivedReply : Record::Kind::kRequest;
  auto record = std::find_if(records_.begin(), records_.end(), [&](const Record& held) {
    return held.kind == kind && held.id == current_.id;
  });
  const uint32_t chunk_size = current_.data_size;

  if (record != records_.end()) {
    Count(*record, -1);
    record->error = current_.error;
    record->type = current_.type;
    record->total_size = current_.total_size;
    record->reply_arrived = true;
    record->received_size += chunk_size;
    if (record->data.empty()) {
      record->data = std::move(receive_buffer_);
    } else {
      record->data.insert(record->data.end(), receive_buffer_.begin(), receive_buffer_.end());
    }
  } else if (!is_reply) {
    record = records_.emplace(records_.end());
    record->kind = Record::Kind::kRequest;
    record->id = current_.id;
    record->type = current_.type;
    record->error = current_.error;
    record->total_size = current_.total_size;
    record->received_size = chunk_size;
    record->data = std::move(receive_buffer_);
  } else {
    return;  // the server waits for no replies
  }
  receive_buffer_.clear();
  Count(*record, +1);
  if (incomplete_ > kMaxIncompleteRequests || held_bytes_ > kMaxHeldRequestBytes) Break();
}

void TransactionSession::Count(const Record& record, int sign) {
  if (record.taken || record.kind != Record::Kind::kRequest) return;
  const auto step = static_cast<size_t>(sign);  // +1, or -1 wrapping to subtract
  held_bytes_ += step * record.data.size();
  (record.Complete() ? ready_ : incomplete_) += step;
}

void TransactionSession::Break() {
  broken_ = true;
  Disconnect();
}

std::optional<TransactionHandle> TransactionSession::NextRequest() {
  Pump();
  for (auto it = records_.begin(); it != records_.end(); ++it) {
    if (it->kind == Record::Kind::kRequest && !it->taken && it->Complete()) {
      Count(*it, -1);
      it->taken = true;
      return TransactionHandle(*this, it);
    }
  }
  return std::nullopt;
}

void TransactionSession::Dispose(std::list<Record>::iterator request) {
  records_.erase(request);
}

uint32_t TransactionSession::SendRequest(uint16_t type, std::span<const uint8_t> field_list) {
  if (++next_request_id_ == 0) next_request_id_ = 1;
  const auto header =
      Transaction::Request(type, next_request_id_, static_cast<uint32_t>(field_list.size()))
          .Encode();
  Send(header, field_list);
  return next_request_id_;
}

void TransactionSession::Send(std::span<const uint8_t> header, std::span<const uint8_t> body) {
  if (transport_) transport_->Send(header, body);
}

void TransactionSession::Disconnect() {
  handshake_done_ = false;
  if (transport_) transport_->Disconnect();
}

void TransactionSession::CloseGracefully() {
  if (transport_) transport_->CloseGracefully();
}

TransactionHandle::TransactionHandle(TransactionHandle&& other) noexcept
    : session_(std::exchange(other.session_, nullptr)),
      request_(other.request_),
      reply_error_(other.reply_error_) {}

TransactionHandle::~TransactionHandle() {
  if (session_ != nullptr) session_->Dispose(request_);
}

void TransactionHandle::FieldsOf(UFieldData& fields) {
  if (request_->data.empty()) {
    fields.Clear();
  } else {
    fields.TakeBuffer(std::move(request_->data));
    request_->data.clear();
  }
}

void TransactionHandle::SendReply(const UFieldData& fields) {
  const auto body = fields.Buffer();
  const auto header =
      Transaction::Reply(request_->id, reply_error_, static_cast<uint32_t>(body.size())).Encode();
  session_->Send(header, body);
}

}  // namespace vantrel
