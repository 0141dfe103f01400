#include "upload_run.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "data_check.h"
#include "flattened_stream.h"
#include "load_options.h"
#include "protocol/transaction_types.h"
#include "timed_connection.h"
#include "transfer_fields.h"
#include "vantrel_session.h"

namespace vantrel::transfer {
namespace {

using listing::ListingClock;

// The nickname the client shows.
constexpr const char* kNickname = "uploader";

}  // namespace

std::optional<TransferFigures> RunUpload(const TransferOptions& options, std::string& error) {
  const uint32_t source = load::SourceAddress(kUploadSourceBase, 0);
  listing::VantrelSession session(options.server_port, kNickname);
  if (!session.LogIn(source, ListingClock::now() + kLoginTimeout, error)) return std::nullopt;

  const auto deadline = ListingClock::now() + kTransferTimeout;
  const auto data_size = static_cast<uint32_t>(options.size);
  std::vector<uint8_t> head = FlattenedHead(options.name, data_size);
  const auto stream_size = static_cast<uint32_t>(head.size() + data_size);
  std::optional<Reference> reference;
  std::string reply_error;
  const auto read_reply = [&](std::span<const uint8_t> fields) {
    reference = ReadUploadReply(fields, reply_error);
  };
  if (!session.Call(kTranUploadFile, UploadRequestFields(options.folder, options.name, stream_size),
                    read_reply, deadline, error)) {
    error = options.name + ": " + error;
    return std::nullopt;
  }
  if (!reference) {
    error = reply_error;
    return std::nullopt;
  }

  // The transfer header and the flattened file's head go in one send.
  const auto header = TransferHeader(*reference, stream_size);
  head.insert(head.begin(), header.begin(), header.end());
  const std::vector<uint8_t> block = UploadBlock();
  listing::TimedConnection transfer;
  const asio::ip::tcp::endpoint server(asio::ip::address_v4::loopback(), options.server_port + 1);
  if (!transfer.Connect(source, server, deadline, error)) return std::nullopt;
  const auto start = ListingClock::now();
  bool sent = transfer.Send(head, deadline, error);
  for (uint64_t at = 0; sent && at < data_size; at += block.size()) {
    const auto size = static_cast<size_t>(std::min<uint64_t>(block.size(), data_size - at));
    sent = transfer.Send(std::span(block).first(size), deadline, error);
  }
  if (!sent || !transfer.AwaitClose(deadline, error)) {
    error = "the transfer: " + error;
    return std::nullopt;
  }
  const auto end = ListingClock::now();
  session.Close();

  if (!options.verify.empty() &&
      !HoldsUploadData(std::filesystem::path(options.verify) / options.name, data_size, error)) {
    return std::nullopt;
  }
  TransferFigures figures;
  figures.files = 1;
  figures.data_bytes = data_size;
  figures.stream_bytes = stream_size;
  figures.seconds = std::chrono::duration<double>(end - start).count();
  figures.verified = !options.verify.empty();
  return figures;
}

}  // namespace vantrel::transfer
