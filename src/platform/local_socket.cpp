#include "platform/local_socket.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include <asio.hpp>

#include "platform/exception.h"

namespace vantrel {
namespace {

using LocalSocket = asio::local::stream_protocol::socket;

// A socket address for `path`. One too long for sun_path is reached through
// its folder, held open as `folder` (closed by the caller, -1 when not needed).
struct SocketPath {
  std::string path;
  int folder = -1;

  explicit SocketPath(const std::filesystem::path& wanted) : path(wanted.string()) {
    if (path.size() < sizeof(sockaddr_un{}.sun_path)) return;
    const std::filesystem::path parent =
        wanted.has_parent_path() ? wanted.parent_path() : std::filesystem::path(".");
    folder = ::open(parent.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
      path = "/proc/self/fd/" + std::to_string(folder) + "/" + wanted.filename().string();
    }
  }
  ~SocketPath() {
    if (folder >= 0) ::close(folder);
  }
  SocketPath(const SocketPath&) = delete;
  SocketPath& operator=(const SocketPath&) = delete;
};

[[noreturn]] void RaiseSocketFailure(const std::filesystem::path& path, std::string_view what,
                                     int error) {
  throw Omberly::CException(kErrorClassFile, kErrorCodeInUse,
                            "Cannot open the control socket " + path.string() + ": " +
                                std::string(what) + " (" + std::strerror(error) + ")",
                            error);
}

}  // namespace

class LocalConnection::State : public std::enable_shared_from_this<State> {
 public:
  explicit State(LocalSocket socket) : socket_(std::move(socket)), input_(kLocalLineLimit) {
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (::getsockopt(socket_.native_handle(), SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0) {
      peer_uid_ = credentials.uid;
    }
  }

  void Start(Events events) {
    events_ = std::move(events);
    asio::error_code ignored;
    socket_.non_blocking(true, ignored);
    Read();
  }

  bool IsOpen() const { return open_; }

  unsigned PeerUid() const { return peer_uid_; }

  void Send(std::string_view bytes) {
    if (!open_ || closing_) return;
    if (pending_.size() + bytes.size() > kLocalSendLimit) return Close(CloseReason::kNotReading);
    pending_.append(bytes);
    if (!waiting_writable_) Write(/*wait=*/true);
  }

  void CloseAfterSending() {
    if (!open_) return;
    closing_ = true;
    if (pending_.empty()) Close(CloseReason::kClosed);
  }

  void FlushAndClose() {
    if (!open_) return;
    Write(/*wait=*/false);
    Close(CloseReason::kClosed);
  }

  // The handle is gone: close without an event.
  void Abandon() {
    events_ = {};
    Close(CloseReason::kClosed);
  }

 private:
  void Read() {
    asio::async_read_until(
        socket_, input_, '\n',
        [self = shared_from_this()](const asio::error_code& error, size_t length) {
          self->OnRead(error, length);
        });
  }

  void OnRead(const asio::error_code& error, size_t length) {
    if (!open_ || closing_) return;
    if (error == asio::error::not_found) return Close(CloseReason::kLineTooLong);
    if (error) return Close(CloseReason::kPeerClosed);
    std::string line(asio::buffers_begin(input_.data()),
                     asio::buffers_begin(input_.data()) + static_cast<std::ptrdiff_t>(length - 1));
    input_.consume(length);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (events_.line) events_.line(line);
    if (open_ && !closing_) Read();
  }

  // Sends what the socket takes now; with `wait`, waits for it to drain the rest.
  void Write(bool wait) {
    while (!pending_.empty()) {
      const ssize_t n = ::send(socket_.native_handle(), pending_.data(), pending_.size(),
                               MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        if (!wait) return;
        waiting_writable_ = true;
        socket_.async_wait(LocalSocket::wait_write,
                           [self = shared_from_this()](const asio::error_code& error) {
                             self->waiting_writable_ = false;
                             if (!self->open_) return;
                             if (error) return self->Close(CloseReason::kPeerClosed);
                             self->Write(/*wait=*/true);
                           });
        return;
      }
      if (n < 0) {
        if (wait) Close(CloseReason::kPeerClosed);
        return;
      }
      pending_.erase(0, static_cast<size_t>(n));
    }
    if (closing_ && wait) Close(CloseReason::kClosed);
  }

  void Close(CloseReason reason) {
    if (!open_) return;
    open_ = false;
    pending_.clear();
    asio::error_code ignored;
    socket_.shutdown(LocalSocket::shutdown_both, ignored);
    socket_.close(ignored);
    if (!events_.closed) return;
    // On a turn of its own, where the owner may free the connection; the event
    // is moved out first, so that freeing the handle does not free it mid-call.
    asio::post(socket_.get_executor(), [self = shared_from_this(), reason] {
      auto closed = std::move(self->events_.closed);
      self->events_ = {};
      if (closed) closed(reason);
    });
  }

  LocalSocket socket_;
  asio::streambuf input_;
  std::string pending_;  // queued, not yet taken by the socket
  Events events_;
  bool open_ = true;
  bool closing_ = false;
  bool waiting_writable_ = false;
  unsigned peer_uid_ = static_cast<unsigned>(-1);  // unknown: nobody's
};

LocalConnection::LocalConnection(std::shared_ptr<State> state) : state_(std::move(state)) {}
LocalConnection::~LocalConnection() {
  state_->Abandon();
}
void LocalConnection::Start(Events events) {
  state_->Start(std::move(events));
}
bool LocalConnection::IsOpen() const {
  return state_->IsOpen();
}
bool LocalConnection::PeerIsOwnerOrRoot() const {
  const unsigned uid = state_->PeerUid();
  return uid == 0 || uid == ::geteuid();
}
unsigned LocalConnection::PeerUid() const {
  return state_->PeerUid();
}
void LocalConnection::Send(std::string_view bytes) {
  state_->Send(bytes);
}
void LocalConnection::CloseAfterSending() {
  state_->CloseAfterSending();
}
void LocalConnection::FlushAndClose() {
  state_->FlushAndClose();
}

class LocalListener::Acceptor : public std::enable_shared_from_this<Acceptor> {
 public:
  explicit Acceptor(asio::io_context& io) : acceptor_(io) {}

