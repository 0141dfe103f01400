#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string_view>

namespace asio {
class io_context;
}

namespace vantrel {

// Unix-domain stream sockets, served on the event loop: the listening socket the
// operator's programs connect to, and its connections read line by line.

// The longest line a connection takes; a peer that sends more without a line
// end is dropped, so what it can make the server hold is bounded.
inline constexpr size_t kLocalLineLimit = 64 * 1024;
// Bytes queued for a peer before it is dropped for not reading (a follower of a
// busy log that stopped reading, say).
inline constexpr size_t kLocalSendLimit = 4 * 1024 * 1024;

// One accepted connection. Reads continuously, line by line; sends as much as
// the socket takes at once and queues the rest, written as the socket drains.
// The connection's state lives until its last asynchronous operation has
// finished, even after this handle is destroyed. Core thread only.
class LocalConnection {
 public:
  enum class CloseReason {
    kPeerClosed,   // the peer closed it, or the socket failed
    kClosed,       // Close or CloseAfterSending was asked
    kLineTooLong,  // more than kLocalLineLimit bytes without a line end
    kNotReading,   // more than kLocalSendLimit bytes waited to be sent
  };
  struct Events {
    // One received line, without its line end (LF, or CR LF).
    std::function<void(std::string_view line)> line;
    // The connection is closed; called once, from the event loop, never from
    // inside a call made on this handle.
    std::function<void(CloseReason reason)> closed;
  };

  class State;
  explicit LocalConnection(std::shared_ptr<State> state);
  ~LocalConnection();  // closes at once; no event follows

  LocalConnection(const LocalConnection&) = delete;
  LocalConnection& operator=(const LocalConnection&) = delete;

  // Starts reading; events go to `events` from now on.
  void Start(Events events);
  bool IsOpen() const;
  // True when the peer runs as the same user as this process, or as root
  // (SO_PEERCRED).
  bool PeerIsOwnerOrRoot() const;
  // The peer's user ID.
  unsigned PeerUid() const;

  // Queues `bytes` after what is queued. Over kLocalSendLimit waiting, the
  // connection is dropped (kNotReading).
  void Send(std::string_view bytes);
  // Stops reading and closes once everything queued has been sent.
  void CloseAfterSending();
  // Writes what the socket takes of the queue without waiting, then closes.
  // For a process about to end its event loop.
  void FlushAndClose();

 private:
  std::shared_ptr<State> state_;
};

// A listening Unix-domain socket at a path, created with mode 0600. Core
// thread only.
class LocalListener {
 public:
  using Accept = std::function<void(std::unique_ptr<LocalConnection> connection)>;

  // REQUIRES: `io` outlives the listener.
  explicit LocalListener(asio::io_context& io);
  ~LocalListener();  // stops listening and removes the socket file it created

  LocalListener(const LocalListener&) = delete;
  LocalListener& operator=(const LocalListener&) = delete;

  // Creates the socket at `path` (mode 0600) and hands every accepted
  // connection to `accept`. A socket file left by a process that ended is
  // replaced. Raises Omberly::CException (class 4, with the system error) when a
  // process still answers at `path` (EADDRINUSE), when something other than a
  // socket is there (EEXIST), or when it cannot be created.
  void Open(const std::filesystem::path& path, Accept accept);

 private:
  class Acceptor;
  std::shared_ptr<Acceptor> acceptor_;
};

// Connects to the socket at `path`, blocking. Returns the descriptor, or -1 with
// errno set. A path too long for a socket address is reached through its folder.
int ConnectLocalSocket(const std::filesystem::path& path);

}  // namespace vantrel
