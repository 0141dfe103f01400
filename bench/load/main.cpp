// vantrel_load: the end-to-end chat load over loopback, in the Vantrel protocol
// or in IRC for comparison; and the preparation of a server folder for it.
#include <cstdint>
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <variant>

#include "load_options.h"
#include "load_report.h"
#include "load_run.h"
#include "platform/open_file_limit.h"
#include "prepare_folder.h"

namespace {

int Prepare(const vantrel::load::PrepareOptions& prepare) {
  try {
    vantrel::load::PrepareServerFolder(prepare.folder, prepare.server_port);
  } catch (const std::exception& failure) {
    std::cerr << "vantrel_load: cannot prepare " << prepare.folder << ": " << failure.what()
              << "\n";
    return 1;
  }
  std::cout << "prepared " << prepare.folder << " for a server on 127.0.0.1:" << prepare.server_port
            << "\n";
  return 0;
}

// Open files the tool needs beyond one socket per client: its standard
// streams, the files of /proc it reads, Asio's own descriptors.
constexpr uint64_t kSpareFiles = 64;

int Run(const vantrel::load::RunOptions& options) {
  const vantrel::OpenFileLimit files = vantrel::RaiseOpenFileLimit();
  if (files.now < options.clients + kSpareFiles) {
    std::cerr << "vantrel_load: " << options.clients << " clients need "
              << options.clients + kSpareFiles << " open files; the limit is " << files.now
              << " (raise the hard limit, ulimit -Hn, as root)\n";
    return 1;
  }
  std::string error;
  const auto figures = vantrel::load::RunLoad(options, error);
  if (!figures) {
    std::cerr << "vantrel_load: " << error << "\n";
    return 1;
  }
  vantrel::load::PrintReport(*figures, std::cout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  const auto command = vantrel::load::ParseCommandLine(argc, argv, error);
  if (!error.empty()) {
    std::cerr << "vantrel_load: " << error << "\n\n" << vantrel::load::kUsage;
    return 2;
  }
  if (std::holds_alternative<vantrel::load::HelpRequest>(command)) {
    std::cout << vantrel::load::kUsage;
    return 0;
  }
  if (const auto* prepare = std::get_if<vantrel::load::PrepareOptions>(&command)) {
    return Prepare(*prepare);
  }
  return Run(std::get<vantrel::load::RunOptions>(command));
}
