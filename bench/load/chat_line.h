#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace vantrel::load {

// The text of chat line `number`: a marker with the number in fixed width,
// then filler to a realistic length. Every line differs, so no server mistakes
// the load for a repeated text. Plain ASCII, the same for both protocols.
inline constexpr size_t kChatLineLength = 40;
std::string ChatLineText(uint32_t number);

// The line number in a delivered text, wherever the server put the text (after
// its own prefix of the sender's name, say); nothing when no marker is found.
std::optional<uint32_t> FindChatLineNumber(std::span<const uint8_t> delivered);

}  // namespace vantrel::load
