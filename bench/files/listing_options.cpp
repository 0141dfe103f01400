#include "listing_options.h"

#include <algorithm>
#include <string_view>

#include "load_options.h"

namespace vantrel::listing {
namespace {

using load::ParseNumber;

// Seconds a run lasts when neither --seconds nor --count bounds it.
constexpr unsigned kDefaultSeconds = 10;

bool IsFolderName(std::string_view name) {
  if (name.empty() || name.size() > kMaxFolderName) return false;
  return std::all_of(name.begin(), name.end(),
                     [](char c) { return c >= 0x20 && c < 0x7F && c != ':'; });
}

bool IsUrlPath(std::string_view url) {
  if (url.empty() || url.front() != '/' || url.size() > kMaxUrl) return false;
  return std::all_of(url.begin(), url.end(), [](char c) { return c > 0x20 && c < 0x7F; });
}

// Reads one option and its value into `options`; sets `error` when it cannot.
void ParseOption(std::string_view name, std::string_view value, ListingOptions& options,
                 std::string& error) {
  bool ok = false;
  if (name == "--port") {
    ok = ParseNumber<uint16_t>(value, 1, 65535, options.server_port);
  } else if (name == "--seconds") {
    ok = ParseNumber<unsigned>(value, 1, kMaxSeconds, options.seconds);
  } else if (name == "--count") {
    ok = ParseNumber<size_t>(value, 1, kMaxCount, options.count);
  } else if (name == "--folder" && options.target == Target::kVantrel) {
    ok = IsFolderName(value);
    if (ok) options.folder = value;
  } else if (name == "--url" && options.target == Target::kHttp) {
    ok = IsUrlPath(value);
    if (ok) options.url = value;
  } else {
    error = "unknown option " + std::string(name);
    return;
  }
  if (!ok) error = "bad value for " + std::string(name) + ": " + std::string(value);
}

}  // namespace

const char* const kUsage =
    "Usage: vantrel_listing vantrel --port PORT --folder NAME [--seconds S] [--count N]\n"
    "       vantrel_listing http --port PORT --url /NAME/ [--seconds S] [--count N]\n"
    "\n"
    "Lists one folder again and again with one client on 127.0.0.1, one listing at a\n"
    "time, and prints listings per second and bytes per listing:\n"
    "  vantrel  logs in as \"guest\" and asks for the file list (200) of the folder\n"
    "           NAME at the top of the shared files; also prints its entries. It logs\n"
    "           in anew, from another address 127.12.x.y, every 100 listings, below the\n"
    "           server's limit of requests per minute\n"
    "  http     GETs the URL over one keep-alive connection (nginx's autoindex)\n"
    "Listings per second count the time from each request to the end of its answer.\n"
    "\n"
    "  --port PORT   server port (required)\n"
    "  --folder NAME the folder to list (vantrel; required), ASCII without ':'\n"
    "  --url PATH    the path to GET (http; required), e.g. /Big/\n"
    "  --seconds S   run for S seconds (default 10 unless --count is given)\n"
    "  --count N     stop after N listings\n";

std::optional<ListingOptions> ParseCommandLine(int argc, const char* const* argv,
                                               std::string& error) {
  error.clear();
  if (argc < 2) {
    error = "no target";
    return std::nullopt;
  }
  const std::string_view command = argv[1];
  if (command == "--help" || command == "-h") return std::nullopt;
  ListingOptions options;
  if (command == "vantrel") {
    options.target = Target::kVantrel;
  } else if (command == "http") {
    options.target = Target::kHttp;
  } else {
    error = "unknown target " + std::string(command);
    return std::nullopt;
  }
  for (int i = 2; i < argc && error.empty(); i += 2) {
    if (i + 1 >= argc) {
      error = std::string(argv[i]) + " needs a value";
    } else {
      ParseOption(argv[i], argv[i + 1], options, error);
    }
  }
  if (!error.empty()) return std::nullopt;
  if (options.server_port == 0) {
    error = "--port is required";
  } else if (options.target == Target::kVantrel && options.folder.empty()) {
    error = "--folder is required";
  } else if (options.target == Target::kHttp && options.url.empty()) {
    error = "--url is required";
  }
  if (!error.empty()) return std::nullopt;
  if (options.seconds == 0 && options.count == 0) options.seconds = kDefaultSeconds;
  return options;
}

}  // namespace vantrel::listing
