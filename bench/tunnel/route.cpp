#include "route.h"

#include <string_view>

#include "load_options.h"
#include "tunnel_link.h"

namespace vantrel::tunnel_client {

std::string RouteName(const Route& route) {
  if (!route.tunnel) return "plain";
  return route.proxy_port == 0 ? "tunnel" : "proxy";
}

std::unique_ptr<listing::StreamLink> MakeLink(const Route& route, uint16_t port) {
  if (!route.tunnel) return std::make_unique<listing::PlainLink>(port);
  const auto tunnel_port = static_cast<uint16_t>(port + kTunnelPortOffset);
  return std::make_unique<TunnelLink>(route.proxy_port != 0 ? route.proxy_port : tunnel_port,
                                      tunnel_port);
}

int TakeRouteOption(int argc, const char* const* argv, int at, Route& route, std::string& error) {
  const std::string_view name = argv[at];
  if (name == "--tunnel") {
    route.tunnel = true;
    return 1;
  }
  if (name != "--proxy") return 0;
  if (at + 1 >= argc) {
    error = "--proxy needs a value";
  } else if (!load::ParseNumber<uint16_t>(argv[at + 1], 1, 65535, route.proxy_port)) {
    error = "bad value for --proxy: " + std::string(argv[at + 1]);
  } else {
    route.tunnel = true;
  }
  return 2;
}

}  // namespace vantrel::tunnel_client