  void Open(const std::filesystem::path& path, Accept accept) {
    RemoveStaleSocket(path);
    const SocketPath address(path);
    asio::error_code error;
    acceptor_.open(asio::local::stream_protocol(), error);
    if (!error) {
      // Created for the owner only: no moment when another user could connect.
      const mode_t old_mask = ::umask(0177);
      acceptor_.bind(asio::local::stream_protocol::endpoint(address.path), error);
      ::umask(old_mask);
    }
    if (!error) path_ = path;
    if (!error) acceptor_.listen(asio::socket_base::max_listen_connections, error);
    if (error) {
      Stop();
      RaiseSocketFailure(path, "cannot listen", error.value());
    }
    ::stat(path.c_str(), &created_);
    accept_ = std::move(accept);
    AcceptNext();
  }

  void Stop() {
    accept_ = nullptr;
    asio::error_code ignored;
    acceptor_.close(ignored);
    // Remove the socket file only while it is still the one this listener made.
    struct stat now {};
    if (!path_.empty() && ::stat(path_.c_str(), &now) == 0 && now.st_ino == created_.st_ino &&
        now.st_dev == created_.st_dev) {
      ::unlink(path_.c_str());
    }
    path_.clear();
  }

 private:
  // A socket file nobody answers on is what a process that ended left behind.
  static void RemoveStaleSocket(const std::filesystem::path& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) return;
    if (!S_ISSOCK(status.st_mode)) RaiseSocketFailure(path, "not a socket", EEXIST);
    const int probe = ConnectLocalSocket(path);
    if (probe >= 0) {
      ::close(probe);
      RaiseSocketFailure(path, "another server answers there", EADDRINUSE);
    }
    if (errno == ECONNREFUSED) ::unlink(path.c_str());
  }

  void AcceptNext() {
    acceptor_.async_accept(
        [self = shared_from_this()](const asio::error_code& error, LocalSocket socket) {
          if (!self->accept_) return;
          if (!error) {
            self->accept_(std::make_unique<LocalConnection>(
                std::make_shared<LocalConnection::State>(std::move(socket))));
          }
          // A failed accept (out of descriptors) is retried with the next connection.
          if (self->accept_) self->AcceptNext();
        });
  }

  asio::local::stream_protocol::acceptor acceptor_;
  Accept accept_;
  std::filesystem::path path_;  // the socket file this listener created
  struct stat created_ {};
};

LocalListener::LocalListener(asio::io_context& io) : acceptor_(std::make_shared<Acceptor>(io)) {}
LocalListener::~LocalListener() {
  acceptor_->Stop();
}
void LocalListener::Open(const std::filesystem::path& path, Accept accept) {
  acceptor_->Open(path, std::move(accept));
}

int ConnectLocalSocket(const std::filesystem::path& path) {
  const SocketPath address(path);
  sockaddr_un name{};
  name.sun_family = AF_UNIX;
  if (address.path.size() >= sizeof name.sun_path) {
    errno = ENAMETOOLONG;
    return -1;
  }
  address.path.copy(name.sun_path, sizeof name.sun_path - 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&name), sizeof name) != 0) {
    const int error = errno;
    ::close(fd);
    errno = error;
    return -1;
  }
  return fd;
}

}  // namespace vantrel
