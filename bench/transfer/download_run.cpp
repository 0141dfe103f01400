#include "download_run.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <latch>
#include <memory>
#include <thread>
#include <vector>

#include "data_check.h"
#include "flattened_stream.h"
#include "load_options.h"
#include "protocol/transaction_types.h"
#include "route.h"
#include "stream_link.h"
#include "transfer_fields.h"
#include "vantrel_session.h"

namespace vantrel::transfer {
namespace {

using listing::ListingClock;
using listing::VantrelSession;

// The nickname every client shows.
constexpr const char* kNickname = "downloader";

// One client's download, in its own thread.
class DownloadClient {
 public:
  DownloadClient(const TransferOptions& options, size_t index)
      : source_(load::SourceAddress(kDownloadSourceBase, index)),
        folder_(options.folder),
        name_(ClientFileName(options, index)),
        session_(options.server_port, kNickname),
        transfer_(tunnel_client::MakeLink(options.route,
                                          static_cast<uint16_t>(options.server_port + 1))) {
    if (!options.verify.empty()) comparer_.emplace(std::filesystem::path(options.verify) / name_);
  }

  bool LogIn(std::string& error) {
    if (session_.LogIn(source_, ListingClock::now() + kLoginTimeout, error)) return true;
    error = "client from " + Address() + ": " + error;
    return false;
  }

  // Downloads the file; sets end_ when its last byte has arrived.
  bool Download(ListingClock::time_point deadline, std::string& error) {
    if (Transfer(deadline, error) && Check(error)) return true;
    error = name_ + ": " + error;
    return false;
  }

  ListingClock::time_point end() const { return end_; }
  uint64_t data_bytes() const { return data_bytes_; }
  uint64_t stream_bytes() const { return stream_bytes_; }
  bool queued() const { return queued_; }

 private:
  std::string Address() const { return asio::ip::address_v4(source_).to_string(); }

  // Asks for the file and waits until the server lets the download start.
  bool Request(ListingClock::time_point deadline, std::string& error) {
    std::string reply_error;
    session_.WatchTransactions(kTranDownloadQueuePosition, [this](std::span<const uint8_t> fields) {
      if (ticket_ && ReleasesDownload(fields, ticket_->reference)) released_ = true;
    });
    const auto read_reply = [&](std::span<const uint8_t> fields) {
      ticket_ = ReadDownloadReply(fields, reply_error);
    };
    if (!session_.Call(kTranDownloadFile, DownloadRequestFields(folder_, name_), read_reply,
                       deadline, error)) {
      return false;
    }
    if (!ticket_) {
      error = reply_error;
      return false;
    }
    queued_ = ticket_->queue_position > 0;
    if (queued_ && !session_.Await([this] { return released_; }, deadline, error)) {
      error = "waiting in the queue: " + error;
      return false;
    }
    return true;
  }

  bool Transfer(ListingClock::time_point deadline, std::string& error) {
    if (!Request(deadline, error)) return false;
    const auto header = TransferHeader(ticket_->reference, 0);
    if (!transfer_->Connect(source_, deadline, error) ||
        !transfer_->Send(header, deadline, error)) {
      return false;
    }
    FlattenedReader reader([this](std::span<const uint8_t> data) {
      data_bytes_ += data.size();
      if (comparer_ && !differs_) differs_ = !comparer_->Compare(data);
    });
    while (stream_bytes_ < ticket_->stream_size) {
      const auto want = static_cast<size_t>(
          std::min<uint64_t>(listing::kLinkReadSize, ticket_->stream_size - stream_bytes_));
      const auto bytes = transfer_->Receive(want, deadline, error);
      const size_t size = bytes.size();
      if (size == 0) {
        error = "after " + std::to_string(stream_bytes_) + " of " +
                std::to_string(ticket_->stream_size) + " bytes: " + error;
        return false;
      }
      stream_bytes_ += size;
      const size_t taken = reader.Feed(bytes);
      if (reader.state() == FlattenedReader::State::kInvalid) {
        error = "a damaged flattened file: " + reader.invalid_reason();
        return false;
      }
      if (taken < size) {
        error = "the flattened file ends at byte " + std::to_string(stream_bytes_ - size + taken) +
                " of the " + std::to_string(ticket_->stream_size) + " announced";
        return false;
      }
      if (differs_) {
        error = "the data differs from the file on disk at byte " +
                std::to_string(comparer_->position());
        return false;
      }
    }
    end_ = ListingClock::now();
    transfer_->Close();
    session_.Close();
    if (reader.state() != FlattenedReader::State::kComplete) {
      error = "the " + std::to_string(ticket_->stream_size) +
              " bytes announced end within the flattened file's forks";
      return false;
    }
    if (!reader.has_data_fork()) {
      error = "a flattened file without a data fork";
      return false;
    }
    return true;
  }

  // The figures of a whole stream against the reply and the file on disk.
  bool Check(std::string& error) {
    if (data_bytes_ != ticket_->file_size) {
      error = "a data fork of " + std::to_string(data_bytes_) + " bytes for a file of " +
              std::to_string(ticket_->file_size);
      return false;
    }
    if (comparer_ && !comparer_->AtEnd()) {
      error = "the file on disk is longer than the data fork";
      return false;
    }
    return true;
  }

  const uint32_t source_;
  const std::string folder_;
  const std::string name_;
  VantrelSession session_;
  // The transfer connection: plain TCP to P + 1, or a tunnel to P + 3.
  const std::unique_ptr<listing::StreamLink> transfer_;
  std::optional<FileComparer> comparer_;
  bool differs_ = false;
  std::optional<DownloadTicket> ticket_;
  bool queued_ = false;
  bool released_ = false;  // by a 211 saying its turn has come
  uint64_t data_bytes_ = 0;
  uint64_t stream_bytes_ = 0;
  ListingClock::time_point end_{};
};

}  // namespace

std::optional<TransferFigures> RunDownloads(const TransferOptions& options, std::string& error) {
  const size_t count = options.clients;
  std::vector<std::unique_ptr<DownloadClient>> clients;
  for (size_t i = 0; i < count; ++i)
    clients.push_back(std::make_unique<DownloadClient>(options, i));
  std::vector<std::string> errors(count);
  std::latch logged_in(static_cast<std::ptrdiff_t>(count));
  std::latch go(1);
  std::atomic<bool> abandon = false;
  ListingClock::time_point start;
  {
    std::vector<std::jthread> threads;
    for (size_t i = 0; i < count; ++i) {
      threads.emplace_back([&, i] {
        const bool ready = clients[i]->LogIn(errors[i]);
        logged_in.count_down();
        go.wait();
        if (ready && !abandon) clients[i]->Download(start + kTransferTimeout, errors[i]);
      });
    }
    logged_in.wait();
    abandon = std::any_of(errors.begin(), errors.end(), [](const auto& e) { return !e.empty(); });
    start = ListingClock::now();
    go.count_down();
  }  // the threads end here
  for (const auto& client_error : errors) {
    if (!client_error.empty()) {
      error = client_error;
      return std::nullopt;
    }
  }
  TransferFigures figures;
  figures.files = count;
  figures.verified = !options.verify.empty();
  ListingClock::time_point end = start;
  for (const auto& client : clients) {
    figures.data_bytes += client->data_bytes();
    figures.stream_bytes += client->stream_bytes();
    figures.queued += client->queued() ? 1 : 0;
    end = std::max(end, client->end());
  }
  figures.seconds = std::chrono::duration<double>(end - start).count();
  return figures;
}

}  // namespace vantrel::transfer
