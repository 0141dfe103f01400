#include "client_codec.h"

#include <cmath>
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

size_t LoginsCoveredBy(size_t announcements) {
  // k (k - 1) / 2 <= a  <=>  k <= (1 + sqrt(1 + 8a)) / 2; the root is a first
  // guess, corrected by exact integer steps.
  auto k =
      static_cast<size_t>((1.0 + std::sqrt(1.0 + 8.0 * static_cast<double>(announcements))) / 2);
  while (k > 0 && ExpectedAnnouncements(k) > announcements) --k;
  while (ExpectedAnnouncements(k + 1) <= announcements) ++k;
  return k;
}

size_t DeliveriesPerLine(Protocol protocol, size_t clients) {
  return protocol == Protocol::kIrc ? clients - 1 : clients;
}

}  // namespace vantrel::load
