#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "prefs/server_settings.h"

namespace vantrel {

// Where a tracker entry's datagram goes: a host name or dotted address, and a port.
struct TrackerDestination {
  std::string host;
  uint16_t port = 0;

  bool operator==(const TrackerDestination&) const = default;
};

// The destination of `entry` (address kind 42). With a port other than 0 the
// address text up to its first colon is the host and the entry's port is used;
// with port 0 the text must read "host:port", the port being decimal, 1 to
// 65535. Raises Omberly::CException (kErrorClassNetwork,
// kErrorCodeInvalidAddress) when the entry names no host and port that way. Pure.
TrackerDestination TrackerDestinationOf(const TrackerEntry& entry);

// `text` as an IPv4 address when it is four decimal numbers 0 to 255 joined by
// dots ("192.0.2.7"), first part most significant; nothing otherwise. Pure.
std::optional<uint32_t> DottedIpv4Address(std::string_view text);

}  // namespace vantrel
