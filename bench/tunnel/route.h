#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "stream_link.h"

namespace vantrel::tunnel_client {

// The server's tunnel ports lie this far above the plain ports they stand for:
// P + 2 for sessions (P), P + 3 for transfer connections (P + 1).
inline constexpr uint16_t kTunnelPortOffset = 2;

// How a client reaches one of the server's ports: plain TCP, or an HTTP tunnel
// to the matching tunnel port, straight or through an HTTP proxy on 127.0.0.1.
struct Route {
  bool tunnel = false;
  uint16_t proxy_port = 0;  // with a tunnel: 0 = straight to the server
};

// "plain", "tunnel" or "proxy".
std::string RouteName(const Route& route);

// A link that reaches the server's plain port `port` (P or P + 1) by `route`.
// REQUIRES: port <= 65535 - kTunnelPortOffset.
std::unique_ptr<listing::StreamLink> MakeLink(const Route& route, uint16_t port);

// Reads a route option at argv[at]: "--tunnel", or "--proxy PORT" (which
// implies a tunnel). Returns how many arguments it took: 0 when argv[at] is
// not one, so that the caller reads it; else 1 or 2, with `error` set when the
// value is wrong or missing.
int TakeRouteOption(int argc, const char* const* argv, int at, Route& route, std::string& error);

}  // namespace vantrel::tunnel_client
