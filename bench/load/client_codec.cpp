#include "client_codec.h"

#include <cstdio>

#include "irc_codec.h"
#include "vantrel_codec.h"

namespace vantrel::load {

std::unique_ptr<ClientCodec> MakeCodec(Protocol protocol, size_t index) {
  // Seven characters: within the nine that IRC servers allow by default.
  char nickname[16];
  std::snprintf(nickname, sizeof nickname, "ld%05zu", index);
  if (protocol == Protocol::kIrc) return std::make_unique<IrcCodec>(nickname);
  return std::make_unique<VantrelCodec>(nickname);
}

size_t DeliveriesPerLine(Protocol protocol, size_t clients) {
  return protocol == Protocol::kIrc ? clients - 1 : clients;
}

}  // namespace vantrel::load
