#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "transfer/transfer_header.h"

namespace vantrel::transfer {

// What a client sends and reads to transfer a file: the fields of 202
// (Download file) and 203 (Upload file) and of their replies, of 211 (the
// download's place in the queue), and the header that opens a transfer
// connection to the server's port + 1.

// A reference number as the server sent it in field 107: four bytes the client
// hands back unchanged, never read as a number.
using Reference = std::array<uint8_t, 4>;

// The field list of 202: the name (201) and, unless `folder` is empty, the
// path (202) of the folder at the top of the shared files that holds it.
// REQUIRES: 1 <= name.size(), folder.size() <= 255.
std::vector<uint8_t> DownloadRequestFields(std::string_view folder, std::string_view name);
// The field list of 203: as for 202, then the flattened bytes the client will
// send (108).
std::vector<uint8_t> UploadRequestFields(std::string_view folder, std::string_view name,
                                         uint32_t stream_size);

// What the reply to 202 says.
struct DownloadTicket {
  Reference reference{};
  uint32_t stream_size = 0;     // 108
  uint32_t file_size = 0;       // 207
  uint32_t queue_position = 0;  // 116; 0 when the download need not wait
};

// Reads the field list of a reply to 202. Nothing, with `error` set, without
// a 4-byte reference or without the transfer size.
std::optional<DownloadTicket> ReadDownloadReply(std::span<const uint8_t> fields,
                                                std::string& error);
// Reads the reference of a reply to 203. Nothing, with `error` set, without a
// 4-byte one.
std::optional<Reference> ReadUploadReply(std::span<const uint8_t> fields, std::string& error);
// Whether a 211 lets the download `reference` start: its reference is that one
// and its queue position 0.
bool ReleasesDownload(std::span<const uint8_t> fields, const Reference& reference);

// The 16 bytes that open a transfer connection: "VNXF", the reference, the
// data size (0 for a download, the flattened bytes for an upload), the kind
// kTransferKindFile and 2 zero bytes.
std::array<uint8_t, kTransferHeaderSize> TransferHeader(const Reference& reference,
                                                        uint32_t data_size);

}  // namespace vantrel::transfer
