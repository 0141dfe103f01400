#include "downstream_reader.h"

#include <algorithm>
#include <string_view>

namespace vantrel::tunnel_client {
namespace {

constexpr std::string_view kHeadEnd = "\r\n\r\n";
// "HTTP/1.x 200": the status code's place in the status line.
constexpr size_t kStatusAt = 9;
constexpr std::string_view kStatusOk = "200";

}  // namespace

void DownstreamReader::Refuse(std::string why) {
  state_ = State::kRefused;
  refusal_ = std::move(why);
}

void DownstreamReader::TakeHead(std::span<const uint8_t>& bytes) {
  const size_t before = head_.size();
  const size_t take = std::min(bytes.size(), kMaxHead - before);
  head_.append(reinterpret_cast<const char*>(bytes.data()), take);
  // The end may have begun in the piece before.
  const size_t overlap = kHeadEnd.size() - 1;
  const size_t end = head_.find(kHeadEnd, before > overlap ? before - overlap : 0);
  if (end == std::string::npos) {
    bytes = bytes.subspan(take);
    if (head_.size() == kMaxHead) {
      Refuse("no end of the HTTP head within " + std::to_string(kMaxHead) + " bytes");
    }
    return;
  }
  const size_t head_size = end + kHeadEnd.size();
  bytes = bytes.subspan(head_size - before);
  head_.resize(head_size);
  if (!head_.starts_with("HTTP/1.") || head_.compare(kStatusAt, kStatusOk.size(), kStatusOk) != 0) {
    Refuse("the answer to the GET is not 200 but \"" + head_.substr(0, head_.find('\r')) + "\"");
    return;
  }
  state_ = State::kChunks;
}

std::span<const uint8_t> DownstreamReader::Next(std::span<const uint8_t>& bytes, size_t most) {
  if (state_ == State::kHead) TakeHead(bytes);
  if (state_ != State::kChunks) return {};
  const auto data = chunks_.Next(bytes, most);
  if (chunks_.Ended()) state_ = State::kEnded;
  return data;
}

}  // namespace vantrel::tunnel_client
