#!/usr/bin/awk -f
# Turns the figures of bench/tunnel/compare.sh, lines "MEASURE ROUTE VALUE"
# (ROUTE: plain, tunnel or proxy), into a table: per measurement the median of
# each route's runs with the lowest and highest, and the ratios of the medians
# tunnel / plain and proxy / plain; then tinyproxy's own CPU time and the
# target.
# Usage: awk -f median.awk -f tunnel_table.awk -v big=1024 -v lines=1000 -v rate=100 FIGURES

{
  n = ++runs[$1, $2]
  value[$1, $2, n] = $3 + 0
}

# Sets med, low and high for `measure` over `route`; false when it has no runs.
function figures(measure, route,    i, a) {
  if (!((measure, route) in runs)) return 0
  for (i = 1; i <= runs[measure, route]; i++) a[i] = value[measure, route, i]
  summarize(a, runs[measure, route])
  return 1
}

# A figure with three significant digits, or whole when larger.
function number(x) {
  return x >= 100 ? sprintf("%.0f", x) : sprintf("%.3g", x)
}

function cell(measure, route) {
  if (!figures(measure, route)) return sprintf("%-24s", "not measured")
  return sprintf("%-24s", number(med) " (" number(low) "-" number(high) ")")
}

# The ratio of the medians of `route` and plain, or blanks.
function ratio(measure, route,    ours) {
  if (!figures(measure, route)) return sprintf("%7s", "")
  ours = med
  if (!figures(measure, "plain") || med <= 0) return sprintf("%7s", "")
  return sprintf("%7.2f", ours / med)
}

function row(label, measure) {
  printf "  %-36s %s %s %s %s %s\n", label, cell(measure, "plain"), cell(measure, "tunnel"),
    cell(measure, "proxy"), ratio(measure, "tunnel"), ratio(measure, "proxy")
}

END {
  printf "\nThe HTTP tunnel against plain TCP over 127.0.0.1, median of the runs (lowest-highest):\n"
  printf "  %-36s %-24s %-24s %-24s %7s %7s\n", "", "plain TCP", "tunnel", "tunnel via tinyproxy",
    "tunnel/", "proxy/"
  printf "  %-36s %-24s %-24s %-24s %7s %7s\n", "", "", "", "", "plain", "plain"
  row(sprintf("download of %d MiB, MiB/s", big), "download")
  row("server CPU per GiB sent, s", "cpu")
  row("chat line latency, median, us", "latency_median")
  row("chat line latency, 99th pct., us", "latency_p99")
  if (figures("proxy_cpu", "proxy"))
    printf "  tinyproxy's own CPU per GiB relayed, s: %s (%s-%s)\n", number(med), number(low), number(high)
  plain = figures("download", "plain") ? med : 0
  if (plain > 0 && figures("download", "tunnel")) {
    printf "\nTarget: a download through the tunnel straight to P + 3 at 80 %% or more of\n"
    printf "plain TCP's rate: %.0f %%, %s.\n", 100 * med / plain, (med >= 0.8 * plain ? "met" : "not met")
  }
  printf "\nA download is timed from its request (202) to the last byte, its login not\n"
  printf "counted; its session is plain on every route, its transfer connection goes to\n"
  printf "P + 1, or through a tunnel to P + 3 whose chunks the tool reads in place.\n"
  printf "Server CPU: its process's run time from schedstat, before and after each download.\n"
  printf "Chat: %d lines at %d a second from plain senders, each timed from just before\n", lines, rate
  printf "its send until the receiver (its session plain to P, or tunnelled to P + 2) has\n"
  printf "read the bytes that complete it.\n"
}
