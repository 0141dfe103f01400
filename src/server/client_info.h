#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "server/client_session.h"
#include "server/client_transfers.h"

namespace vantrel {

// The client information text of transaction 303: who a client is and what it
// is transferring. Pure formatting; the handler gathers the inputs.

// Each section is formatted into this many bytes.
inline constexpr size_t kClientInfoSectionBytes = 512;
// A section takes another entry only while at least this many bytes are free.
inline constexpr size_t kClientInfoEntryRoom = 40;
// The whole text is cut to this many bytes.
inline constexpr size_t kClientInfoTextBytes = 1024;

// A byte count as shown to users: "0K", "<1K" below 1024, whole kilobytes
// followed by "K" below 1,048,576, else whole megabytes, "." and the tenths
// digit when it is not 0, and "M".
std::string SizeText(uint64_t size);

// How much of a transfer is done, 0 to 100: 0 without a connection or for an
// empty item, else the bytes done divided by a hundredth of the size, capped.
uint32_t PercentDone(const TransferInProgress& transfer);

// One line "%-21.21s %-4.4s %s\r" (name, percentage with "%", size text) per
// transfer while the section has room; "None.\r" without transfers.
std::string TransferSection(std::span<const TransferInProgress> transfers);
// One line "%-21.21s (File)\r" or "(Folder)\r" per waiting download while the
// section has room; "None.\r" without any.
std::string WaitingSection(std::span<const WaitingDownload> waiting);

// The whole text: the client's display name, account name, login and address,
// then the five sections of `transfers`.
std::string ClientInfoText(const ClientSession& client, const ClientTransfers& transfers);

}  // namespace vantrel
