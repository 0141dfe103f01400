#include "load_report.h"

#include <cstdio>
#include <ostream>
#include <string>

namespace vantrel::load {
namespace {

double PerThousand(const PhaseFigures& phase) {
  if (!phase.server_cpu_seconds || phase.deliveries == 0) return -1;
  return *phase.server_cpu_seconds * 1000.0 / static_cast<double>(phase.deliveries) * 1000.0;
}

std::string Fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::string CpuText(double ms_per_1000) {
  return ms_per_1000 < 0 ? "CPU not measured (no --pid)"
                         : "server CPU " + Fixed(ms_per_1000, 3) + " ms per 1000 deliveries";
}

void PrintPhase(const char* name, const PhaseFigures& phase, double median_ms, double p99_ms,
                double cpu, std::ostream& out) {
  out << name << ": " << phase.lines << " lines, " << phase.deliveries << " deliveries in "
      << Fixed(phase.seconds, 3) << " s; latency median " << Fixed(median_ms, 3) << " ms, p99 "
      << Fixed(p99_ms, 3) << " ms; " << CpuText(cpu);
  if (phase.tool_cpu_seconds)
    out << "; this tool's CPU " << Fixed(*phase.tool_cpu_seconds, 2) << " s";
  out << "\n";
}

}  // namespace

ReportFigures Derive(const RunFigures& run) {
  ReportFigures figures;
  if (run.login_seconds > 0) {
    figures.logins_per_second = static_cast<double>(run.clients) / run.login_seconds;
  }
  if (run.rss_before_kib && run.rss_idle_kib && run.clients > 0) {
    figures.kib_per_idle_client =
        (static_cast<double>(*run.rss_idle_kib) - static_cast<double>(*run.rss_before_kib)) /
        static_cast<double>(run.clients);
  }
  if (run.burst.seconds > 0) {
    figures.burst_deliveries_per_second =
        static_cast<double>(run.burst.deliveries) / run.burst.seconds;
  }
  figures.burst_median_ms = run.burst.latency.median_us / 1000.0;
  figures.burst_p99_ms = run.burst.latency.p99_us / 1000.0;
  figures.burst_cpu_ms_per_1000 = PerThousand(run.burst);
  figures.paced_median_ms = run.paced.latency.median_us / 1000.0;
  figures.paced_p99_ms = run.paced.latency.p99_us / 1000.0;
  figures.paced_cpu_ms_per_1000 = PerThousand(run.paced);
  return figures;
}

void PrintReport(const RunFigures& run, std::ostream& out) {
  const ReportFigures figures = Derive(run);
  const char* protocol = run.protocol == Protocol::kIrc ? "irc" : "vantrel";
  out << protocol << ": " << run.clients << " clients, " << run.senders << " senders\n";
  out << "login: " << run.clients << " clients and " << run.announcements << " announcements in "
      << Fixed(run.login_seconds, 3) << " s: " << Fixed(figures.logins_per_second, 1)
      << " logins per second";
  if (run.login_server_cpu_seconds) {
    out << "; server CPU " << Fixed(*run.login_server_cpu_seconds, 2) << " s";
  }
  if (run.login_tool_cpu_seconds) {
    out << "; this tool's CPU " << Fixed(*run.login_tool_cpu_seconds, 2) << " s";
  }
  out << "\n";
  if (figures.kib_per_idle_client >= 0) {
    out << "memory: " << *run.rss_before_kib << " KiB before, " << *run.rss_idle_kib
        << " KiB with every client idle: " << Fixed(figures.kib_per_idle_client, 2)
        << " KiB per client\n";
  }
  PrintPhase("burst", run.burst, figures.burst_median_ms, figures.burst_p99_ms,
             figures.burst_cpu_ms_per_1000, out);
  out << "burst rate: " << Fixed(figures.burst_deliveries_per_second, 0)
      << " deliveries per second\n";
  PrintPhase("paced", run.paced, figures.paced_median_ms, figures.paced_p99_ms,
             figures.paced_cpu_ms_per_1000, out);
  out << "figures: protocol=" << protocol << " clients=" << run.clients
      << " lines=" << run.burst.lines << " login_per_s=" << Fixed(figures.logins_per_second, 1)
      << " kib_per_client=" << Fixed(figures.kib_per_idle_client, 2)
      << " burst_per_s=" << Fixed(figures.burst_deliveries_per_second, 0)
      << " burst_p50_ms=" << Fixed(figures.burst_median_ms, 3)
      << " burst_p99_ms=" << Fixed(figures.burst_p99_ms, 3)
      << " burst_cpu_ms_per_k=" << Fixed(figures.burst_cpu_ms_per_1000, 3)
      << " paced_p50_ms=" << Fixed(figures.paced_median_ms, 3)
      << " paced_p99_ms=" << Fixed(figures.paced_p99_ms, 3)
      << " paced_cpu_ms_per_k=" << Fixed(figures.paced_cpu_ms_per_1000, 3) << "\n";
}

}  // namespace vantrel::load
