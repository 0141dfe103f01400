#include "vantrel_lister.h"

#include <utility>

#include "file_list_fields.h"
#include "load_options.h"
#include "protocol/field_data.h"
#include "protocol/field_ids.h"
#include "protocol/transaction.h"
#include "protocol/transaction_types.h"

namespace vantrel::listing {
namespace {

// Bytes read from the socket at once: a listing of 10,000 files is some 400 KB.
constexpr size_t kReadChunk = 256 * 1024;
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
    : server_(asio::ip::address_v4::loopback(), port),
      request_fields_(RequestFields(folder)),
      buffer_(kReadChunk) {}

void VantrelLister::Failure(std::string why) {
  if (!failure_) failure_ = std::move(why);
}

void VantrelLister::Reply(uint32_t id, uint32_t error, std::span<const uint8_t> body) {
  if (id != request_id_ || replied_) return;  // not the reply awaited
  replied_ = true;
  reply_bytes_ = kTransactionHeaderSize + body.size();
  if (error != 0) {
    const UFieldData fields(std::vector<uint8_t>(body.begin(), body.end()));
    const auto text = fields.Data(kFieldErrorText);
    Failure("the server refused the file list (error " + std::to_string(error) +
            "): " + std::string(text.begin(), text.end()));
    return;
  }
  if (entries_) return;  // counted in the first reply only
  entries_ = CountFileEntries(body);
  if (!entries_) Failure("a file-list reply whose entries the tool cannot read");
}

bool VantrelLister::ReadUntil(const std::function<bool()>& done, ListingClock::time_point deadline,
                              std::string& error) {
  while (true) {
    if (failure_) {
      error = *failure_;
      connection_.Close();
      return false;
    }
    if (done()) return true;
    if (ListingClock::now() >= deadline) {
      error = "timed out waiting for the server";
      connection_.Close();
      return false;
    }
    const size_t size = connection_.Receive(buffer_, deadline, error);
    if (size == 0) return false;
    out_.clear();
    codec_->Feed(std::span<const uint8_t>(buffer_).first(size), out_, *this);
    if (!out_.empty() && !connection_.Send(out_, deadline, error)) return false;
  }
}

bool VantrelLister::LogIn(ListingClock::time_point deadline, std::string& error) {
  const uint32_t source = load::SourceAddress(kSessionSourceBase, sessions_);
  ++sessions_;
  if (!connection_.Connect(source, server_, deadline, error)) return false;
  codec_ = std::make_unique<load::VantrelCodec>(kNickname);
  logged_in_ = false;
  out_.clear();
  codec_->Greeting(out_);
  if (!connection_.Send(out_, deadline, error)) return false;
  if (!ReadUntil([this] { return logged_in_; }, deadline, error)) {
    error = "login: " + error;
    return false;
  }
  listings_left_ = kListingsPerSession;
  return true;
}

std::optional<Listing> VantrelLister::ListOnce(std::string& error) {
  const auto deadline = ListingClock::now() + kListingTimeout;
  if (!connection_.IsOpen() || listings_left_ == 0) {
    if (!LogIn(deadline, error)) return std::nullopt;
  }
  --listings_left_;
  out_.clear();
  request_id_ = codec_->Request(kTranGetFileList, request_fields_, out_);
  replied_ = false;
  const auto start = ListingClock::now();
  if (!connection_.Send(out_, deadline, error)) return std::nullopt;
  if (!ReadUntil([this] { return replied_; }, deadline, error)) return std::nullopt;
  return Listing{ListingClock::now() - start, reply_bytes_, entries_};
}

}  // namespace vantrel::listing
