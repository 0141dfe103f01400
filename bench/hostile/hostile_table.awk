#!/usr/bin/awk -f
# Turns the figures of hostile.sh's runs into a table: per scenario, each figure
# as the median of its runs with the lowest and highest in parentheses, and
# beside it its target, judged by the worst run.
# Input lines: "SCENARIO key=value key=value ...", one per run.
# Usage: awk -f bench/load/median.awk -f hostile_table.awk -v scenarios="silent claims non-readers" FIGURES_FILE

{
  n = ++runs[$1]
  for (i = 2; i <= NF; i++) {
    split($i, kv, "=")
    values[$1, kv[1], n] = kv[2]
  }
}

# Sets count, low, high and med for figure `name` of `scenario`; false when no
# run has it.
function stats(scenario, name,    i, v, a) {
  count = 0
  for (i = 1; i <= runs[scenario]; i++) {
    v = values[scenario, name, i]
    if (v == "") continue
    a[++count] = v + 0
  }
  if (count == 0) return 0
  summarize(a, count)
  return 1
}

# One figure; with a target when `relation` is "<=" or "<": the highest of the
# runs must be at most, or under, `limit`.
function row(scenario, label, name, format, relation, limit, why,    text, goal) {
  if (!stats(scenario, name)) {
    printf "  %-48s%26s\n", label, "-"
    return
  }
  text = sprintf("%" format " (%" format "-%" format ")", med, low, high)
  goal = ""
  if (relation == "<=") goal = sprintf("at most %s%s: %s", limit, why, high <= limit ? "met" : "NOT met")
  if (relation == "<") goal = sprintf("under %s%s: %s", limit, why, high < limit ? "met" : "NOT met")
  printf "  %-48s%26s%s\n", label, text, goal == "" ? "" : "   " goal
}

function header(title, scenario) {
  printf "\n%s, %d run%s\n", title, runs[scenario], runs[scenario] == 1 ? "" : "s"
  printf "  %-48s%26s   %s\n", "", "median (lowest-highest)", "target, judged by the worst run"
}

END {
  count_scenarios = split(scenarios, order, " ")
  for (s = 1; s <= count_scenarios; s++) {
    scenario = order[s]
    if (!(scenario in runs)) continue
    if (scenario == "silent") {
      stats(scenario, "peers")
      header(sprintf("Silent connections (%d)", med), scenario)
      row(scenario, "RSS growth per connection still open, bytes", "bytes_per_open", ".0f", "<=", 2048, " (2 KiB)")
      row(scenario, "RSS growth per connection made, bytes", "bytes_per_peer", ".1f")
      row(scenario, "connections the server closed", "closed", ".0f")
      row(scenario, "connections still open", "open", ".0f", "<=", 1024, " kept without a handshake")
      row(scenario, "server's open descriptors before", "fds_before", ".0f")
      row(scenario, "server's open descriptors after", "fds_after", ".0f")
    } else if (scenario == "claims") {
      stats(scenario, "peers")
      header(sprintf("Claimed-but-unsent requests (%d)", med), scenario)
      row(scenario, "RSS growth per claim beyond an idle client, bytes", "bytes_per_claim", ".0f", "<=", 4096, " (4 KiB)")
      row(scenario, "RSS per idle logged-in client, bytes", "bytes_per_idle", ".0f")
      row(scenario, "claimants the server closed", "closed", ".0f")
    } else if (scenario == "non-readers") {
      stats(scenario, "peers")
      peers = med
      stats(scenario, "seconds")
      header(sprintf("Non-readers (%d, for %d s)", peers, med), scenario)
      row(scenario, "server's peak RSS (VmHWM), MiB", "rss_peak_mib", ".1f", "<", 256, " MiB, the send budget")
      row(scenario, "server's RSS at the start of the chat, MiB", "rss_start_mib", ".1f")
      row(scenario, "server's RSS at the end of the chat, MiB", "rss_end_mib", ".1f")
      row(scenario, "system's TCP buffers at most, MiB", "tcp_sampled_max_mib", ".1f")
      row(scenario, "non-readers the server disconnected", "disconnected", ".0f")
      row(scenario, "probe's chat round trip, median, ms", "rtt_median_ms", ".3f", "<", 10, " ms")
      row(scenario, "probe's chat round trip, 99th percentile, ms", "rtt_p99_ms", ".3f", "<", 10, " ms")
      row(scenario, "probe's chat round trip, max, ms", "rtt_max_ms", ".3f", "<", 10, " ms")
    }
  }
}
