#include "accounts/account_files.h"

#include <algorithm>
#include <system_error>

#include "platform/mac_roman.h"

namespace vantrel::account_files {
namespace {

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Equal apart from the case of ASCII letters. The bytes of a multi-byte UTF-8
// character are never ASCII, so this treats only ASCII letters as equal.
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

}  // namespace

std::filesystem::path UsersFolderIn(const std::filesystem::path& server_folder) {
  return server_folder / kUsersFolderName;
}

std::optional<std::string> AccountFolderName(std::string_view login) {
  if (login.empty() || login.size() > kMaxLookupLogin) return std::nullopt;
  if (login == "." || login == "..") return std::nullopt;
  if (login.find('/') != std::string_view::npos) return std::nullopt;
  if (login.find('\0') != std::string_view::npos) return std::nullopt;
  std::string name = MacRomanToUtf8(login);
  if (name.size() > kMaxHostNameBytes) return std::nullopt;
  return name;
}

std::optional<std::filesystem::path> FindAccountEntry(const std::filesystem::path& users,
                                                      std::string_view login) {
  const std::optional<std::string> name = AccountFolderName(login);
  if (!name) return std::nullopt;
  std::error_code error;
  const std::filesystem::path exact = users / *name;
  if (std::filesystem::symlink_status(exact, error).type() !=
      std::filesystem::file_type::not_found) {
    if (!error) return exact;
  }
  std::filesystem::directory_iterator entries(users, error);
  if (error) return std::nullopt;
  for (const std::filesystem::directory_iterator end; entries != end; entries.increment(error)) {
    if (error) return std::nullopt;
    if (EqualIgnoringAsciiCase(entries->path().filename().native(), *name)) {
      return entries->path();
    }
  }
  return std::nullopt;
}

}  // namespace vantrel::account_files
