#include "process_probe.h"

#include <unistd.h>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace vantrel::load {
namespace {

// Fields of /proc/PID/stat after the command name: the state is field 3.
constexpr int kFirstFieldAfterName = 3;
constexpr int kUtimeField = 14;
constexpr int kStimeField = 15;

std::optional<std::string> ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path);
  if (!file) return std::nullopt;
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

std::optional<uint64_t> NumberAt(std::string_view text) {
  uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end == text.data()) return std::nullopt;
  return value;
}

// Skips blanks and tabs from `at` on.
size_t SkipBlanks(std::string_view text, size_t at) {
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  return at;
}

std::optional<std::string> ReadProcFile(int pid, const char* name) {
  return ReadFile("/proc/" + std::to_string(pid) + "/" + name);
}

// The summed run time of every thread of the process, in nanoseconds.
std::optional<uint64_t> ThreadRunNanoseconds(int pid) {
  std::error_code error;
  std::filesystem::directory_iterator tasks("/proc/" + std::to_string(pid) + "/task", error);
  if (error) return std::nullopt;
  uint64_t total = 0;
  bool any = false;
  for (const auto& task : tasks) {
    const auto text = ReadFile(task.path() / "schedstat");
    const auto nanoseconds = text ? ParseSchedstatNanoseconds(*text) : std::nullopt;
    if (!nanoseconds) continue;  // a thread that ended meanwhile
    total += *nanoseconds;
    any = true;
  }
  if (!any || total == 0) return std::nullopt;  // no schedstat figures kept
  return total;
}

}  // namespace

std::optional<uint64_t> ParseSchedstatNanoseconds(std::string_view schedstat) {
  return NumberAt(schedstat);
}

std::optional<uint64_t> ParseStatCpuTicks(std::string_view stat) {
  const size_t name_end = stat.rfind(')');
  if (name_end == std::string_view::npos) return std::nullopt;
  size_t at = name_end + 1;
  uint64_t ticks = 0;
  for (int field = kFirstFieldAfterName; field <= kStimeField; ++field) {
    at = SkipBlanks(stat, at);
    const size_t end = stat.find(' ', at);
    const std::string_view token = stat.substr(at, end == std::string_view::npos ? end : end - at);
    if (token.empty()) return std::nullopt;
    if (field >= kUtimeField) {
      const auto value = NumberAt(token);
      if (!value) return std::nullopt;
      ticks += *value;
    }
    if (end == std::string_view::npos && field < kStimeField) return std::nullopt;
    at = end;
  }
  return ticks;
}

std::optional<uint64_t> ParseStatusKib(std::string_view status, std::string_view key) {
  size_t at = status.find(key);
  if (at == std::string_view::npos || (at > 0 && status[at - 1] != '\n')) return std::nullopt;
  at = SkipBlanks(status, at + key.size());
  return NumberAt(status.substr(at));
}

std::optional<uint64_t> ParseSockstatTcpPages(std::string_view sockstat) {
  constexpr std::string_view kLine = "TCP:";
  constexpr std::string_view kMem = " mem ";
  size_t at = sockstat.find(kLine);
  while (at != std::string_view::npos && at > 0 && sockstat[at - 1] != '\n') {
    at = sockstat.find(kLine, at + 1);
  }
  if (at == std::string_view::npos) return std::nullopt;
  const std::string_view line = sockstat.substr(at, sockstat.find('\n', at) - at);
  const size_t mem = line.find(kMem);
  if (mem == std::string_view::npos) return std::nullopt;
  return NumberAt(line.substr(mem + kMem.size()));
}

std::optional<double> ProcessCpuSeconds(int pid) {
  if (const auto nanoseconds = ThreadRunNanoseconds(pid)) {
    return static_cast<double>(*nanoseconds) / 1e9;
  }
  const auto text = ReadProcFile(pid, "stat");
  if (!text) return std::nullopt;
  const auto ticks = ParseStatCpuTicks(*text);
  const long per_second = sysconf(_SC_CLK_TCK);
  if (!ticks || per_second <= 0) return std::nullopt;
  return static_cast<double>(*ticks) / static_cast<double>(per_second);
}

std::optional<uint64_t> ProcessRssKib(int pid) {
  const auto text = ReadProcFile(pid, "status");
  if (!text) return std::nullopt;
  return ParseStatusKib(*text, "VmRSS:");
}

std::optional<uint64_t> ProcessPeakRssKib(int pid) {
  const auto text = ReadProcFile(pid, "status");
  if (!text) return std::nullopt;
  return ParseStatusKib(*text, "VmHWM:");
}

std::optional<uint64_t> SystemTcpBufferKib() {
  const auto text = ReadFile("/proc/net/sockstat");
  const auto pages = text ? ParseSockstatTcpPages(*text) : std::nullopt;
  const long page_size = sysconf(_SC_PAGESIZE);
  if (!pages || page_size <= 0) return std::nullopt;
  return *pages * static_cast<uint64_t>(page_size) / 1024;
}

std::optional<size_t> ProcessOpenFiles(int pid) {
  std::error_code error;
  std::filesystem::directory_iterator entries("/proc/" + std::to_string(pid) + "/fd", error);
  if (error) return std::nullopt;
  size_t count = 0;
  for (auto entry = std::filesystem::begin(entries); entry != std::filesystem::end(entries);
       entry.increment(error)) {
    ++count;
  }
  if (error) return std::nullopt;  // the process ended while its files were counted
  return count;
}

}  // namespace vantrel::load
