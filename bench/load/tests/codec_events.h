#pragma once

#include <cstdint>
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

  int admitted = 0;
  int logged_in = 0;
  int announcements = 0;
  std::vector<uint32_t> deliveries;
  std::vector<std::string> failures;
};

inline std::vector<uint8_t> BytesOf(std::string_view text) {
  return {text.begin(), text.end()};
}

}  // namespace vantrel::load::testing
