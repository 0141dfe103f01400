// vantrel_load: the end-to-end chat load over loopback, in the Vantrel protocol
// or in IRC for comparison; and the preparation of a server folder for it.
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <variant>

#include "load_options.h"
#include "load_report.h"
#include "load_run.h"
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

int Run(const vantrel::load::RunOptions& options) {
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
