#include "files/host_names.h"

#include <optional>

#include "files/item_names.h"
#include "platform/exception.h"
#include "platform/mac_roman.h"

namespace vantrel {

std::string WireName(std::string_view host_name) {
  std::string name = Utf8ToMacRoman(host_name);
  if (name.size() > kMaxItemNameLength) name.resize(kMaxItemNameLength);
  return name;
}

std::string HostEntryName(FileSystem& file_system, const std::filesystem::path& folder,
                          std::string_view wire_name) {
  std::string direct = MacRomanToUtf8(wire_name);
  // Only a lossy conversion puts a "?" where a character was.
  if (wire_name.find('?') == std::string_view::npos) return direct;
  try {
    if (file_system.Stat(folder / direct, LinkHandling::kNoFollow)) return direct;
    std::optional<std::string> match;
    for (std::string& entry : file_system.ListFolder(folder)) {
      if (WireName(entry) != wire_name) continue;
      if (match) return direct;  // two entries show the same name: neither is meant
      match = std::move(entry);
    }
    return match ? *match : direct;
  } catch (const Omberly::CException&) {
    return direct;
  }
}

}  // namespace vantrel
