// vantrel_listing: lists one folder again and again with one client over
// loopback, through the Vantrel server (200, Get file list) or through an HTTP
// server's autoindex, and prints listings per second.
#include <iostream>
#include <memory>
#include <string>

#include "http_lister.h"
#include "listing_options.h"
#include "listing_run.h"
#include "vantrel_lister.h"

int main(int argc, char** argv) {
  using namespace vantrel::listing;
  std::string error;
  const auto options = ParseCommandLine(argc, argv, error);
  if (!options) {
    if (error.empty()) {
      std::cout << kUsage;
      return 0;
    }
    std::cerr << "vantrel_listing: " << error << "\n\n" << kUsage;
    return 2;
  }
  std::unique_ptr<Lister> lister;
  if (options->target == Target::kVantrel) {
    lister = std::make_unique<VantrelLister>(options->server_port, options->folder);
  } else {
    lister = std::make_unique<HttpLister>(options->server_port, options->url);
  }
  const auto run = RunListings(*lister, *options, error);
  if (!run) {
    std::cerr << "vantrel_listing: " << error << "\n";
    return 1;
  }
  PrintFigures(options->target, *run, std::cout);
  return 0;
}
