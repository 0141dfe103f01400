#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "client_codec.h"
#include "protocol/transaction.h"

namespace vantrel::load {

// A Vantrel client as the load needs it: the 12-byte handshake; after the
// server's answer, 107 (Login) as "guest" with a nickname and an icon, so that
// the user is visible at once; 105 (Send chat) for each line; any other request
// by Request. It reports the login done at 109 (agreement), which the server
// sends after the login reply and 354 (privileges); every 301 as an
// announcement; every 106 as a delivery; every reply but the login's as a Reply;
// any other transaction the server sends as a ServerTransaction.
class VantrelCodec final : public ClientCodec {
 public:
  explicit VantrelCodec(std::string nickname);

  void Greeting(std::vector<uint8_t>& out) override;
  void Feed(std::span<const uint8_t> bytes, std::vector<uint8_t>& out,
            CodecEvents& events) override;
  void ChatLine(std::string_view text, std::vector<uint8_t>& out) override;
  // Appends a request of `type` with the encoded field list `body` to `out`;
  // returns its transaction ID, which its reply repeats.
  uint32_t Request(uint16_t type, std::span<const uint8_t> body, std::vector<uint8_t>& out);

 private:
  enum class State { kHandshake, kLoggingIn, kLoggedIn, kFailed };
  // The size of the unit (the handshake answer, or a transaction) that begins
  // with `start`: the header's size while the header is incomplete; nothing
  // when the header is one the tool does not expect (a split or oversized
  // transaction).
  std::optional<size_t> UnitSize(std::span<const uint8_t> start) const;
  // Decodes one whole unit.
  void OnUnit(std::span<const uint8_t> unit, std::vector<uint8_t>& out, CodecEvents& events);
  void OnHandshakeAnswer(std::span<const uint8_t> answer, std::vector<uint8_t>& out,
                         CodecEvents& events);
  void OnTransaction(const Transaction& header, std::span<const uint8_t> body, CodecEvents& events);
  void Fail(std::string why, CodecEvents& events);

  const std::string nickname_;
  State state_ = State::kHandshake;
  uint32_t next_id_ = 0;
  uint32_t login_id_ = 0;
  bool login_replied_ = false;
  bool privileges_seen_ = false;
  std::vector<uint8_t> held_;  // the start of a unit whose end has not arrived
};

}  // namespace vantrel::load
