#include "prefs/prefs_file.h"

#include <string>

#include "platform/exception.h"
#include "prefs/prefs_layout.h"
#include "prefs/prefs_reader.h"
#include "prefs/prefs_writer.h"

namespace vantrel {
namespace {

namespace layout = prefs_layout;

// The description of every failure to save the settings.
constexpr const char* kWriteFailureText = "Could not save the settings file \xD2Prefs\xD3.";

}  // namespace

ServerSettings ReadPrefsFile(FileSystem& file_system, const std::filesystem::path& server_folder,
                             Random& random) {
  std::string bytes;
  try {
    file_system.ReadFile(server_folder / layout::kFileName, layout::kReadLimit, bytes);
  } catch (const Omberly::CException&) {
    // A failed read keeps what came before it; a file that cannot be opened gives none.
  }
  return SettingsFromPrefs(AsBytes(bytes), random);
}

void WritePrefsFile(FileSystem& file_system, const std::filesystem::path& server_folder,
                    const ServerSettings& settings) {
  file_system.ReplaceFile(server_folder / layout::kFileName,
                          server_folder / layout::kTemporaryFileName, EncodePrefs(settings),
                          kWriteFailureText);
}

}  // namespace vantrel
