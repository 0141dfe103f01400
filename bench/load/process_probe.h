#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vantrel::load {

// What the tool reads about the server's process from /proc. Each call opens,
// reads and closes one file; nothing is kept.

// The process's CPU time, user plus system, in seconds: the run time of its
// threads in nanoseconds from /proc/PID/task/*/schedstat, or, where the kernel
// keeps no such figures, utime + stime of /proc/PID/stat (clock ticks, usually
// 10 ms, too coarse for a short burst). Nothing when the process is gone.
std::optional<double> ProcessCpuSeconds(int pid);

// The process's resident memory in KiB (VmRSS of /proc/PID/status).
std::optional<uint64_t> ProcessRssKib(int pid);
// The most resident memory the process has had, in KiB (VmHWM).
std::optional<uint64_t> ProcessPeakRssKib(int pid);
// The process's open file descriptors: the entries of /proc/PID/fd (readable
// for a process of the same user).
std::optional<size_t> ProcessOpenFiles(int pid);

// The memory the system's TCP sockets hold in their buffers, in KiB (the "mem"
// pages of the TCP line of /proc/net/sockstat): data a process has written and
// its peer has not yet read is counted here, not in the process's resident memory.
std::optional<uint64_t> SystemTcpBufferKib();

// The parsers behind them, over the files' text.
// utime + stime in clock ticks: fields 14 and 15, counted after the command name
// in parentheses (which may itself hold blanks and parentheses).
std::optional<uint64_t> ParseStatCpuTicks(std::string_view stat);
// The first field of a schedstat file: nanoseconds spent running.
std::optional<uint64_t> ParseSchedstatNanoseconds(std::string_view schedstat);
// The number of the line that starts with `key` ("VmRSS:", "VmHWM:"), in kB.
std::optional<uint64_t> ParseStatusKib(std::string_view status, std::string_view key);
// The pages after "mem" on the line that starts with "TCP:".
std::optional<uint64_t> ParseSockstatTcpPages(std::string_view sockstat);

}  // namespace vantrel::load
