#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::ctl {

// One line the server sent, split by its tag (see app/control_protocol.h).
struct ServerLine {
  char tag = 0;
  char question = 0;  // with the question tag: its kind
  std::string text;   // the line's text, or the question's prompt
};

// Splits a line as the server sent it, without its line end.
ServerLine ParseServerLine(std::string_view line);

// vantrel-ctl's end of the control socket: sends lines and takes the server's
// lines as they arrive. Owns the descriptor.
class ControlConnection {
 public:
  // Takes `fd`, a connected socket.
  explicit ControlConnection(int fd) : fd_(fd) {}
  ~ControlConnection();

  ControlConnection(const ControlConnection&) = delete;
  ControlConnection& operator=(const ControlConnection&) = delete;

  int Descriptor() const { return fd_; }
  // Sends `line` and a line end; false when the server is gone.
  bool SendLine(std::string_view line);
  // Waits for the next line; nothing once the server closed the connection.
  std::optional<ServerLine> NextLine();
  // Reads what has arrived (call when the descriptor is readable) and returns
  // the complete lines; `closed` tells whether the server closed the connection.
  std::vector<ServerLine> ReadArrived(bool& closed);

 private:
  // Appends what one read brings to the buffer; false once the server closed
  // the connection.
  bool Receive();

  int fd_;
  std::string buffer_;
};

}  // namespace vantrel::ctl
