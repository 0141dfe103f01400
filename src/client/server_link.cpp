#include "client/server_link.h"

#include <charconv>

namespace vantrel::client {
namespace {

constexpr std::string_view kScheme = "vantrel://";

}  // namespace

std::optional<ServerLink> ParseServerLink(std::string_view text) {
  if (text.starts_with(kScheme)) text.remove_prefix(kScheme.size());
  if (text.ends_with('/')) text.remove_suffix(1);
  ServerLink link;
  if (const size_t at = text.rfind('@'); at != std::string_view::npos) {
    const std::string_view user = text.substr(0, at);
    const size_t colon = user.find(':');
    link.login = user.substr(0, colon);
    if (colon != std::string_view::npos) link.password = std::string(user.substr(colon + 1));
    text.remove_prefix(at + 1);
  }
  if (const size_t colon = text.rfind(':'); colon != std::string_view::npos) {
    const std::string_view digits = text.substr(colon + 1);
    unsigned port = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
    if (error != std::errc() || end != digits.data() + digits.size() || port == 0 || port > 65535) {
      return std::nullopt;
    }
    link.port = static_cast<uint16_t>(port);
    text = text.substr(0, colon);
  }
  if (text.empty()) return std::nullopt;
  link.host = std::string(text);
  return link;
}

}  // namespace vantrel::client
