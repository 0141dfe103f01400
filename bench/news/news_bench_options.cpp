#include "news_bench_options.h"

#include <charconv>
#include <string_view>

namespace vantrel::news_bench {
namespace {

// Most articles in the category, and most of each operation timed.
constexpr uint64_t kMostArticles = 1'000'000;
constexpr uint64_t kMostOperations = 100'000;

// Reads `text` as a whole number from `low` to `high` into `value`.
bool ParseNumber(std::string_view text, uint64_t low, uint64_t high, uint64_t& value) {
  const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), value);
  return failure == std::errc() && end == text.data() + text.size() && value >= low &&
         value <= high;
}

}  // namespace

const char* const kUsage =
    "Usage: news_database_bench [--articles N] [--synced-writes N] [--writes N]\n"
    "                           [--reads N] [--lists N] [--seed N] [--benchmark_...]\n"
    "Sets the news category database against SQLite, operation by operation, on a\n"
    "category of N articles (default 100000) built in a temporary folder: posting a\n"
    "reply, reading an article, listing the category and deleting a thread, each\n"
    "with a sync per change and without syncs. --synced-writes (default 100) and\n"
    "--writes (default 1000) posts and deletes are timed with and without syncs,\n"
    "--reads (default 5000) reads and --lists (default 20) lists each way.\n";

std::optional<NewsBenchOptions> ParseNewsBenchOptions(int argc, char** argv, std::string& error) {
  NewsBenchOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view flag = argv[i];
    if (flag == "--help" || flag == "-h") return std::nullopt;
    if (i + 1 == argc) {
      error = "a value is missing after " + std::string(flag);
      return std::nullopt;
    }
    const std::string_view text = argv[++i];
    uint64_t value = 0;
    bool valid = true;
    if (flag == "--articles") {
      valid = ParseNumber(text, 5, kMostArticles, value);
      options.articles = static_cast<uint32_t>(value);
    } else if (flag == "--synced-writes" || flag == "--writes" || flag == "--reads" ||
               flag == "--lists") {
      valid = ParseNumber(text, 1, kMostOperations, value);
      auto& field = flag == "--synced-writes" ? options.synced_writes
                    : flag == "--writes"      ? options.writes
                    : flag == "--reads"       ? options.reads
                                              : options.lists;
      field = static_cast<uint32_t>(value);
    } else if (flag == "--seed") {
      valid = ParseNumber(text, 0, UINT64_MAX, value);
      options.seed = value;
    } else {
      error = "unknown argument " + std::string(flag);
      return std::nullopt;
    }
    if (!valid) {
      error = "wrong value for " + std::string(flag) + ": " + std::string(text);
      return std::nullopt;
    }
  }
  return options;
}

}  // namespace vantrel::news_bench
