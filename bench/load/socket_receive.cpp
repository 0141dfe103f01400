#include "socket_receive.h"

#include <linux/errqueue.h>
#include <linux/net_tstamp.h>
#include <sys/socket.h>
#include <time.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace vantrel::load {
namespace {

std::chrono::nanoseconds SinceEpoch(const timespec& time) {
  return std::chrono::seconds(time.tv_sec) + std::chrono::nanoseconds(time.tv_nsec);
}

}  // namespace

bool EnableArrivalTimes(int fd) {
  const int flags = SOF_TIMESTAMPING_RX_SOFTWARE | SOF_TIMESTAMPING_SOFTWARE;
  return ::setsockopt(fd, SOL_SOCKET, SO_TIMESTAMPING, &flags, sizeof flags) == 0;
}

size_t ReceiveWithArrival(int fd, std::span<uint8_t> buffer,
                          std::optional<LoadClock::time_point>& arrival, std::error_code& error) {
  iovec data{buffer.data(), buffer.size()};
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(scm_timestamping))];
  msghdr message{};
  message.msg_iov = &data;
  message.msg_iovlen = 1;
  message.msg_control = control;
  message.msg_controllen = sizeof control;
  const ssize_t n = ::recvmsg(fd, &message, MSG_DONTWAIT);
  // Both clocks read together: the arrival time is given on the calendar clock.
  const auto read_time = LoadClock::now();
  timespec calendar_now{};
  ::clock_gettime(CLOCK_REALTIME, &calendar_now);
  if (n < 0) {
    error = std::error_code(errno, std::generic_category());
    return 0;
  }
  error.clear();
  arrival.reset();
  for (cmsghdr* part = CMSG_FIRSTHDR(&message); part != nullptr;
       part = CMSG_NXTHDR(&message, part)) {
    if (part->cmsg_level != SOL_SOCKET || part->cmsg_type != SCM_TIMESTAMPING) continue;
    scm_timestamping stamps{};
    std::memcpy(&stamps, CMSG_DATA(part), sizeof stamps);
    if (stamps.ts[0].tv_sec == 0 && stamps.ts[0].tv_nsec == 0) break;  // none kept
    const auto age = SinceEpoch(calendar_now) - SinceEpoch(stamps.ts[0]);
    arrival = read_time - std::chrono::duration_cast<LoadClock::duration>(
                              std::max(age, std::chrono::nanoseconds::zero()));
    break;
  }
  return static_cast<size_t>(n);
}

}  // namespace vantrel::load
