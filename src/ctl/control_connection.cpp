#include "ctl/control_connection.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "app/control_protocol.h"

namespace vantrel::ctl {
namespace {

// Bytes read from the socket at a time.
constexpr size_t kReadChunk = 64 * 1024;

}  // namespace

ServerLine ParseServerLine(std::string_view line) {
  ServerLine parsed;
  if (line.empty()) return parsed;
  parsed.tag = line[0];
  line.remove_prefix(1);
  if (parsed.tag == control::kQuestionTag && !line.empty()) {
    parsed.question = line[0];
    line.remove_prefix(line.size() > 1 && line[1] == ' ' ? 2 : 1);
  }
  parsed.text = line;
  return parsed;
}

ControlConnection::~ControlConnection() {
  ::close(fd_);
}

bool ControlConnection::SendLine(std::string_view line) {
  std::string bytes(line);
  bytes += '\n';
  for (size_t sent = 0; sent < bytes.size();) {
    const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

std::optional<ServerLine> ControlConnection::NextLine() {
  for (;;) {
    const size_t end = buffer_.find('\n');
    if (end != std::string::npos) {
      ServerLine line = ParseServerLine(std::string_view(buffer_).substr(0, end));
      buffer_.erase(0, end + 1);
      return line;
    }
    if (!Receive()) return std::nullopt;
  }
}

std::vector<ServerLine> ControlConnection::ReadArrived(bool& closed) {
  closed = !Receive();
  std::vector<ServerLine> lines;
  size_t start = 0;
  for (size_t end; (end = buffer_.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(ParseServerLine(std::string_view(buffer_).substr(start, end - start)));
  }
  buffer_.erase(0, start);
  return lines;
}

bool ControlConnection::Receive() {
  char chunk[kReadChunk];
  ssize_t n;
  do {
    n = ::recv(fd_, chunk, sizeof chunk, 0);
  } while (n < 0 && errno == EINTR);
  if (n <= 0) return false;
  buffer_.append(chunk, static_cast<size_t>(n));
  return true;
}

}  // namespace vantrel::ctl
