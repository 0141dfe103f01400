// vantrel_transfer: downloads files from the Vantrel server with one or more
// clients at once, or uploads one, over loopback, and prints the bytes of file
// data per second; or reads a process's CPU time and memory for a script.
#include <iostream>
#include <optional>
#include <string>

#include "download_run.h"
#include "platform/open_file_limit.h"
#include "process_probe.h"
#include "transfer_figures.h"
#include "transfer_options.h"
#include "upload_run.h"

namespace {

// Writes "probe: pid=P cpu_s=... rss_kib=... hwm_kib=..." for the process.
int Probe(int pid) {
  const auto cpu = vantrel::load::ProcessCpuSeconds(pid);
  const auto rss = vantrel::load::ProcessRssKib(pid);
  const auto hwm = vantrel::load::ProcessPeakRssKib(pid);
  if (!cpu || !rss || !hwm) {
    std::cerr << "vantrel_transfer: cannot read /proc/" << pid << "\n";
    return 1;
  }
  std::cout << "probe: pid=" << pid << " cpu_s=" << *cpu << " rss_kib=" << *rss
            << " hwm_kib=" << *hwm << "\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace vantrel::transfer;
  std::string error;
  const auto options = ParseCommandLine(argc, argv, error);
  if (!options) {
    if (error.empty()) {
      std::cout << kUsage;
      return 0;
    }
    std::cerr << "vantrel_transfer: " << error << "\n\n" << kUsage;
    return 2;
  }
  if (options->mode == Mode::kProbe) return Probe(options->pid);
  vantrel::RaiseOpenFileLimit();  // two sockets and a file per client
  const auto figures =
      options->mode == Mode::kUpload ? RunUpload(*options, error) : RunDownloads(*options, error);
  if (!figures) {
    std::cerr << "vantrel_transfer: " << error << "\n";
    return 1;
  }
  PrintFigures(options->mode, *figures, std::cout);
  return 0;
}
