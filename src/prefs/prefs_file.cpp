#include "prefs/prefs_file.h"

#include <cstdint>
#include <vector>

#include "platform/file_io.h"
#include "prefs/prefs_layout.h"
#include "prefs/prefs_reader.h"
#include "prefs/prefs_writer.h"

namespace vantrel {
namespace {

namespace layout = prefs_layout;

// The description of every failure to save the settings.
constexpr const char* kWriteFailureText = "Could not save the settings file \xD2Prefs\xD3.";

}  // namespace

ServerSettings ReadPrefsFile(const std::filesystem::path& server_folder, Random& random) {
  const std::vector<uint8_t> bytes =
      ReadFilePrefix(server_folder / layout::kFileName, layout::kReadLimit);
  return SettingsFromPrefs(bytes, random);
}

void WritePrefsFile(const std::filesystem::path& server_folder, const ServerSettings& settings) {
  ReplaceFile(server_folder / layout::kFileName, server_folder / layout::kTemporaryFileName,
              EncodePrefs(settings), kWriteFailureText);
}

}  // namespace vantrel
