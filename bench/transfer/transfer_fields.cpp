#include "transfer_fields.h"

#include <algorithm>

#include "file_list_fields.h"
#include "platform/byte_order.h"
#include "protocol/field_data.h"
#include "protocol/field_ids.h"

namespace vantrel::transfer {
namespace {

constexpr std::string_view kTransferMagic = "VNXF";

UFieldData NameFields(std::string_view folder, std::string_view name) {
  UFieldData fields;
  fields.AddText(kFieldFileName, name);
  if (!folder.empty()) fields.AddField(kFieldFilePath, listing::FolderPathField(folder));
  return fields;
}

std::vector<uint8_t> Bytes(const UFieldData& fields) {
  const auto buffer = fields.Buffer();
  return {buffer.begin(), buffer.end()};
}

UFieldData Read(std::span<const uint8_t> fields) {
  return UFieldData(std::vector<uint8_t>(fields.begin(), fields.end()));
}

std::optional<Reference> ReferenceIn(const UFieldData& fields) {
  const auto data = fields.Data(kFieldReferenceNumber);
  Reference reference;
  if (data.size() != reference.size()) return std::nullopt;
  std::copy(data.begin(), data.end(), reference.begin());
  return reference;
}

}  // namespace

std::vector<uint8_t> DownloadRequestFields(std::string_view folder, std::string_view name) {
  return Bytes(NameFields(folder, name));
}

std::vector<uint8_t> UploadRequestFields(std::string_view folder, std::string_view name,
                                         uint32_t stream_size) {
  UFieldData fields = NameFields(folder, name);
  fields.AddInteger(kFieldTransferSize, stream_size);
  return Bytes(fields);
}

std::optional<DownloadTicket> ReadDownloadReply(std::span<const uint8_t> fields,
                                                std::string& error) {
  const UFieldData reply = Read(fields);
  const auto reference = ReferenceIn(reply);
  if (!reference) {
    error = "a download reply without a 4-byte reference (107)";
    return std::nullopt;
  }
  if (reply.Find(kFieldTransferSize) == 0) {
    error = "a download reply without the transfer size (108)";
    return std::nullopt;
  }
  DownloadTicket ticket;
  ticket.reference = *reference;
  ticket.stream_size = reply.ReadInteger(kFieldTransferSize);
  ticket.file_size = reply.ReadInteger(kFieldFileSize);
  ticket.queue_position = reply.ReadInteger(kFieldQueuePosition);
  return ticket;
}

std::optional<Reference> ReadUploadReply(std::span<const uint8_t> fields, std::string& error) {
  const auto reference = ReferenceIn(Read(fields));
  if (!reference) error = "an upload reply without a 4-byte reference (107)";
  return reference;
}

bool ReleasesDownload(std::span<const uint8_t> fields, const Reference& reference) {
  const UFieldData update = Read(fields);
  return ReferenceIn(update) == reference && update.ReadInteger(kFieldQueuePosition) == 0;
}

std::array<uint8_t, kTransferHeaderSize> TransferHeader(const Reference& reference,
                                                        uint32_t data_size) {
  std::array<uint8_t, kTransferHeaderSize> header{};  // the reserved bytes stay 0
  std::copy(kTransferMagic.begin(), kTransferMagic.end(), header.begin());
  std::copy(reference.begin(), reference.end(), header.begin() + 4);
  Put32(header.data() + 8, data_size);
  Put16(header.data() + 12, kTransferKindFile);
  return header;
}

}  // namespace vantrel::transfer
