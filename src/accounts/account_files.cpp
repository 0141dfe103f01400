#include "accounts/account_files.h"

#include <algorithm>
#include <vector>

#include "platform/exception.h"
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

std::optional<std::filesystem::path> FindAccountEntry(FileSystem& file_system,
                                                      const std::filesystem::path& users,
                                                      std::string_view login) {
  const std::optional<std::string> name = AccountFolderName(login);
  if (!name) return std::nullopt;
  const std::filesystem::path exact = users / *name;
  try {
    if (file_system.Stat(exact, LinkHandling::kNoFollow)) return exact;
  } catch (const Omberly::CException&) {
    // Not known to be there: look through the folder.
  }
  std::vector<std::string> entries;
  try {
    entries = file_system.ListFolder(users);
  } catch (const Omberly::CException&) {
    return std::nullopt;
  }
  for (const std::string& entry : entries) {
    if (EqualIgnoringAsciiCase(entry, *name)) return users / entry;
  }
  return std::nullopt;
}

}  // namespace vantrel::account_files
