#include "client/transfers.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "client/listings.h"
#include "files/type_codes.h"
#include "platform/exception.h"
#include "platform/file_system.h"
#include "platform/mac_roman.h"
#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"
#include "transfer/flattened_file.h"
#include "transfer/transfer_header.h"

namespace vantrel::client {
namespace {

using Clock = ClientSocket::Clock;

// Field 204 of an upload: go on with the unfinished upload of that name.
constexpr uint32_t kResumeUpload = 1;
// The most of a file read and sent at once.
constexpr size_t kUploadPiece = 64 * 1024;
// The bytes of a reference number (field 107).
constexpr size_t kReferenceSize = 4;

// The fields naming the item `name` in the folder `folder` (201, and 202 below the top).
UFieldData ItemFields(const std::vector<std::string>& folder, std::string_view name) {
  UFieldData fields;
  fields.AddText(kFieldFileName, name);
  if (!folder.empty()) fields.AddField(kFieldFilePath, PathField(folder));
  return fields;
}

// The file's bytes held once `stream_done` bytes of a flattened stream of
// `stream_size` bytes have passed, its data fork holding the file from `offset`
// to `size`.
uint64_t DataDone(uint64_t stream_done, uint64_t stream_size, uint64_t size, uint64_t offset) {
  const uint64_t head = stream_size - std::min(stream_size, size - std::min(size, offset));
  return offset + (stream_done > head ? stream_done - head : 0);
}

// A transfer connection for the transfer `reference`, its header sent; null,
// with `error` set, when it cannot be made.
std::unique_ptr<ClientSocket> OpenTransfer(const TransferPort& transfers,
                                           std::span<const uint8_t> reference, uint32_t data_size,
                                           std::string& error) {
  if (reference.size() != kReferenceSize) {
    error = "the server's reply holds no reference number";
    return nullptr;
  }
  auto socket = ClientSocket::Connect(transfers.host, transfers.port, Clock::now() + kAnswerWait,
                                      transfers.pump, error);
  if (!socket) return nullptr;
  const auto header = EncodeTransferHeader(std::span<const uint8_t, kReferenceSize>(reference),
                                           data_size, kTransferKindFile);
  if (!socket->Send(header, Clock::now() + kAnswerWait)) {
    error = "the server closed the transfer connection";
    return nullptr;
  }
  return socket;
}

// Waits until the server lets the download `reference` start (transaction
// 211 with position 0); false when the connection ends first.
bool WaitForTurn(ServerConnection& server, std::span<const uint8_t> reference, uint32_t position,
                 const TransferObserver& observer) {
  while (position != 0) {
    if (observer.notice) {
      observer.notice("Waiting in the download queue at position " + std::to_string(position));
    }
    const auto update = server.WaitFor(kTranDownloadQueuePosition);
    if (!update) {
      if (!server.IsOpen()) return false;
      continue;  // no news in a while: the queue is still there
    }
    const auto of = update->fields.Data(kFieldReferenceNumber);
    if (std::equal(of.begin(), of.end(), reference.begin(), reference.end())) {
      position = update->fields.ReadInteger(kFieldQueuePosition);
    }
  }
  return true;
}

void ReceiveFile(ClientSocket& socket, FileUnflattener& unflattener, uint32_t stream_size,
                 TransferResult& result, const TransferObserver& observer) {
  std::vector<uint8_t> inbox;
  uint32_t received = 0;
  while (received < stream_size) {
    inbox.clear();
    if (socket.Receive(inbox, Clock::now() + kAnswerWait) != ClientSocket::Received::kData) {
      result.error = "the transfer stopped before its end; get the file again to resume";
      return;
    }
    const auto piece =
        std::span(inbox).first(std::min<size_t>(inbox.size(), stream_size - received));
    unflattener.Write(piece);
    received += static_cast<uint32_t>(piece.size());
    const uint64_t done = DataDone(received, stream_size, result.size, result.offset);
    if (observer.progress && !observer.progress(done, result.size) && received < stream_size) {
      result.error = "interrupted; get the file again to resume";
      return;
    }
  }
  unflattener.Close();
  result.ok = true;
}

}  // namespace

TransferResult Download(ServerConnection& server, const TransferPort& transfers,
                        const std::vector<std::string>& remote, const std::filesystem::path& local,
                        const TransferObserver& observer) {
  TransferResult result;
  FileSystem& disk = FileSystem::Default();
  std::filesystem::path partial = local;
  partial += kPartialSuffix;
  try {
    if (remote.empty()) {
      result.error = "no file named";
      return result;
    }
    if (disk.Stat(local, LinkHandling::kFollow)) {
      result.error = local.string() + " exists already";
      return result;
    }
    const auto held = disk.Stat(partial, LinkHandling::kFollow);
    result.offset = held ? held->size : 0;

    UFieldData fields = ItemFields({remote.begin(), remote.end() - 1}, remote.back());
    if (result.offset > 0) {
      fields.AddField(kFieldResumeRecord, UploadResumeRecord(static_cast<uint32_t>(result.offset)));
    }
    const auto reply = server.Call(kTranDownloadFile, fields);
    if (!reply || reply->IsError()) {
      result.error = server.Refusal(reply);
      return result;
    }
    const uint32_t stream_size = reply->fields.ReadInteger(kFieldTransferSize);
    result.size = reply->fields.ReadInteger(kFieldFileSize);
    const auto reference = reply->fields.Data(kFieldReferenceNumber);
    if (!WaitForTurn(server, reference, reply->fields.ReadInteger(kFieldQueuePosition), observer)) {
      result.error = server.Failure();
      return result;
    }
    auto socket = OpenTransfer(transfers, reference, 0, result.error);
    if (!socket) return result;
    FileUnflattener unflattener(disk, partial);
    ReceiveFile(*socket, unflattener, stream_size, result, observer);
    if (result.ok) disk.Rename(partial, local);
  } catch (const Omberly::CException& failure) {
    result.ok = false;
    result.error = MacRomanToOperatorText(failure.Description());
  }
  return result;
}

TransferResult Upload(ServerConnection& server, const TransferPort& transfers,
                      const std::filesystem::path& local, const std::vector<std::string>& folder,
                      const TransferObserver& observer) {
  TransferResult result;
  FileSystem& disk = FileSystem::Default();
  try {
    const auto status = disk.Stat(local, LinkHandling::kFollow);
    if (!status || status->kind != FileKind::kFile) {
      result.error = "there is no file " + local.string();
      return result;
    }
    result.size = status->size;
    const std::string name = Utf8ToMacRoman(local.filename().string());

    // An unfinished upload of that name in the folder is gone on with.
    UFieldData where;
    if (!folder.empty()) where.AddField(kFieldFilePath, PathField(folder));
    const auto listing = server.Call(kTranGetFileList, where);
    if (!listing || listing->IsError()) {
      result.error = server.Refusal(listing);
      return result;
    }
    bool resume = false;
    for (size_t position = 1; position <= listing->fields.Count(); ++position) {
      const auto entry = ParseFileEntry(listing->fields.DataAt(position));
      resume = resume || (entry && entry->name == name + std::string(kPartialSuffix));
    }

    UFieldData fields = ItemFields(folder, name);
    fields.AddInteger(kFieldTransferSize, static_cast<uint32_t>(result.size));
    if (resume) fields.AddInteger(kFieldTransferOptions, kResumeUpload);
    const auto reply = server.Call(kTranUploadFile, fields);
    if (!reply || reply->IsError()) {
      result.error = server.Refusal(reply);
      return result;
    }
    if (resume) result.offset = ResumeOffset(reply->fields.Data(kFieldResumeRecord));
    FileFlattener flattener(disk, local, name, TypeAndCreatorForName(name),
                            static_cast<uint32_t>(result.offset));
    const uint32_t stream_size = flattener.FlattenedSize();
    auto socket = OpenTransfer(transfers, reply->fields.Data(kFieldReferenceNumber), stream_size,
                               result.error);
    if (!socket) return result;

    std::vector<uint8_t> piece(kUploadPiece);
    while (flattener.Remaining() > 0) {
      const size_t n = flattener.Read(piece);
      if (!socket->Send(std::span(piece).first(n), Clock::now() + kAnswerWait)) {
        result.error = "the server closed the transfer connection; put the file again to resume";
        return result;
      }
      const uint64_t done =
          DataDone(stream_size - flattener.Remaining(), stream_size, result.size, result.offset);
      if (observer.progress && !observer.progress(done, result.size) && flattener.Remaining() > 0) {
        result.error = "interrupted; put the file again to resume";
        return result;
      }
    }
    // The server closes the connection once it has written the whole file.
    std::vector<uint8_t> ignored;
    while (socket->Receive(ignored, Clock::now() + kAnswerWait) == ClientSocket::Received::kData) {
      ignored.clear();
    }
    result.ok = !socket->IsOpen();
    if (!result.ok) result.error = "the server did not confirm the upload";
  } catch (const Omberly::CException& failure) {
    result.ok = false;
    result.error = MacRomanToOperatorText(failure.Description());
  }
  return result;
}

}  // namespace vantrel::client
