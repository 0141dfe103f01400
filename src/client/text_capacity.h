#pragma once

#include <cstddef>

namespace vantrel::client {

// How much of a text field the client reads (ReadText's capacity: one more
// than the longest text it keeps). Names: nicknames, titles, the server's name.
inline constexpr size_t kNameCapacity = 256;
// Chat lines, messages, the message board, articles, the agreement, error texts.
inline constexpr size_t kTextCapacity = 65536;

}  // namespace vantrel::client
