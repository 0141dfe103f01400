// vantrel_hostile: measures a running server while peers misbehave: silent
// connections, claimed-but-unsent requests, and clients that stop reading.
#include <cstdint>
#include <iostream>
#include <string>

#include "claims_run.h"
#include "hostile_options.h"
#include "non_readers_run.h"
#include "platform/open_file_limit.h"
#include "silent_run.h"

namespace {

// Open files the tool needs beyond one socket per client: its standard
// streams, the files of /proc it reads, Asio's own descriptors.
constexpr uint64_t kSpareFiles = 64;

size_t ClientsOf(const vantrel::hostile::HostileOptions& options) {
  if (options.scenario != vantrel::hostile::Scenario::kNonReaders) return options.peers;
  return options.peers + options.chatters + 1;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace vantrel::hostile;
  std::string error;
  const auto options = ParseCommandLine(argc, argv, error);
  if (!options) {
    if (error.empty()) {
      std::cout << kUsage;
      return 0;
    }
    std::cerr << "vantrel_hostile: " << error << "\n\n" << kUsage;
    return 2;
  }
  const vantrel::OpenFileLimit files = vantrel::RaiseOpenFileLimit();
  if (files.now < ClientsOf(*options) + kSpareFiles) {
    std::cerr << "vantrel_hostile: " << ClientsOf(*options) << " clients need "
              << ClientsOf(*options) + kSpareFiles << " open files; the limit is " << files.now
              << " (raise the hard limit, ulimit -Hn, as root)\n";
    return 1;
  }
  bool ok = false;
  switch (options->scenario) {
    case Scenario::kSilent:
      ok = RunSilent(*options, std::cout, error);
      break;
    case Scenario::kClaims:
      ok = RunClaims(*options, std::cout, error);
      break;
    case Scenario::kNonReaders:
      ok = RunNonReaders(*options, std::cout, error);
      break;
  }
  if (!ok) {
    std::cerr << "vantrel_hostile: " << error << "\n";
    return 1;
  }
  return 0;
}
