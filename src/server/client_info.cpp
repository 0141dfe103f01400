#include "server/client_info.h"

#include <algorithm>

#include "logs/log_window.h"

namespace vantrel {
namespace {

constexpr uint64_t kKilobyte = 1024;
constexpr uint64_t kMegabyte = 1'048'576;
// The tenths digit of a megabyte count is ((rest + 1) * kTenthsFactor) >> kTenthsShift,
// close to rest * 10 / kMegabyte.
constexpr uint64_t kTenthsFactor = 1'310'715;
constexpr unsigned kTenthsShift = 37;
constexpr uint32_t kFullPercent = 100;

// Widths of the columns of a section line; longer texts are cut.
constexpr size_t kNameColumn = 21;
constexpr size_t kPercentColumn = 4;
// The longest address text.
constexpr size_t kAddressTextBytes = 63;

constexpr std::string_view kNoEntries = "None.\r";

// `text` cut to `width` bytes and padded with blanks to it.
std::string Column(std::string_view text, size_t width) {
  std::string column(text.substr(0, width));
  column.resize(width, ' ');
  return column;
}

// One section of `items`, each formatted by `format` while the section has room.
template <typename Item, typename Format>
std::string Section(std::span<const Item> items, Format format) {
  std::string section;
  for (const Item& item : items) {
    if (kClientInfoSectionBytes - section.size() < kClientInfoEntryRoom) break;
    section += format(item);
  }
  return section.empty() ? std::string(kNoEntries) : section;
}

}  // namespace

std::string SizeText(uint64_t size) {
  if (size == 0) return "0K";
  if (size < kKilobyte) return "<1K";
  if (size < kMegabyte) return std::to_string(size / kKilobyte) + "K";
  std::string text = std::to_string(size / kMegabyte);
  const uint64_t tenths = (((size % kMegabyte) + 1) * kTenthsFactor) >> kTenthsShift;
  if (tenths != 0) text += "." + std::to_string(tenths);
  return text + "M";
}

uint32_t PercentDone(const TransferInProgress& transfer) {
  if (!transfer.has_connection || transfer.size == 0) return 0;
  const uint32_t hundredth = transfer.size / kFullPercent;
  // Items under 100 bytes have no whole hundredth: count in bytes instead.
  const uint64_t percent = hundredth != 0
                               ? transfer.bytes_done / hundredth
                               : uint64_t{transfer.bytes_done} * kFullPercent / transfer.size;
  return static_cast<uint32_t>(std::min<uint64_t>(percent, kFullPercent));
}

std::string TransferSection(std::span<const TransferInProgress> transfers) {
  return Section(transfers, [](const TransferInProgress& transfer) {
    return Column(transfer.name, kNameColumn) + " " +
           Column(std::to_string(PercentDone(transfer)) + "%", kPercentColumn) + " " +
           SizeText(transfer.size) + "\r";
  });
}

std::string WaitingSection(std::span<const WaitingDownload> waiting) {
  return Section(waiting, [](const WaitingDownload& download) {
    return Column(download.name, kNameColumn) + (download.is_folder ? " (Folder)\r" : " (File)\r");
  });
}

std::string ClientInfoText(const ClientSession& client, const ClientTransfers& transfers) {
  std::string text =
      "Nickname:   " + client.display_name + "\rName:       " + client.account_name +
      "\rAccount:    " + client.login +
      "\rAddress:    " + AddressText(client.address).substr(0, kAddressTextBytes) +
      "\r\r-------- File Downloads ---------\r\r" + TransferSection(transfers.file_downloads) +
      "\r------- Folder Downloads --------\r\r" + TransferSection(transfers.folder_downloads) +
      "\r--------- File Uploads ----------\r\r" + TransferSection(transfers.file_uploads) +
      "\r-------- Folder Uploads ---------\r\r" + TransferSection(transfers.folder_uploads) +
      "\r------- Waiting Downloads -------\r\r" + WaitingSection(transfers.waiting_downloads);
  if (text.size() > kClientInfoTextBytes) text.resize(kClientInfoTextBytes);
  return text;
}

}  // namespace vantrel
