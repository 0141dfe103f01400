#include "platform/udp_endpoint.h"

#include <utility>

#include <asio.hpp>

#include "platform/exception.h"

namespace vantrel {
namespace {

using Udp = asio::ip::udp;

// No flags: in particular not "address configured", which would hide the
// loopback addresses of a machine that has no other IPv4 address.
const asio::ip::resolver_base::flags kLookupFlags{};

// The first IPv4 address of a lookup's results; nothing when there is none.
std::optional<uint32_t> FirstAddress(const asio::error_code& error,
                                     const Udp::resolver::results_type& results) {
  if (error) return std::nullopt;
  for (const auto& entry : results) {
    const asio::ip::address address = entry.endpoint().address();
    if (address.is_v4()) return address.to_v4().to_uint();
  }
  return std::nullopt;
}

}  // namespace

class UdpEndpoint::Socket : public std::enable_shared_from_this<Socket> {
 public:
  explicit Socket(asio::io_context& io) : socket_(io), resolver_(io) {}

  void Open(uint32_t local_address) {
    asio::error_code error;
    socket_.open(Udp::v4(), error);
    if (!error) socket_.set_option(asio::socket_base::send_buffer_size(kUdpSendBufferBytes), error);
    // A full send buffer drops the datagram rather than blocking the core thread.
    if (!error) socket_.non_blocking(true, error);
    if (!error) socket_.bind(Udp::endpoint(asio::ip::address_v4(local_address), 0), error);
    if (error) {
      asio::error_code ignored;
      socket_.close(ignored);
      throw Omberly::CException(kErrorClassNetwork, kErrorCodeEndpointUnavailable,
                                "Cannot open a datagram socket on " +
                                    asio::ip::address_v4(local_address).to_string() + ": " +
                                    error.message(),
                                error.value());
    }
  }

  void SendTo(uint32_t address, uint16_t port, std::span<const uint8_t> bytes) {
    asio::error_code ignored;
    socket_.send_to(asio::buffer(bytes.data(), bytes.size()),
                    Udp::endpoint(asio::ip::address_v4(address), port), 0, ignored);
  }

  void LookUp(const std::string& host, LookupDone done) {
    lookup_pending_ = true;
    // The completion holds the socket only weakly: once the endpoint is gone
    // (which cancels the lookup), a late completion finds nothing to call.
    resolver_.async_resolve(
        Udp::v4(), host, "", kLookupFlags,
        [alive = weak_from_this(), done = std::move(done)](const asio::error_code& error,
                                                           Udp::resolver::results_type results) {
          const auto self = alive.lock();
          if (!self) return;
          self->lookup_pending_ = false;
          done(FirstAddress(error, results));
        });
  }

  bool LookupPending() const { return lookup_pending_; }

  std::optional<uint32_t> LookUpNow(const std::string& host) {
    asio::error_code error;
    const auto results = resolver_.resolve(Udp::v4(), host, "", kLookupFlags, error);
    return FirstAddress(error, results);
  }

 private:
  Udp::socket socket_;
  Udp::resolver resolver_;
  bool lookup_pending_ = false;
};

UdpEndpoint::UdpEndpoint(asio::io_context& io, uint32_t local_address)
    : socket_(std::make_shared<Socket>(io)) {
  socket_->Open(local_address);
}

// Destroying the resolver cancels a lookup in flight; its completion then finds
// the socket gone.
UdpEndpoint::~UdpEndpoint() = default;

void UdpEndpoint::SendTo(uint32_t address, uint16_t port, std::span<const uint8_t> bytes) {
  socket_->SendTo(address, port, bytes);
}

void UdpEndpoint::LookUp(const std::string& host, LookupDone done) {
  socket_->LookUp(host, std::move(done));
}

bool UdpEndpoint::LookupPending() const {
  return socket_->LookupPending();
}

std::optional<uint32_t> UdpEndpoint::LookUpNow(const std::string& host) {
  return socket_->LookUpNow(host);
}

}  // namespace vantrel
