#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <system_error>

#include "load_client.h"

namespace vantrel::load {

// Reading a client's socket with the time its bytes arrived, so that a
// delivery's latency does not include the time this tool took to get round to
// that socket among thousands that became readable together. Linux only.

// Asks the kernel to stamp the socket's received data with its arrival time
// (software receive timestamps). Returns false when it refuses. The kernel may
// start stamping a little later (it switches stamping on for the whole system
// in the background).
bool EnableArrivalTimes(int fd);

// One non-blocking read of up to `buffer.size()` bytes. Returns the bytes read
// (0 at the end of the stream) and sets `arrival` to when the last of them
// reached the socket, on LoadClock, or empties it when the kernel gave no
// arrival time. Sets `error` instead when nothing could be read
// (std::errc::resource_unavailable_try_again: nothing there yet).
size_t ReceiveWithArrival(int fd, std::span<uint8_t> buffer,
                          std::optional<LoadClock::time_point>& arrival, std::error_code& error);

}  // namespace vantrel::load
