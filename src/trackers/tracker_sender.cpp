#include "trackers/tracker_sender.h"

#include <utility>

namespace vantrel {

void TrackerSender::Send(const TrackerDestination& destination, std::vector<uint8_t> datagram) {
  if (const auto address = DottedIpv4Address(destination.host)) {
    endpoint_.SendTo(*address, destination.port, datagram);
    return;
  }
  if (!endpoint_.LookupPending()) {
    // The completion is never called once the endpoint is gone, so it may
    // refer to it.
    endpoint_.LookUp(destination.host,
                     [&endpoint = endpoint_, port = destination.port,
                      datagram = std::move(datagram)](std::optional<uint32_t> address) {
                       if (address) endpoint.SendTo(*address, port, datagram);
                     });
    return;
  }
  if (const auto address = endpoint_.LookUpNow(destination.host)) {
    endpoint_.SendTo(*address, destination.port, datagram);
  }
}

}  // namespace vantrel
