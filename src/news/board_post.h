#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <span>
#include <string>
#include <string_view>

namespace vantrel {

// The line that closes every post: a carriage return, 58 underscores and a
// carriage return (60 bytes).
inline constexpr size_t kPostTrailerUnderscores = 58;

// One message board post as it is put in front of the board and sent to the
// readers: the header "From NAME (MonDD HH:MM):" followed by two carriage
// returns, the body as it was sent (no line-end conversion, no trimming), and
// the trailer. `when` is the local time of posting; its month gives the
// three-letter name ("Jan" to "Dec", "???" for any other value), then the day,
// hour and minute follow as two digits each. Pure.
std::string ComposeBoardPost(std::string_view display_name, const std::tm& when,
                             std::span<const uint8_t> body);

}  // namespace vantrel
