#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "files/type_codes.h"
#include "platform/file_system.h"

namespace vantrel {

class LogWindow;
class Operator;

// The largest file of type "TEXT" the loader takes: its text must fit one field.
inline constexpr size_t kMaxTextFileSize = 65535;
// The largest file of any other type the loader takes (four fields' worth).
inline constexpr size_t kMaxOtherFileSize = 4 * kMaxTextFileSize;

// The title of the notice about a file over its limit.
inline constexpr const char* kTooLargeNoticeTitle = "Attention";

// A file the loader read.
struct LoadedFile {
  // Type "TEXT": the text as the server holds it (ServerTextFromFile). Any other
  // type: the file's bytes.
  std::string bytes;
  FourCharCode type{};
};

// Loads one of the files the server hands to clients (the agreement, a local
// banner) through `file_system`. `name` is Mac Roman and names the file relative
// to `server_folder` (an absolute path is taken as it is). Core thread only.
//
// Returns nothing, and loads nothing, when `name` is empty; when the file does
// not exist (logging "Could not find file “name”"); or when it is larger than
// its type's limit (telling the operator "<name> is larger that LIMIT bytes and
// cannot be used as agreement." under kTooLargeNoticeTitle). Otherwise logs
// "Loaded file “name”", or "Reloaded file “name”" when `reload` is set, and
// returns the file. When the file exists but cannot be read, logs "Could not
// load file “name”" and raises Omberly::CException of class 4 with the errno.
std::optional<LoadedFile> LoadServerFile(FileSystem& file_system,
                                         const std::filesystem::path& server_folder,
                                         std::string_view name, bool reload, LogWindow& log,
                                         Operator& notices);

}  // namespace vantrel
