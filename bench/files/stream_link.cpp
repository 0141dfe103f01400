#include "stream_link.h"

#include <algorithm>

namespace vantrel::listing {

PlainLink::PlainLink(uint16_t port)
    : server_(asio::ip::address_v4::loopback(), port), buffer_(kLinkReadSize) {}

bool PlainLink::Connect(uint32_t source, ListingClock::time_point deadline, std::string& error) {
  return connection_.Connect(source, server_, deadline, error);
}

bool PlainLink::Send(std::span<const uint8_t> bytes, ListingClock::time_point deadline,
                     std::string& error) {
  return connection_.Send(bytes, deadline, error);
}

std::span<const uint8_t> PlainLink::Receive(size_t most, ListingClock::time_point deadline,
                                            std::string& error) {
  const auto room = std::span(buffer_).first(std::min(most, buffer_.size()));
  return room.first(connection_.Receive(room, deadline, error));
}

}  // namespace vantrel::listing
