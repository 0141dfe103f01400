#pragma once

#include <filesystem>
#include <memory>
#include <vector>

#include "platform/local_socket.h"

namespace asio {
class io_context;
}

namespace vantrel {

class CMyApplication;
class OperatorDesk;

// The control socket: a Unix-domain socket, created with mode 0600, through
// which the operator's programs (vantrel-ctl) reach the console of a server that
// has no terminal. Each connection is a seat at the desk speaking the line
// protocol of control_protocol.h; a peer that runs as neither the server's user
// nor root is refused with a log line. Served on the event loop, never by
// another thread. Core thread only.
class ControlServer {
 public:
  // REQUIRES: `io`, `server` and `desk` outlive the control server.
  ControlServer(asio::io_context& io, CMyApplication& server, OperatorDesk& desk);
  ~ControlServer();  // closes every connection and removes the socket file

  ControlServer(const ControlServer&) = delete;
  ControlServer& operator=(const ControlServer&) = delete;

  // Listens at `path`. Raises Omberly::CException as LocalListener::Open does.
  void Open(const std::filesystem::path& path);

  // The server is quitting: tells every connection so, sends what the sockets
  // take of their queues without waiting, and closes them.
  void SayGoodbye();

 private:
  class Seat;

  void Accept(std::unique_ptr<LocalConnection> connection);
  void Refuse(std::unique_ptr<LocalConnection> connection);
  // At a safe point, once its connection reported it closed.
  void Remove(const Seat* seat);

  CMyApplication& server_;
  OperatorDesk& desk_;
  LocalListener listener_;
  std::vector<std::unique_ptr<Seat>> seats_;
  // Refused connections, until their refusal has been sent.
  std::vector<std::unique_ptr<LocalConnection>> refused_;
};

}  // namespace vantrel
