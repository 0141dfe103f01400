#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace vantrel::listing {

// What the tool lists: one folder through the Vantrel server (transaction 200),
// or one URL through an HTTP server (nginx's autoindex of the same folder).
enum class Target { kVantrel, kHttp };

// Limits of one run.
// Longest run, seconds.
inline constexpr unsigned kMaxSeconds = 3600;
// Most listings one run makes.
inline constexpr size_t kMaxCount = 10'000'000;
// Longest folder name: its length is one byte in the path field.
inline constexpr size_t kMaxFolderName = 255;
// Longest URL, which the tool sends as it is.
inline constexpr size_t kMaxUrl = 2048;

// One run against a server on 127.0.0.1: listings one after the other, one at
// a time, until `seconds` have passed or `count` listings are done, whichever
// comes first.
struct ListingOptions {
  Target target = Target::kVantrel;
  uint16_t server_port = 0;
  std::string folder;    // Vantrel: the name of a folder at the top of the shared files
  std::string url;       // HTTP: the path of the GET, from "/"
  unsigned seconds = 0;  // 0 = no time bound (only with a count)
  size_t count = 0;      // 0 = no count bound
};

// The usage text printed for --help and after a wrong argument.
extern const char* const kUsage;

// Parses the command line (argv[1] on). Returns the options, or nothing: with
// `error` empty when help was asked for, else with a one-line reason. Without
// --seconds, a run lasts 10 seconds unless --count is given. A folder name must
// be ASCII without ':' (the tool sends it as Mac Roman), a URL must start with "/"
// and hold no spaces or control characters.
std::optional<ListingOptions> ParseCommandLine(int argc, const char* const* argv,
                                               std::string& error);

}  // namespace vantrel::listing
