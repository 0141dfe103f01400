#include "downstream_reader.h"

#include <algorithm>
#include <string_view>

#include "platform/byte_order.h"

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
  while (state_ == State::kChunks && !bytes.empty()) {
    if (remaining_ == 0) {  // a chunk head, or the rest of one
      const size_t n = std::min(chunk_head_.size() - chunk_head_read_, bytes.size());
      std::copy_n(bytes.begin(), n,
                  chunk_head_.begin() + static_cast<std::ptrdiff_t>(chunk_head_read_));
      chunk_head_read_ += n;
      bytes = bytes.subspan(n);
      if (chunk_head_read_ < chunk_head_.size()) break;
      chunk_head_read_ = 0;
      type_ = Get32(chunk_head_.data());
      remaining_ = Get32(chunk_head_.data() + 4);
      if (type_ != tunnel::kDataChunk && type_ != tunnel::kPaddingChunk) state_ = State::kEnded;
      continue;
    }
    const size_t n = std::min<size_t>(remaining_, bytes.size());
    if (type_ == tunnel::kDataChunk) {
      const auto data = bytes.first(std::min(n, most));
      bytes = bytes.subspan(data.size());
      remaining_ -= static_cast<uint32_t>(data.size());
      return data;
    }
    bytes = bytes.subspan(n);  // padding
    remaining_ -= static_cast<uint32_t>(n);
  }
  return {};
}

}  // namespace vantrel::tunnel_client
