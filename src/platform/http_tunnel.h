#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/clock.h"
#include "platform/tcp_transport.h"
#include "platform/timer.h"
#include "platform/transport.h"

namespace asio {
class io_context;
}

namespace vantrel {

// Requests without a complete head kept at once; the oldest is dropped to admit another.
inline constexpr size_t kMaxPendingTunnelRequests = 1024;

// A listener for HTTP tunnels (tunnel_format.h). Each accepted TCP connection
// waits for its request; a GET or POST with a new tunnel ID makes a tunnel, which
// is offered like an accepted connection: a Transport whose bytes go down the GET
// connection's answer and come up the POST connection's body. A request with
// the ID of a live tunnel takes that tunnel's GET or POST place, disposing of the
// connection that held it, so that a client can replace a lost half. Writes
// made while one event is handled go down as one data chunk, padded to a whole
// unit; the downstream is kept alive with padding (2 s after data, 40 s idle);
// a tunnel missing a half for 30 s (40 s for a new one) is closed; requests still
// incomplete after 30 s are dropped every 120 s. Core thread only.
class TunnelListener {
 public:
  using Notify = std::function<void()>;  // a tunnel is waiting to be taken

  // REQUIRES: `io`, `clock` and `timers` outlive the listener and its tunnels.
  TunnelListener(asio::io_context& io, const Clock& clock, TimerFactory& timers);
  ~TunnelListener();

  TunnelListener(const TunnelListener&) = delete;
  TunnelListener& operator=(const TunnelListener&) = delete;

  // Binds and starts accepting as TcpListener::Open does; every tunnel connection
  // counts its send queue in `budget` when one is given.
  void Open(uint32_t address, uint16_t port, int backlog, Notify notify,
            SendBudget* budget = nullptr);

  // The next new tunnel, or null when none is waiting.
  std::unique_ptr<Transport> TakeAccepted();

  // Connections whose request is not complete yet.
  size_t PendingRequests() const;

 private:
  class Hub;
  std::shared_ptr<Hub> hub_;
};

}  // namespace vantrel
