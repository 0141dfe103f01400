#include "trackers/registration_datagram.h"

#include "platform/byte_order.h"

namespace vantrel {

std::vector<uint8_t> RegistrationCommonPart(const ServerSettings& settings, uint16_t port,
                                            uint32_t users) {
  std::vector<uint8_t> out;
  Append16(out, kRegistrationVersion);
  Append16(out, port);
  Append16(out, static_cast<uint16_t>(users));
  Append16(out, 0);
  for (int shift = 0; shift < 32; shift += 8) {
    out.push_back(static_cast<uint8_t>(settings.tracker_pass_id >> shift));
  }
  AppendLengthPrefixed(out, settings.server_name, kMaxServerName);
  AppendLengthPrefixed(out, settings.server_description, kMaxServerDescription);
  return out;
}

std::vector<uint8_t> RegistrationDatagram(std::span<const uint8_t> common,
                                          std::string_view password) {
  std::vector<uint8_t> out(common.begin(), common.end());
  AppendLengthPrefixed(out, password, kMaxTrackerPassword);
  return out;
}

}  // namespace vantrel
