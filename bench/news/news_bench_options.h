#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vantrel::news_bench {

// The category's size and how many of each operation are timed.
struct NewsBenchOptions {
  uint32_t articles = 100'000;
  uint32_t synced_writes = 100;  // posts, and deletes, with a sync each
  uint32_t writes = 1000;        // posts, and deletes, without syncs
  uint32_t reads = 5000;
  uint32_t lists = 20;
  uint64_t seed = 1;
};

// The usage text printed for --help and after a wrong argument.
extern const char* const kUsage;

// Parses the arguments left once Google Benchmark took its own (argv[1] on).
// Returns the options, or nothing: with `error` set for a wrong argument, or
// empty for --help.
std::optional<NewsBenchOptions> ParseNewsBenchOptions(int argc, char** argv, std::string& error);

}  // namespace vantrel::news_bench
