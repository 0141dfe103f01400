#include "vantrel_lister.h"

#include "file_list_fields.h"
#include "load_options.h"
#include "protocol/field_data.h"
#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"

namespace vantrel::listing {
namespace {

// The nickname every session shows.
constexpr const char* kNickname = "lister";

std::vector<uint8_t> RequestFields(std::string_view folder) {
  UFieldData fields;
  fields.AddField(kFieldFilePath, FolderPathField(folder));
  const auto buffer = fields.Buffer();
  return {buffer.begin(), buffer.end()};
}

}  // namespace

VantrelLister::VantrelLister(uint16_t port, std::string_view folder)
    : request_fields_(RequestFields(folder)), session_(port, kNickname) {}

std::optional<Listing> VantrelLister::ListOnce(std::string& error) {
  const auto deadline = ListingClock::now() + kListingTimeout;
  if (!session_.IsOpen() || listings_left_ == 0) {
    const uint32_t source = load::SourceAddress(kSessionSourceBase, sessions_);
    ++sessions_;
    if (!session_.LogIn(source, deadline, error)) return std::nullopt;
    listings_left_ = kListingsPerSession;
  }
  --listings_left_;
  const auto count_entries = [this](std::span<const uint8_t> fields) {
    if (entries_ || unreadable_) return;  // counted in the first reply only
    entries_ = CountFileEntries(fields);
    unreadable_ = !entries_;
  };
  const auto start = ListingClock::now();
  if (!session_.Call(kTranGetFileList, request_fields_, count_entries, deadline, error)) {
    error = "file list: " + error;
    return std::nullopt;
  }
  const auto time = ListingClock::now() - start;
  if (unreadable_) {
    error = "a file-list reply whose entries the tool cannot read";
    return std::nullopt;
  }
  return Listing{time, session_.last_reply_bytes(), entries_};
}

}  // namespace vantrel::listing
