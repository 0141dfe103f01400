#pragma once

#include <cstdint>
#include <vector>

#include "platform/udp_endpoint.h"
#include "trackers/tracker_address.h"

namespace vantrel {

// Sends registration datagrams over one endpoint, looking host names up first.
// A dotted address is sent to at once. A name is looked up asynchronously when
// the endpoint has no lookup pending (the datagram is sent when the lookup
// succeeds, dropped when it fails), and synchronously otherwise (dropped when
// that fails). Nothing is reported: trackers never answer. Core thread only.
class TrackerSender {
 public:
  // REQUIRES: `endpoint` outlives the sender.
  explicit TrackerSender(UdpEndpoint& endpoint) : endpoint_(endpoint) {}

  void Send(const TrackerDestination& destination, std::vector<uint8_t> datagram);

 private:
  UdpEndpoint& endpoint_;
};

}  // namespace vantrel
