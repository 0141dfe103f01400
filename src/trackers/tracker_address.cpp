#include "trackers/tracker_address.h"

#include "platform/exception.h"

namespace vantrel {
namespace {

// A decimal number of at most `max_digits` digits and nothing else, or nothing.
std::optional<uint32_t> DecimalNumber(std::string_view text, size_t max_digits) {
  if (text.empty() || text.size() > max_digits) return std::nullopt;
  uint32_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint32_t>(c - '0');
  }
  return value;
}

[[noreturn]] void RaiseInvalidAddress() {
  throw Omberly::CException(kErrorClassNetwork, kErrorCodeInvalidAddress);
}

// The longest decimal port text ("65535").
constexpr size_t kMaxPortDigits = 5;
constexpr uint32_t kMaxPort = 65535;
// The longest part of a dotted address ("255").
constexpr size_t kMaxAddressPartDigits = 3;
constexpr uint32_t kMaxAddressPart = 255;

}  // namespace

TrackerDestination TrackerDestinationOf(const TrackerEntry& entry) {
  if (entry.address_kind != kTrackerAddressKind) RaiseInvalidAddress();
  const std::string_view text = entry.address;
  const size_t colon = text.find(':');
  TrackerDestination destination{std::string(text.substr(0, colon)), entry.port};
  if (entry.port == 0) {
    if (colon == std::string_view::npos) RaiseInvalidAddress();
    const auto port = DecimalNumber(text.substr(colon + 1), kMaxPortDigits);
    if (!port || *port == 0 || *port > kMaxPort) RaiseInvalidAddress();
    destination.port = static_cast<uint16_t>(*port);
  }
  if (destination.host.empty()) RaiseInvalidAddress();
  return destination;
}

std::optional<uint32_t> DottedIpv4Address(std::string_view text) {
  uint32_t address = 0;
  for (int part = 0; part < 4; ++part) {
    const size_t dot = text.find('.');
    if ((part < 3) == (dot == std::string_view::npos)) return std::nullopt;
    const auto value = DecimalNumber(text.substr(0, dot), kMaxAddressPartDigits);
    if (!value || *value > kMaxAddressPart) return std::nullopt;
    address = (address << 8) | *value;
    text = part < 3 ? text.substr(dot + 1) : std::string_view();
  }
  return address;
}

}  // namespace vantrel
