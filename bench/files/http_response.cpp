#include "http_response.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <utility>

namespace vantrel::listing {
namespace {

// Most hexadecimal digits of a chunk size: 15 keep it below 2^60.
constexpr size_t kMaxChunkSizeDigits = 15;

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return (x | 0x20) == (y | 0x20);
         });
}

// Whether the comma-separated list `value` holds `token`; `last` asks whether
// it is the last one.
bool ListHolds(std::string_view value, std::string_view token, bool last) {
  bool found = false;
  while (true) {
    const auto comma = value.find(',');
    found = EqualsIgnoringCase(Trim(value.substr(0, comma)), token);
    if (found && !last) return true;
    if (comma == std::string_view::npos) return found;
    value.remove_prefix(comma + 1);
  }
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f');
}

}  // namespace

HttpResponseReader::State HttpResponseReader::state() const {
  if (phase_ == Phase::kDone) return State::kComplete;
  if (phase_ == Phase::kInvalid) return State::kInvalid;
  return State::kNeedMore;
}

void HttpResponseReader::Invalid(std::string reason) {
  phase_ = Phase::kInvalid;
  invalid_reason_ = std::move(reason);
}

bool HttpResponseReader::TakeLine(std::span<const uint8_t> bytes, size_t& at) {
  const auto* start = bytes.data() + at;
  const auto* feed = static_cast<const uint8_t*>(std::memchr(start, '\n', bytes.size() - at));
  const size_t take = feed != nullptr ? static_cast<size_t>(feed - start) : bytes.size() - at;
  if (line_.size() + take > kMaxHttpLine) {
    Invalid("a line longer than " + std::to_string(kMaxHttpLine) + " bytes");
    return false;
  }
  line_.append(reinterpret_cast<const char*>(start), take);
  at += take;
  if (feed == nullptr) return false;
  ++at;  // the line feed
  if (!line_.empty() && line_.back() == '\r') line_.pop_back();
  return true;
}

size_t HttpResponseReader::Feed(std::span<const uint8_t> bytes) {
  size_t at = 0;
  while (at < bytes.size() && phase_ != Phase::kDone && phase_ != Phase::kInvalid) {
    if (phase_ == Phase::kBody || phase_ == Phase::kChunkData) {
      const auto take = static_cast<size_t>(std::min<uint64_t>(remaining_, bytes.size() - at));
      at += take;
      remaining_ -= take;
      body_size_ += take;
      if (remaining_ == 0) phase_ = phase_ == Phase::kBody ? Phase::kDone : Phase::kChunkEnd;
      continue;
    }
    const size_t line_start = at;
    const bool whole = TakeLine(bytes, at);
    if (phase_ == Phase::kStatusLine || phase_ == Phase::kHeader || phase_ == Phase::kTrailer) {
      header_bytes_ += at - line_start;
      if (header_bytes_ > kMaxHttpHeader) {
        Invalid("a header or trailer past " + std::to_string(kMaxHttpHeader) + " bytes");
      }
    }
    if (!whole || phase_ == Phase::kInvalid) continue;
    const std::string line = std::exchange(line_, {});
    switch (phase_) {
      case Phase::kStatusLine:
        OnStatusLine(line);
        break;
      case Phase::kHeader:
        if (line.empty()) {
          StartBody();
        } else {
          OnHeaderLine(line);
        }
        break;
      case Phase::kChunkSize:
        OnChunkSizeLine(line);
        break;
      case Phase::kChunkEnd:
        if (line.empty()) {
          phase_ = Phase::kChunkSize;
        } else {
          Invalid("a chunk longer than its size");
        }
        break;
      case Phase::kTrailer:
        if (line.empty()) phase_ = Phase::kDone;
        break;
      default:
        break;
    }
  }
  return at;
}

void HttpResponseReader::OnStatusLine(std::string_view line) {
  // "HTTP/1.1 200 OK": the version, a space, three digits, and a space or nothing.
  constexpr std::string_view kPrefix = "HTTP/1.";
  if (line.size() < 12 || line.substr(0, kPrefix.size()) != kPrefix || line[8] != ' ' ||
      (line.size() > 12 && line[12] != ' ')) {
    Invalid("not an HTTP/1.x status line: " + std::string(line.substr(0, 40)));
    return;
  }
  const auto code = line.substr(9, 3);
  const auto [end, error] = std::from_chars(code.data(), code.data() + code.size(), status_);
  if (error != std::errc() || end != code.data() + code.size() || status_ < 100) {
    Invalid("a status line without a status code");
    return;
  }
  http_1_0_ = line[7] == '0';
  keep_alive_ = !http_1_0_;
  phase_ = Phase::kHeader;
}

void HttpResponseReader::OnHeaderLine(std::string_view line) {
  const auto colon = line.find(':');
  if (colon == std::string_view::npos || colon == 0) {
    Invalid("a header line without a name: " + std::string(line.substr(0, 40)));
    return;
  }
  const std::string_view name = line.substr(0, colon);
  const std::string_view value = Trim(line.substr(colon + 1));
  if (EqualsIgnoringCase(name, "Content-Length")) {
    uint64_t length = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), length);
    if (error != std::errc() || end != value.data() + value.size() ||
        (has_length_ && length != content_length_)) {
      Invalid("a wrong Content-Length: " + std::string(value));
      return;
    }
    has_length_ = true;
    content_length_ = length;
  } else if (EqualsIgnoringCase(name, "Transfer-Encoding")) {
    if (!ListHolds(value, "chunked", true)) {
      Invalid("a transfer coding other than chunked: " + std::string(value));
      return;
    }
    chunked_ = true;
  } else if (EqualsIgnoringCase(name, "Connection")) {
    if (ListHolds(value, "close", false)) keep_alive_ = false;
    if (http_1_0_ && ListHolds(value, "keep-alive", false)) keep_alive_ = true;
  }
}

void HttpResponseReader::StartBody() {
  header_bytes_ = 0;
  if (status_ == 204 || status_ == 304) {
    phase_ = Phase::kDone;
  } else if (chunked_) {
    phase_ = Phase::kChunkSize;  // a Content-Length beside it does not count
  } else if (has_length_) {
    remaining_ = content_length_;
    phase_ = remaining_ == 0 ? Phase::kDone : Phase::kBody;
  } else {
    Invalid("a body framed by neither Content-Length nor chunked encoding");
  }
}

void HttpResponseReader::OnChunkSizeLine(std::string_view line) {
  // Hexadecimal digits, then optionally blanks and extensions after ';'.
  size_t digits = 0;
  while (digits < line.size() && IsHexDigit(line[digits])) ++digits;
  const std::string_view rest = Trim(line.substr(digits));
  if (digits == 0 || digits > kMaxChunkSizeDigits || (!rest.empty() && rest.front() != ';')) {
    Invalid("a wrong chunk size line: " + std::string(line.substr(0, 40)));
    return;
  }
  uint64_t size = 0;
  std::from_chars(line.data(), line.data() + digits, size, 16);
  if (size == 0) {
    phase_ = Phase::kTrailer;
  } else {
    remaining_ = size;
    phase_ = Phase::kChunkData;
  }
}

}  // namespace vantrel::listing
