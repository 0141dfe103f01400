#include "vantrel_codec.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "chat_line.h"
#include "platform/byte_order.h"
#include "protocol/field_data.h"
#include "protocol/field_ids.h"
#include "protocol/handshake.h"
#include "protocol/transaction_types.h"

namespace vantrel::load {
namespace {

// The login every load client uses, and the icon it shows.
constexpr std::string_view kGuestLogin = "guest";
constexpr uint32_t kLoadIcon = 128;
// The client version announced in the login.
constexpr uint32_t kLoadClientVersion = 190;
// Field 109 of 104 (Server message): 1 when the server refuses a chat line.
constexpr uint16_t kFieldChatRefusal = 109;
// Largest transaction body the tool accepts from the server.
constexpr uint32_t kMaxBody = kServerMaxTransactionSize;
// Capacity the buffer of a split unit keeps between units: ten thousand clients
// must not each keep the largest unit they ever received.
constexpr size_t kHeldCapacityKept = 1024;

// The data of the first field `id` in an encoded field list, found without
// building a UFieldData: chat messages arrive by the hundred thousand and the
// tool must not be slower at reading them than the server is at sending them.
// Empty when absent; a truncated list yields the fields that fit.
std::span<const uint8_t> FirstField(std::span<const uint8_t> list, uint16_t id) {
  if (list.size() < 2) return {};
  const uint16_t count = Get16(list.data());
  size_t at = 2;
  for (uint16_t i = 0; i < count && at + 4 <= list.size(); ++i) {
    const uint16_t field_id = Get16(list.data() + at);
    const uint16_t size = Get16(list.data() + at + 2);
    if (at + 4 + size > list.size()) break;
    if (field_id == id) return list.subspan(at + 4, size);
    at += 4 + size;
  }
  return {};
}

std::string ErrorText(const UFieldData& fields) {
  const auto text = fields.Data(kFieldErrorText);
  return std::string(text.begin(), text.end());
}

}  // namespace

VantrelCodec::VantrelCodec(std::string nickname) : nickname_(std::move(nickname)) {}

void VantrelCodec::Greeting(std::vector<uint8_t>& out) {
  out.insert(out.end(), kProtocolMagic.begin(), kProtocolMagic.end());
  out.insert(out.end(), kVantrelMagic.begin(), kVantrelMagic.end());
  uint8_t numbers[4];
  Put16(numbers, kProtocolVersion);
  Put16(numbers + 2, kSubVersionClient);
  out.insert(out.end(), numbers, numbers + 4);
}

uint32_t VantrelCodec::Request(uint16_t type, std::span<const uint8_t> body,
                               std::vector<uint8_t>& out) {
  if (++next_id_ == 0) next_id_ = 1;
  const auto header =
      Transaction::Request(type, next_id_, static_cast<uint32_t>(body.size())).Encode();
  out.insert(out.end(), header.begin(), header.end());
  out.insert(out.end(), body.begin(), body.end());
  return next_id_;
}

void VantrelCodec::ChatLine(std::string_view text, std::vector<uint8_t>& out) {
  UFieldData fields;
  fields.AddText(kFieldData, text);
  Request(kTranSendChat, fields.Buffer(), out);
}

void VantrelCodec::Fail(std::string why, CodecEvents& events) {
  state_ = State::kFailed;
  events.Failure(std::move(why));
}

std::optional<size_t> VantrelCodec::UnitSize(std::span<const uint8_t> start) const {
  if (state_ == State::kHandshake) return kHandshakeAnswerSize;
  if (start.size() < kTransactionHeaderSize) return kTransactionHeaderSize;
  const Transaction header = Transaction::Decode(start.first<kTransactionHeaderSize>());
  if (header.data_size == 0 || header.data_size > kMaxBody ||
      header.total_size != header.data_size) {
    return std::nullopt;
  }
  return kTransactionHeaderSize + header.data_size;
}

void VantrelCodec::OnUnit(std::span<const uint8_t> unit, std::vector<uint8_t>& out,
                          CodecEvents& events) {
  if (state_ == State::kHandshake) {
    OnHandshakeAnswer(unit, out, events);
    return;
  }
  const Transaction header = Transaction::Decode(unit.first<kTransactionHeaderSize>());
  OnTransaction(header, unit.subspan(kTransactionHeaderSize), events);
}

void VantrelCodec::Feed(std::span<const uint8_t> bytes, std::vector<uint8_t>& out,
                        CodecEvents& events) {
  // A unit within `bytes` is decoded where it lies; only the start of a unit
  // whose end has not arrived is copied, and it then takes only the bytes it lacks.
  while (state_ != State::kFailed) {
    const bool holding = !held_.empty();
    if (!holding && bytes.empty()) return;
    const auto size = UnitSize(holding ? std::span<const uint8_t>(held_) : bytes);
    if (!size) {
      Fail("the server sent a transaction header the tool does not expect", events);
      return;
    }
    if (!holding) {
      if (bytes.size() < *size) {
        held_.assign(bytes.begin(), bytes.end());
        return;
      }
      OnUnit(bytes.first(*size), out, events);
      bytes = bytes.subspan(*size);
    } else if (held_.size() < *size) {
      if (bytes.empty()) return;
      const size_t take = std::min(*size - held_.size(), bytes.size());
      held_.insert(held_.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(take));
      bytes = bytes.subspan(take);
    } else if (held_.capacity() > kHeldCapacityKept) {
      const std::vector<uint8_t> unit = std::exchange(held_, {});  // let the large buffer go
      OnUnit(unit, out, events);
    } else {
      OnUnit(held_, out, events);
      held_.clear();
    }
  }
}

void VantrelCodec::OnHandshakeAnswer(std::span<const uint8_t> answer, std::vector<uint8_t>& out,
                                     CodecEvents& events) {
  if (!std::equal(kProtocolMagic.begin(), kProtocolMagic.end(), answer.begin()) ||
      Get32(answer.data() + 4) != kHandshakeAccepted) {
    Fail("the server refused the handshake", events);
    return;
  }
  events.Admitted();
  UFieldData login;
  login.AddText(kFieldUserLogin, Scramble(kGuestLogin));
  login.AddInteger(kFieldVersion, kLoadClientVersion);
  login.AddText(kFieldNickname, nickname_);
  login.AddInteger(kFieldIcon, kLoadIcon);
  login_id_ = Request(kTranLogin, login.Buffer(), out);
  state_ = State::kLoggingIn;
}

void VantrelCodec::OnTransaction(const Transaction& header, std::span<const uint8_t> body,
                                 CodecEvents& events) {
  if (header.is_reply != 0) {
    if (header.id != login_id_ || login_replied_) {
      events.Reply(header.id, header.error, body);
      return;
    }
    login_replied_ = true;
    if (header.error != 0) {
      UFieldData fields(std::vector<uint8_t>(body.begin(), body.end()));
      Fail("login refused: " + ErrorText(fields), events);
    }
    return;
  }
  switch (header.type) {
    case kTranChatMessage: {
      const auto number = FindChatLineNumber(FirstField(body, kFieldData));
      if (!number) {
        Fail("a chat message without a line number", events);
        return;
      }
      events.Delivery(*number);
      return;
    }
    case kTranUserChanged:
      events.Announcement();
      return;
    case kTranUserAccess:
      privileges_seen_ = true;
      return;
    case kTranShowAgreement:
      if (state_ != State::kLoggingIn) return;
      if (!login_replied_ || !privileges_seen_) {
        Fail("the agreement came before the login reply and the privileges", events);
        return;
      }
      state_ = State::kLoggedIn;
      events.LoggedIn();
      return;
    case kTranServerMessage: {
      UFieldData fields(std::vector<uint8_t>(body.begin(), body.end()));
      if (fields.ReadInteger(kFieldChatRefusal) == 1) {
        const auto text = fields.Data(kFieldData);
        Fail("chat refused: " + std::string(text.begin(), text.end()), events);
      }
      return;
    }
    case kTranServerQuitting:
      Fail("the server is quitting", events);
      return;
    default:
      events.ServerTransaction(header.type, body);
      return;
  }
}

}  // namespace vantrel::load
