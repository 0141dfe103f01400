#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

#include "lister.h"
#include "listing_options.h"

namespace vantrel::listing {

// What one run measured.
struct RunFigures {
  size_t listings = 0;
  ListingClock::duration listing_time{};  // the listings' own times, summed
  ListingClock::duration run_time{};      // the whole run, connections and logins included
  uint64_t bytes = 0;                     // of every answer
  std::optional<size_t> entries;          // as the lister counted them
  size_t connections = 0;
};

// Lists with `lister` one listing after the other until the options' time or
// count bound. Returns the figures, or nothing with `error` set at the first
// failure or when no listing was made.
std::optional<RunFigures> RunListings(Lister& lister, const ListingOptions& options,
                                      std::string& error);

// Writes one line "figures: target=... listings=... listings_per_s=...
// bytes_per_listing=... entries=... connections=... seconds=..." for readers and
// scripts (bench/files/compare.sh reads it), with "-" for entries not counted.
void PrintFigures(Target target, const RunFigures& run, std::ostream& out);

}  // namespace vantrel::listing
