#include "news/news_list.h"

#include "news/category_file.h"

#include "files/folder_listing.h"
#include "files/host_names.h"
#include "files/item_names.h"
#include "platform/byte_order.h"
#include "platform/exception.h"

namespace vantrel {
namespace {

constexpr uint16_t kLongBundle = 2;
constexpr uint16_t kLongCategory = 3;
constexpr uint8_t kShortFolder = 1;
constexpr uint8_t kShortCategory = 10;
constexpr uint8_t kShortOther = 255;

}  // namespace

bool IsCategoryName(std::string_view name) {
  return TypeAndCreatorForName(name).type == MakeFourCharCode("VNNZ");
}

std::vector<std::vector<uint8_t>> NewsListEntries(
    FileSystem& file_system, const std::filesystem::path& folder, bool long_form,
    const SummaryReader& summary, const std::function<void(const std::exception&)>& damaged) {
  std::vector<std::vector<uint8_t>> entries;
  for (const FolderEntry& listed : file_system.ListFolderWithStatus(folder)) {
    if (!listed.status || listed.name.starts_with('.') || IsCompanionName(listed.name)) continue;
    const std::filesystem::path host = folder / listed.name;
    const std::string name = WireName(listed.name);
    auto status = listed.status;
    if (status->kind == FileKind::kSymbolicLink)
      status = file_system.Stat(host, LinkHandling::kFollow);
    if (!status) continue;
    const bool is_folder = status->kind == FileKind::kFolder;
    const bool is_category = !is_folder && IsCategoryName(name);
    std::vector<uint8_t>& entry = entries.emplace_back();
    if (!long_form) {
      entry.push_back(is_folder ? kShortFolder : is_category ? kShortCategory : kShortOther);
      entry.insert(entry.end(), name.begin(), name.end());
    } else if (is_folder) {
      Append16(entry, kLongBundle);
      Append16(entry, static_cast<uint16_t>(CountEntries(file_system, host)));
      AppendLengthPrefixed(entry, name);
      entry.push_back(0);
    } else if (is_category) {
      CategorySummary category;
      try {
        category = summary(host);
      } catch (const Omberly::CException& failure) {
        damaged(failure);
      }
      Append16(entry, kLongCategory);
      Append16(entry, static_cast<uint16_t>(category.article_count));
      entry.insert(entry.end(), category.guid.begin(), category.guid.end());
      Append32(entry, category.add_serial);
      Append32(entry, category.second_serial);
      AppendLengthPrefixed(entry, name);
      entry.insert(entry.end(), 3, 0);
    } else {
      entries.pop_back();  // the long form lists bundles and categories only
    }
  }
  return entries;
}

}  // namespace vantrel
