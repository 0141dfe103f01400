#include "load_report.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <string>

#include "client_codec.h"

namespace vantrel::load {
namespace {

std::optional<double> PerThousand(const PhaseFigures& phase) {
  if (!phase.server_cpu_seconds || phase.deliveries == 0) return std::nullopt;
  return *phase.server_cpu_seconds * 1000.0 / static_cast<double>(phase.deliveries) * 1000.0;
}

std::optional<double> Share(const std::optional<double>& cpu_seconds, double seconds) {
  if (!cpu_seconds || seconds <= 0) return std::nullopt;
  return *cpu_seconds / seconds;
}

std::string Fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::string Fixed(const std::optional<double>& value, int decimals) {
  return value ? Fixed(*value, decimals) : "-";
}

std::string ToolText(const std::optional<double>& cpu_seconds, const std::optional<double>& share) {
  if (!cpu_seconds) return "";
  std::string text = "; this tool's CPU " + Fixed(*cpu_seconds, 2) + " s";
  if (share) text += " (" + Fixed(*share * 100, 0) + " % of the time)";
  return text;
}

void PrintPhase(const char* name, const PhaseFigures& phase,
                const std::optional<double>& cpu_ms_per_1000, std::ostream& out) {
  out << name << ": " << phase.lines << " lines, " << phase.deliveries << " deliveries in "
      << Fixed(phase.seconds, 3) << " s; latency median "
      << Fixed(phase.latency.median_us / 1000.0, 3) << " ms, p99 "
      << Fixed(phase.latency.p99_us / 1000.0, 3) << " ms; "
      << (cpu_ms_per_1000 ? "server CPU " + Fixed(cpu_ms_per_1000, 3) + " ms per 1000 deliveries"
                          : std::string("CPU not measured (no --pid)"))
      << ToolText(phase.tool_cpu_seconds, Share(phase.tool_cpu_seconds, phase.seconds)) << "\n";
}

}  // namespace

ReportFigures Derive(const RunFigures& run) {
  ReportFigures figures;
  figures.logins_done = run.bounded_phase == "login"
                            ? std::min(run.logged_in, LoginsCoveredBy(run.announcements))
                            : run.clients;
  if (run.login_seconds > 0) {
    figures.logins_per_second = static_cast<double>(figures.logins_done) / run.login_seconds;
    figures.login_tool_share = Share(run.login_tool_cpu_seconds, run.login_seconds);
  }
  if (run.rss_before_kib && run.rss_idle_kib && run.clients > 0) {
    figures.kib_per_idle_client =
        (static_cast<double>(*run.rss_idle_kib) - static_cast<double>(*run.rss_before_kib)) /
        static_cast<double>(run.clients);
  }
  if (run.burst.deliveries > 0 && run.burst.seconds > 0) {
    figures.burst_deliveries_per_second =
        static_cast<double>(run.burst.deliveries) / run.burst.seconds;
    figures.burst_median_ms = run.burst.latency.median_us / 1000.0;
    figures.burst_p99_ms = run.burst.latency.p99_us / 1000.0;
    figures.burst_cpu_ms_per_1000 = PerThousand(run.burst);
    figures.burst_tool_share = Share(run.burst.tool_cpu_seconds, run.burst.seconds);
  }
  if (run.paced.deliveries > 0) {
    figures.paced_median_ms = run.paced.latency.median_us / 1000.0;
    figures.paced_p99_ms = run.paced.latency.p99_us / 1000.0;
    figures.paced_cpu_ms_per_1000 = PerThousand(run.paced);
  }
  return figures;
}

void PrintReport(const RunFigures& run, std::ostream& out) {
  const ReportFigures figures = Derive(run);
  const char* protocol = run.protocol == Protocol::kIrc ? "irc" : "vantrel";
  const bool bounded = !run.bounded_phase.empty();
  out << protocol << ": " << run.clients << " clients, " << run.senders << " senders\n";
  if (bounded) {
    out << "BOUNDED: the run limit of " << run.run_limit_seconds << " s ended the run in the "
        << run.bounded_phase << " phase; the figures cover what was done by then\n";
  }
  if (run.login_seconds > 0) {
    out << "login: ";
    if (run.bounded_phase == "login") {
      out << run.logged_in << " of " << run.clients << " clients logged in and "
          << run.announcements << " of " << ExpectedAnnouncements(run.clients)
          << " announcements arrived in " << Fixed(run.login_seconds, 3)
          << " s: " << Fixed(figures.logins_per_second, 1) << " logins per second over the "
          << figures.logins_done
          << " logins whose announcements arrived (bounded: later logins are announced to more "
             "users, so a whole run's rate is lower)";
    } else {
      out << run.clients << " clients and " << run.announcements << " announcements in "
          << Fixed(run.login_seconds, 3) << " s: " << Fixed(figures.logins_per_second, 1)
          << " logins per second";
    }
    if (run.login_server_cpu_seconds) {
      out << "; server CPU " << Fixed(*run.login_server_cpu_seconds, 2) << " s";
    }
    out << ToolText(run.login_tool_cpu_seconds, figures.login_tool_share) << "\n";
  }
  if (figures.kib_per_idle_client) {
    out << "memory: " << *run.rss_before_kib << " KiB before, " << *run.rss_idle_kib
        << " KiB with every client idle: " << Fixed(figures.kib_per_idle_client, 2)
        << " KiB per client\n";
  }
  if (run.burst.deliveries > 0) {
    PrintPhase("burst", run.burst, figures.burst_cpu_ms_per_1000, out);
    out << "burst rate: " << Fixed(figures.burst_deliveries_per_second, 0)
        << " deliveries per second\n";
  }
  if (run.paced.deliveries > 0) PrintPhase("paced", run.paced, figures.paced_cpu_ms_per_1000, out);
  if (run.deliveries_timed_at_read > 0) {
    out << "note: " << run.deliveries_timed_at_read
        << " deliveries are timed when this tool read them, not when they arrived at its socket, "
           "so their latency includes the tool's own delay\n";
  }
  if (run.tool_peak_kib) {
    out << "this tool's peak resident memory: "
        << Fixed(static_cast<double>(*run.tool_peak_kib) / 1024.0, 1) << " MiB\n";
  }
  out << "figures: protocol=" << protocol << " clients=" << run.clients << " lines=" << run.lines
      << " bounded=" << (bounded ? run.bounded_phase : "no")
      << " logins_done=" << figures.logins_done
      << " login_per_s=" << Fixed(figures.logins_per_second, 1)
      << " kib_per_client=" << Fixed(figures.kib_per_idle_client, 2)
      << " burst_per_s=" << Fixed(figures.burst_deliveries_per_second, 0)
      << " burst_p50_ms=" << Fixed(figures.burst_median_ms, 3)
      << " burst_p99_ms=" << Fixed(figures.burst_p99_ms, 3)
      << " burst_cpu_ms_per_k=" << Fixed(figures.burst_cpu_ms_per_1000, 3)
      << " paced_p50_ms=" << Fixed(figures.paced_median_ms, 3)
      << " paced_p99_ms=" << Fixed(figures.paced_p99_ms, 3)
      << " paced_cpu_ms_per_k=" << Fixed(figures.paced_cpu_ms_per_1000, 3)
      << " login_tool_share=" << Fixed(figures.login_tool_share, 2)
      << " burst_tool_share=" << Fixed(figures.burst_tool_share, 2)
      << " tool_peak_kib=" << (run.tool_peak_kib ? std::to_string(*run.tool_peak_kib) : "-")
      << "\n";
}

}  // namespace vantrel::load
