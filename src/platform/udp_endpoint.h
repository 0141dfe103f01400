#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace asio {
class io_context;
}

namespace vantrel {

// The send buffer a datagram endpoint asks the system for.
inline constexpr int kUdpSendBufferBytes = 64 * 1024;

// An IPv4 datagram socket for sending only, bound to one local address on a
// port the system picks, with host-name lookups beside it. Sends never block
// and never fail visibly: a datagram the system does not take is dropped.
// Asynchronous lookups complete on the event loop it was opened on. Owned by
// its user; core thread only.
class UdpEndpoint {
 public:
  // The first IPv4 address a lookup found, or nothing when it failed.
  using LookupDone = std::function<void(std::optional<uint32_t> address)>;

  // Opens the socket on `io`, bound to `local_address` (0 = every local
  // address) on an ephemeral port, with a send buffer of kUdpSendBufferBytes.
  // Raises Omberly::CException (kErrorClassNetwork,
  // kErrorCodeEndpointUnavailable, with the system error) when the socket
  // cannot be opened or bound. REQUIRES: `io` outlives the endpoint.
  UdpEndpoint(asio::io_context& io, uint32_t local_address);
  // Cancels a pending lookup: its completion is never called.
  ~UdpEndpoint();

  UdpEndpoint(const UdpEndpoint&) = delete;
  UdpEndpoint& operator=(const UdpEndpoint&) = delete;

  // Sends `bytes` as one datagram to `address`:`port`. Failures are ignored.
  void SendTo(uint32_t address, uint16_t port, std::span<const uint8_t> bytes);

  // Starts looking up `host` (IPv4 only); `done` is called on the event loop
  // with the first address found, unless the endpoint was destroyed first.
  // REQUIRES: !LookupPending().
  void LookUp(const std::string& host, LookupDone done);
  // True from LookUp until just before its completion is called.
  bool LookupPending() const;

  // Looks `host` up at once (IPv4 only), blocking the calling thread until the
  // system answers. Returns the first address found, or nothing.
  std::optional<uint32_t> LookUpNow(const std::string& host);

 private:
  class Socket;  // the socket and the resolver, shared with a lookup in flight
  std::shared_ptr<Socket> socket_;
};

}  // namespace vantrel
