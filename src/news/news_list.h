#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

#include "news/news_database.h"
#include "platform/file_system.h"

namespace vantrel {

// Client versions from this one on are sent the long form of news lists.
inline constexpr uint32_t kLongNewsListVersion = 15;

// Whether `name` (Mac Roman) is a category's: its type is "VNNZ", that is, it
// ends in ".vnz" in any case.
bool IsCategoryName(std::string_view name);

// The summary of the category file at `path`.
using SummaryReader = std::function<CategorySummary(const std::filesystem::path& path)>;

// The entries of the news bundle `folder`, one field's data each, in listing
// order; hidden entries (a name starting with ".") and the journals of
// categories are left out.
// Long form (field 323): a bundle as type 2, its number of items, its name
// (length-prefixed) and a zero byte; a category as type 3, its article count
// (low 16 bits), GUID, add serial and second serial, its name and 3 zero bytes;
// other files are left out. Short form (field 320): a type byte (1 a folder,
// 10 a category, 255 anything else) and the name. A category whose summary
// cannot be read is listed with zeros, and the failure given to `damaged`.
std::vector<std::vector<uint8_t>> NewsListEntries(
    FileSystem& file_system, const std::filesystem::path& folder, bool long_form,
    const SummaryReader& summary, const std::function<void(const std::exception&)>& damaged);

}  // namespace vantrel
