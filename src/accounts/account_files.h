#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"

// Every name the account store uses on disk, and how a login becomes the name of
// its folder inside "Users". Core thread only.
namespace vantrel::account_files {

inline constexpr const char* kUsersFolderName = "Users";
inline constexpr const char* kUserDataFileName = "UserData";
// A new "UserData" is written here first and then renamed over the old one.
inline constexpr const char* kUserDataTemporaryName = "UserData.new";

// Longest host file name in bytes (the file system's limit).
inline constexpr size_t kMaxHostNameBytes = 255;
// Longest login looked up: a length-prefixed string holds no more.
inline constexpr size_t kMaxLookupLogin = 255;

// "Users" inside the server folder.
std::filesystem::path UsersFolderIn(const std::filesystem::path& server_folder);

// The UTF-8 folder name of a Mac Roman `login`, or nothing when the login cannot
// name exactly one folder inside "Users": empty, ".", "..", containing a slash
// or a zero byte, longer than kMaxLookupLogin, or a name the file system refuses
// as too long. Nothing else is refused; the store checks no other character.
std::optional<std::string> AccountFolderName(std::string_view login);

// The entry of `users` that names the account `login`: the entry whose name
// equals the login's folder name, else the first one in listing order that equals
// it apart from the letter case of ASCII letters. Nothing when there is none,
// the login is unusable or the folder cannot be listed. The entry may be of any
// kind; callers check that it is a folder. Never raises.
std::optional<std::filesystem::path> FindAccountEntry(FileSystem& file_system,
                                                      const std::filesystem::path& users,
                                                      std::string_view login);

// `text` cut to at most `limit` bytes.
inline std::string_view CutTo(std::string_view text, size_t limit) {
  return text.substr(0, limit);
}

}  // namespace vantrel::account_files
