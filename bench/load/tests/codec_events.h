#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "client_codec.h"

namespace vantrel::load::testing {

// Records what a codec reported, in order.
class RecordedEvents final : public CodecEvents {
 public:
  void Admitted() override { ++admitted; }
  void LoggedIn() override { ++logged_in; }
  void Announcement() override { ++announcements; }
  void Delivery(uint32_t number) override { deliveries.push_back(number); }
  void Failure(std::string why) override { failures.push_back(std::move(why)); }
  void Reply(uint32_t id, uint32_t error, std::span<const uint8_t> body) override {
    replies.push_back({id, error, {body.begin(), body.end()}});
  }
  void ServerTransaction(uint16_t type, std::span<const uint8_t> body) override {
    server_transactions.push_back({type, 0, {body.begin(), body.end()}});
  }

  // A reply, or a transaction the server sent on its own (its type as `id`).
  struct RecordedReply {
    uint32_t id = 0;
    uint32_t error = 0;
    std::vector<uint8_t> body;
    friend bool operator==(const RecordedReply&, const RecordedReply&) = default;
  };

  int admitted = 0;
  int logged_in = 0;
  int announcements = 0;
  std::vector<uint32_t> deliveries;
  std::vector<std::string> failures;
  std::vector<RecordedReply> replies;
  std::vector<RecordedReply> server_transactions;
};

inline std::vector<uint8_t> BytesOf(std::string_view text) {
  return {text.begin(), text.end()};
}

}  // namespace vantrel::load::testing
