#include "prefs/prefs_file.h"

#include <cerrno>
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

// Reads at most the first 8192 bytes of "Prefs"; false when there is no such file.
bool ReadPrefsBytes(FileSystem& file_system, const std::filesystem::path& server_folder,
                    std::string& bytes) {
  try {
    file_system.ReadFile(server_folder / layout::kFileName, layout::kReadLimit, bytes);
  } catch (const Omberly::CException& failure) {
    // A failed read keeps what came before it; a file that cannot be opened gives none.
    return failure.SystemError() != ENOENT;
  }
  return true;
}

}  // namespace

ServerSettings ReadPrefsFile(FileSystem& file_system, const std::filesystem::path& server_folder,
                             Random& random) {
  std::string bytes;
  ReadPrefsBytes(file_system, server_folder, bytes);
  return SettingsFromPrefs(AsBytes(bytes), random);
}

LoadedPrefs LoadPrefsFile(FileSystem& file_system, const std::filesystem::path& server_folder,
                          Random& random) {
  file_system.RemoveLeftover(server_folder / layout::kTemporaryFileName);
  std::string bytes;
  LoadedPrefs loaded;
  if (ReadPrefsBytes(file_system, server_folder, bytes) && !DecodePrefs(AsBytes(bytes))) {
    try {
      file_system.Rename(server_folder / layout::kFileName,
                         server_folder / layout::kDamagedFileName);
      loaded.set_aside = true;
    } catch (const Omberly::CException&) {
      // Left where it is; the next save replaces it.
    }
  }
  loaded.settings = SettingsFromPrefs(AsBytes(bytes), random);
  return loaded;
}

void WritePrefsFile(FileSystem& file_system, const std::filesystem::path& server_folder,
                    const ServerSettings& settings) {
  file_system.ReplaceFile(server_folder / layout::kFileName,
                          server_folder / layout::kTemporaryFileName, EncodePrefs(settings),
                          kWriteFailureText);
}

}  // namespace vantrel
