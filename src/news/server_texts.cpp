#include "news/server_texts.h"

#include <utility>

#include "news/news_files.h"
#include "news/text_file_loader.h"

namespace vantrel {
namespace {

// True when `name` ends in `suffix` (lower case), ASCII letters compared in any case.
bool NameEndsWith(std::string_view name, std::string_view suffix) {
  if (name.size() < suffix.size()) return false;
  const std::string_view end = name.substr(name.size() - suffix.size());
  for (size_t i = 0; i < suffix.size(); ++i) {
    char ch = end[i];
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    if (ch != suffix[i]) return false;
  }
  return true;
}

}  // namespace

ServerTexts::ServerTexts(FileSystem& file_system, std::filesystem::path server_folder)
    : file_system_(file_system), folder_(std::move(server_folder)) {}

void ServerTexts::Load(const ServerSettings& settings, bool reload, LogWindow& log,
                       Operator& notices) {
  agreement_.reset();
  if (auto agreement =
          LoadServerFile(file_system_, folder_, kAgreementFileName, reload, log, notices)) {
    agreement_ = std::move(agreement->bytes);
  }

  banner_kind_.reset();
  banner_data_.reset();
  banner_link_.clear();
  if (!settings.Option(kOptionLocalBanner)) {
    banner_link_ = settings.banner_url;
    if (!banner_link_.empty()) banner_kind_ = kBannerKindUrl;
    return;
  }
  if (auto banner =
          LoadServerFile(file_system_, folder_, settings.banner_file, reload, log, notices)) {
    banner_kind_ = BannerKindFor(settings.banner_file, banner->type);
    banner_data_ = std::move(banner->bytes);
  }
  banner_link_ = settings.banner_link;
}

std::span<const uint8_t> ServerTexts::BannerData() const {
  if (!banner_data_) return {};
  return {reinterpret_cast<const uint8_t*>(banner_data_->data()), banner_data_->size()};
}

FourCharCode BannerKindFor(std::string_view file_name, const FourCharCode& type) {
  const auto is = [&type](const char(&code)[5]) { return type == MakeFourCharCode(code); };
  if (NameEndsWith(file_name, ".jpg") || is("JPEG") || is("JFIF")) return MakeFourCharCode("JPEG");
  if (NameEndsWith(file_name, ".gif") || is("GIFf")) return MakeFourCharCode("GIFf");
  if (NameEndsWith(file_name, ".pct") || is("PICT")) return MakeFourCharCode("PICT");
  if (NameEndsWith(file_name, ".bmp") || NameEndsWith(file_name, ".dib") || is("BMP ")) {
    return MakeFourCharCode("BMP ");
  }
  return type;
}

}  // namespace vantrel
