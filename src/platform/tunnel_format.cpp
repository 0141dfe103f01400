#include "platform/tunnel_format.h"

#include <algorithm>
#include <string_view>

#include "platform/byte_order.h"

namespace vantrel::tunnel {
namespace {

constexpr std::string_view kGetHead =
    "HTTP/1.0 200 OK\r\n"
    "Proxy-Connection: Keep-Alive\r\n"
    "Content-Length: 999999999\r\n"
    "Content-Type: vantrel/protocol\r\n"
    "\r\n";
constexpr std::string_view kEndingHead =
    "HTTP/1.0 302 Found\r\n"
    "Connection: close\r\n"
    "Content-Length: 8\r\n"
    "Content-Type: vantrel/protocol\r\n"
    "\r\n";
constexpr std::string_view kVersion = "HTTP/1.0";
constexpr size_t kIdTextSize = 36;
// How far past one line's end the next CR LF may lie.
constexpr size_t kLineSearch = 256;

std::string_view Text(std::span<const uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The GUID text "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX" as its 16 bytes.
bool ParseId(std::string_view text, TunnelId& id) {
  size_t byte = 0;
  for (size_t i = 0; i < text.size();) {
    if (i == 8 || i == 13 || i == 18 || i == 23) {
      if (text[i++] != '-') return false;
      continue;
    }
    const int high = HexValue(text[i]);
    const int low = HexValue(text[i + 1]);
    if (high < 0 || low < 0) return false;
    id[byte++] = static_cast<uint8_t>(high << 4 | low);
    i += 2;
  }
  return byte == id.size();
}

// The size of the head, or 0 while its end is not in `text`; npos when a line
// runs past the search window.
size_t HeadSize(std::string_view text) {
  size_t position = 0;
  while (true) {
    const size_t end = text.substr(position, kLineSearch + 2).find("\r\n");
    if (end == std::string_view::npos) {
      return text.size() - position >= kLineSearch + 2 ? std::string_view::npos : 0;
    }
    const size_t line_end = position + end + 2;
    if (text.substr(line_end, 2) == "\r\n") return line_end + 2;
    if (text.size() < line_end + 2) return 0;
    position = line_end;
  }
}

void AppendText(std::vector<uint8_t>& out, std::string_view text) {
  out.insert(out.end(), text.begin(), text.end());
}

}  // namespace

RequestParse ParseRequest(std::span<const uint8_t> received, Request& request) {
  if (received.size() < kRequestMinimum) return RequestParse::kIncomplete;
  const std::string_view text = Text(received.first(std::min(received.size(), kRequestLimit)));
  if (text.starts_with("GET")) {
    request.kind = RequestKind::kGet;
  } else if (text.starts_with("POST")) {
    request.kind = RequestKind::kPost;
  } else {
    return RequestParse::kRefused;
  }
  const size_t head = HeadSize(text);
  if (head == std::string_view::npos) return RequestParse::kRefused;
  if (head == 0) {
    return text.size() < kRequestLimit ? RequestParse::kIncomplete : RequestParse::kRefused;
  }
  const size_t version = text.substr(0, head).find(kVersion);
  if (version == std::string_view::npos || version < kIdTextSize + 1) {
    return RequestParse::kRefused;
  }
  if (!ParseId(text.substr(version - kIdTextSize - 1, kIdTextSize), request.id)) {
    return RequestParse::kRefused;
  }
  request.head_size = head;
  return RequestParse::kParsed;
}

std::vector<uint8_t> GetAnswer() {
  std::vector<uint8_t> answer;
  answer.reserve(kGetAnswerSize);
  AppendText(answer, kGetHead);
  // The first chunk fills the unit the head began; the head has no chunk head of its own.
  const size_t first = kPaddingUnit - kGetHead.size();
  AppendChunkHead(answer, kPaddingChunk, static_cast<uint32_t>(first - kChunkHeadSize));
  answer.resize(kPaddingUnit);
  AppendPadding(answer, 0);
  AppendPadding(answer, 0);
  return answer;
}

std::vector<uint8_t> EndingAnswer() {
  std::vector<uint8_t> answer(kEndingHead.begin(), kEndingHead.end());
  answer.resize(answer.size() + kChunkHeadSize);
  return answer;
}

void AppendChunkHead(std::vector<uint8_t>& out, uint32_t type, uint32_t length) {
  Append32(out, type);
  Append32(out, length);
}

void AppendPadding(std::vector<uint8_t>& out, size_t used) {
  // Data came with its own chunk head, which counts in the unit too.
  const size_t taken = used == 0 ? 0 : used + kChunkHeadSize;
  if (taken >= kPaddingUnit || kPaddingUnit - taken < kChunkHeadSize + 1) return;
  const size_t size = kPaddingUnit - taken;
  AppendChunkHead(out, kPaddingChunk, static_cast<uint32_t>(size - kChunkHeadSize));
  out.resize(out.size() + size - kChunkHeadSize);
}

std::span<const uint8_t> ChunkReader::Next(std::span<const uint8_t>& bytes, size_t most) {
  while (!ended_ && !bytes.empty()) {
    if (remaining_ == 0) {  // a chunk head, or the rest of one
      const size_t n = std::min(kChunkHeadSize - head_read_, bytes.size());
      std::copy_n(bytes.begin(), n, head_.begin() + static_cast<std::ptrdiff_t>(head_read_));
      head_read_ += n;
      bytes = bytes.subspan(n);
      if (head_read_ < kChunkHeadSize) break;
      head_read_ = 0;
      type_ = Get32(head_.data());
      remaining_ = Get32(head_.data() + 4);
      if (type_ != kDataChunk && type_ != kPaddingChunk) ended_ = true;
      continue;
    }
    const size_t n = std::min<size_t>(remaining_, bytes.size());
    if (type_ == kDataChunk) {
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

}  // namespace vantrel::tunnel
