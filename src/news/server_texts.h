#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "files/type_codes.h"
#include "platform/file_system.h"
#include "prefs/server_settings.h"

namespace vantrel {

class LogWindow;
class Operator;

// The banner kind of a remote banner: its link is a URL.
inline constexpr FourCharCode kBannerKindUrl = MakeFourCharCode("URL ");

// The agreement ("Agreement.txt") and the banner (a local image file, or a
// remote URL) as last loaded. Owned by the application; replaced as a whole at
// each load and unchanged in between. Core thread only.
class ServerTexts {
 public:
  // REQUIRES: `file_system` outlives the texts; `server_folder` is the folder
  // the agreement and a relative banner file name are found in.
  ServerTexts(FileSystem& file_system, std::filesystem::path server_folder);

  ServerTexts(const ServerTexts&) = delete;
  ServerTexts& operator=(const ServerTexts&) = delete;

  // Loads "Agreement.txt", then the banner the settings name: a remote banner
  // takes the banner URL as its link and the kind "URL " (no kind when the URL is
  // empty); a local banner loads the banner file, takes its kind from the file
  // (BannerKindFor) and the banner link as its link. Each file is loaded by
  // LoadServerFile, which logs and tells the operator; `reload` picks its
  // "Reloaded file" lines. Raises what LoadServerFile raises (the agreement
  // first: the banner then keeps what it held).
  void Load(const ServerSettings& settings, bool reload, LogWindow& log, Operator& notices);

  // The agreement text (Mac Roman, CR line ends, at most 65535 bytes); null when
  // none is loaded. Valid until the next Load.
  const std::string* Agreement() const { return agreement_ ? &*agreement_ : nullptr; }
  // The banner kind ("JPEG", "URL ", ...), or none when no banner is set.
  std::optional<FourCharCode> BannerKind() const { return banner_kind_; }
  // The banner's link (a local banner) or URL (a remote one); empty when none.
  const std::string& BannerLink() const { return banner_link_; }
  // True when a local banner file is loaded (possibly of 0 bytes).
  bool BannerDataLoaded() const { return banner_data_.has_value(); }
  // The local banner file's bytes; empty when none is loaded. Valid until the next Load.
  std::span<const uint8_t> BannerData() const;

 private:
  FileSystem& file_system_;
  std::filesystem::path folder_;
  std::optional<std::string> agreement_;
  std::optional<std::string> banner_data_;
  std::optional<FourCharCode> banner_kind_;
  std::string banner_link_;
};

// The kind of a local banner named `file_name` with type code `type`: "JPEG"
// for a name ending in ".jpg" (letters in any case) or type "JPEG" or "JFIF",
// else "GIFf" for ".gif" or "GIFf", else "PICT" for ".pct" or "PICT", else
// "BMP " for ".bmp", ".dib" or "BMP ", else `type` itself. Pure.
FourCharCode BannerKindFor(std::string_view file_name, const FourCharCode& type);

}  // namespace vantrel
