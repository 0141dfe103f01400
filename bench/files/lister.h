#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "timed_connection.h"

namespace vantrel::listing {

// Longest time one listing may take, with the connection and login before it
// when it needs them; past it the run fails.
inline constexpr std::chrono::seconds kListingTimeout{30};

// One listing as the tool saw it.
struct Listing {
  // From the request's first byte sent to the answer's last byte read: the
  // connection and login before it are not counted.
  ListingClock::duration time{};
  // The answer's bytes as the server sent them, framing included.
  uint64_t bytes = 0;
  // The folder's entries, where the tool counts them: in the first listing of
  // the Vantrel server's.
  std::optional<size_t> entries;
};

// A client that lists one folder of a server on 127.0.0.1 again and again, one
// listing at a time, connecting (and logging in) when it needs to. The tool's
// thread only.
class Lister {
 public:
  virtual ~Lister() = default;
  // Makes one listing, within kListingTimeout. Returns it, or nothing with
  // `error` set when the server refused it, answered with something the tool
  // cannot read, closed the connection or took too long.
  virtual std::optional<Listing> ListOnce(std::string& error) = 0;
  // Connections opened so far.
  virtual size_t Connections() const = 0;
};

}  // namespace vantrel::listing
