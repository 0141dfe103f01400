// vantrel_chat_latency: times chat lines from plain senders to one receiver
// through the Vantrel server over loopback, the receiver on plain TCP or
// through an HTTP tunnel, straight or through an HTTP proxy.
#include <iostream>
#include <string>

#include "latency_options.h"
#include "latency_run.h"

int main(int argc, char** argv) {
  using namespace vantrel::tunnel_client;
  std::string error;
  const auto options = ParseLatencyCommandLine(argc, argv, error);
  if (!options) {
    if (error.empty()) {
      std::cout << kLatencyUsage;
      return 0;
    }
    std::cerr << "vantrel_chat_latency: " << error << "\n\n" << kLatencyUsage;
    return 2;
  }
  const auto figures = RunLatency(*options, error);
  if (!figures) {
    std::cerr << "vantrel_chat_latency: " << error << "\n";
    return 1;
  }
  const std::string route = RouteName(options->route);
  std::cout << figures->lines << " lines from " << figures->senders
            << (figures->senders == 1 ? " plain sender" : " plain senders")
            << " to a receiver over " << route << " in " << figures->seconds << " s: median "
            << figures->median_us << " us, 99th percentile " << figures->p99_us << " us, highest "
            << figures->max_us << " us\n";
  std::cout << "figures: route=" << route << " lines=" << figures->lines
            << " median_us=" << figures->median_us << " p99_us=" << figures->p99_us
            << " max_us=" << figures->max_us << " seconds=" << figures->seconds << "\n";
  return 0;
}
