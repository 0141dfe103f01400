#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vantrel {

// How a chat line looks: the speaker's name in front of every line of the text.
// Pure formatting over Mac Roman bytes; the chat handler sends the result.

// The longest chat text taken from a request (field 101); the rest is ignored.
inline constexpr size_t kChatTextLimit = 8192;
// The longest formatted chat line; a longer one is cut.
inline constexpr size_t kChatLineLimit = 8192;
// The longest prefix; a longer one is cut (display names hold at most 31 bytes,
// so only a name longer than any the server gives reaches it).
inline constexpr size_t kChatPrefixLimit = 63;
// The column a normal line right-aligns the speaker's name in, and cuts it to.
inline constexpr size_t kChatNameColumn = 13;

// The prefix of a line by `display_name`: "\r%#13.13s:  " (carriage return, the
// name cut to 13 bytes and padded on the left with blanks to 13, a colon, two
// blanks), or for an action line "\r *** %#s " (the name whole).
std::string ChatPrefix(std::string_view display_name, bool action);

// `prefix` followed by `text`, with every carriage return of the text replaced
// by the whole prefix so that each line names its speaker; cut to
// kChatLineLimit bytes. Carriage returns inside the prefix itself (a display
// name taken unchanged from an account) are left as they are.
std::string FormatChatLine(std::string_view prefix, std::string_view text);

}  // namespace vantrel
