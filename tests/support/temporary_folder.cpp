#include "support/temporary_folder.h"

#include <unistd.h>

#include <fstream>
#include <iterator>
#include <random>

namespace vantrel::testing {

TemporaryFolder::TemporaryFolder() {
  const auto base = std::filesystem::temp_directory_path();
  std::random_device seed;
  do {
    path_ = base / ("vantrel-test-" + std::to_string(::getpid()) + "-" + std::to_string(seed()));
  } while (!std::filesystem::create_directory(path_));
}

TemporaryFolder::~TemporaryFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace vantrel::testing
