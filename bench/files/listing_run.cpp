#include "listing_run.h"

#include <chrono>
#include <ostream>

namespace vantrel::listing {
namespace {

double Seconds(ListingClock::duration time) {
  return std::chrono::duration<double>(time).count();
}

}  // namespace

std::optional<RunFigures> RunListings(Lister& lister, const ListingOptions& options,
                                      std::string& error) {
  RunFigures run;
  const auto start = ListingClock::now();
  const auto end = start + std::chrono::seconds(options.seconds);
  while ((options.count == 0 || run.listings < options.count) &&
         (options.seconds == 0 || ListingClock::now() < end)) {
    const auto listing = lister.ListOnce(error);
    if (!listing) {
      error = "listing " + std::to_string(run.listings + 1) + " failed: " + error;
      return std::nullopt;
    }
    ++run.listings;
    run.listing_time += listing->time;
    run.bytes += listing->bytes;
    if (!run.entries) run.entries = listing->entries;
  }
  run.run_time = ListingClock::now() - start;
  run.connections = lister.Connections();
  if (run.listings == 0 || run.listing_time <= ListingClock::duration::zero()) {
    error = "no listing was made";
    return std::nullopt;
  }
  return run;
}

void PrintFigures(Target target, const RunFigures& run, std::ostream& out) {
  out << "figures: target=" << (target == Target::kVantrel ? "vantrel" : "http")
      << " listings=" << run.listings
      << " listings_per_s=" << static_cast<double>(run.listings) / Seconds(run.listing_time)
      << " bytes_per_listing=" << run.bytes / run.listings << " entries=";
  if (run.entries) {
    out << *run.entries;
  } else {
    out << "-";
  }
  out << " connections=" << run.connections << " seconds=" << Seconds(run.run_time) << "\n";
}

}  // namespace vantrel::listing
