#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

namespace vantrel::testing {

// The bytes of a path field naming `levels`, written out as clients send them:
// the level count, then per level 2 reserved bytes, the length and the name.
inline std::vector<uint8_t> PathField(std::initializer_list<std::string> levels) {
  std::vector<uint8_t> field = {0, static_cast<uint8_t>(levels.size())};
  for (const std::string& level : levels) {
    field.insert(field.end(), {0, 0, static_cast<uint8_t>(level.size())});
    field.insert(field.end(), level.begin(), level.end());
  }
  return field;
}

// Creates the file `path` (and its folders) holding `content`.
inline void MakeFile(const std::filesystem::path& path, const std::string& content = "") {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

}  // namespace vantrel::testing
