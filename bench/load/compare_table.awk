#!/usr/bin/awk -f
# Turns the "figures:" lines of compare.sh into tables: per client count, each
# figure of each server as the median of its runs with the lowest and highest
# in parentheses; then the targets: against ngircd at N = 1000, logins against
# ngircd at every N, and the largest N against N = 1000.
# Usage: awk -f median.awk -f compare_table.awk -v clients="1000 10000" FIGURES_FILE

# The phase a figure belongs to, in the order of a run: a run the limit ended in
# a phase measured that phase's figures only in part, and none after it.
function phase_rank(name) {
  if (name ~ /^login/) return 1
  if (name ~ /^kib/) return 2
  if (name ~ /^burst/) return 3
  if (name ~ /^paced/) return 4
  return 0
}

BEGIN {
  rank["login"] = 1
  rank["idle"] = 2
  rank["burst"] = 3
  rank["paced"] = 4
}

{
  delete f
  for (i = 2; i <= NF; i++) {
    split($i, kv, "=")
    f[kv[1]] = kv[2]
  }
  key = f["protocol"] SUBSEP f["clients"]
  n = ++runs[key]
  for (k in f) values[key, k, n] = f[k]
  cut[key, n] = f["bounded"] in rank ? rank[f["bounded"]] : 0
}

# Sets count, low, high, med and partial for one figure of one server and N;
# false when no run measured it.
function stats(protocol, clients, name,    key, i, v, a) {
  key = protocol SUBSEP clients
  count = 0
  partial = 0
  for (i = 1; i <= runs[key]; i++) {
    v = values[key, name, i]
    if (v == "" || v == "-") continue
    a[++count] = v + 0
    if (cut[key, i] != 0 && cut[key, i] == phase_rank(name)) partial = 1
  }
  if (count == 0) return 0
  summarize(a, count)
  return 1
}

function cell(protocol, clients, name, format,    text) {
  if (!stats(protocol, clients, name)) return "-"
  text = sprintf("%" format, med)
  if (count > 1) text = text sprintf(" (%" format "-%" format ")", low, high)
  if (partial) {
    text = text " *"
    any_partial = 1
  }
  return text
}

function row(clients, label, name, format) {
  printf "  %-36s%28s%28s\n", label, cell("vantrel", clients, name, format),
         cell("irc", clients, name, format)
}

# One target: figure `name` of `protocol_a` at `clients_a` against that of
# `protocol_b` at `clients_b`, met when the ratio of the medians is at least
# (">=") or at most ("<=") `factor`.
function target(label, name, protocol_a, clients_a, protocol_b, clients_b, relation, factor,
                   a, a_partial, b, ratio, ok, note) {
  if (!stats(protocol_a, clients_a, name)) {
    printf "  %-50s not measured\n", label
    return
  }
  a = med
  a_partial = partial
  if (!stats(protocol_b, clients_b, name) || med <= 0) {
    printf "  %-50s not measured\n", label
    return
  }
  b = med
  ratio = a / b
  if (relation == "") {
    printf "  %-50s %s against %s: %.2f x\n", label, number(a), number(b), ratio
    return
  }
  ok = relation == ">=" ? ratio >= factor : ratio <= factor
  note = ""
  if (!a_partial && partial && name == "login_per_s" && relation == ">=") {
    note = "; ngircd's runs were cut short: its rate is overstated"
  } else if (a_partial || partial) {
    note = "; not conclusive: runs were cut short"
  }
  printf "  %-50s %s (%s against %s: %.2f x%s)\n", label, ok ? "met" : "NOT met", number(a),
         number(b), ratio, note
}

# A figure in a target line: whole above 1000, else four significant digits.
function number(v) {
  return v >= 1000 ? sprintf("%.0f", v) : sprintf("%.4g", v)
}

function measured(clients) {
  return ("vantrel" SUBSEP clients) in runs || ("irc" SUBSEP clients) in runs
}

END {
  count_n = split(clients, counts, " ")
  largest = counts[count_n]
  for (c = 1; c <= count_n; c++) {
    n = counts[c]
    printf "\nN = %s (runs: vantrel %d, ngircd %d)\n", n, runs["vantrel" SUBSEP n],
           runs["irc" SUBSEP n]
    printf "  %-36s%28s%28s\n", "", "vantrel", "ngircd"
    row(n, "logins per second", "login_per_s", ".0f")
    row(n, "KiB per idle logged-in client", "kib_per_client", ".2f")
    row(n, "burst deliveries per second", "burst_per_s", ".0f")
    row(n, "burst latency median, ms", "burst_p50_ms", ".1f")
    row(n, "burst latency p99, ms", "burst_p99_ms", ".1f")
    row(n, "burst server CPU ms/1000 deliv.", "burst_cpu_ms_per_k", ".3f")
    row(n, "paced latency median, ms", "paced_p50_ms", ".2f")
    row(n, "paced latency p99, ms", "paced_p99_ms", ".2f")
    row(n, "paced server CPU ms/1000 deliv.", "paced_cpu_ms_per_k", ".3f")
    row(n, "load tool's CPU share, login", "login_tool_share", ".2f")
    row(n, "load tool's CPU share, burst", "burst_tool_share", ".2f")
  }
  printf "\nMedian of the runs, lowest and highest in parentheses. A Vantrel chat line\n"
  printf "reaches all N clients, the sender included; an IRC channel message reaches\n"
  printf "the N - 1 others. Rates and CPU are per delivery actually made. A tool share\n"
  printf "near 1 means the load tool, not the server, set the pace.\n"
  if (any_partial) {
    printf "* includes runs the run limit cut short in that phase, measured over what was\n"
    printf "  done by then. A login rate so measured is higher than a whole run's, since\n"
    printf "  later logins are announced to more users.\n"
  }

  reference = measured(1000) ? 1000 : largest
  printf "\nTargets against ngircd at N = %s:\n", reference
  target("burst deliveries per second at least parity", "burst_per_s", "vantrel", reference,
         "irc", reference, ">=", 1)
  target("paced p99 latency at most parity", "paced_p99_ms", "vantrel", reference, "irc",
         reference, "<=", 1)
  target("burst CPU per 1000 deliveries at most 0.9x", "burst_cpu_ms_per_k", "vantrel",
         reference, "irc", reference, "<=", 0.9)
  target("paced CPU per 1000 deliveries at most 0.9x", "paced_cpu_ms_per_k", "vantrel",
         reference, "irc", reference, "<=", 0.9)
  target("memory per idle client at most 0.4x", "kib_per_client", "vantrel", reference, "irc",
         reference, "<=", 0.4)
  for (c = 1; c <= count_n; c++) {
    target("logins with announcements at least 3x, N = " counts[c], "login_per_s", "vantrel",
           counts[c], "irc", counts[c], ">=", 3)
  }
  if (largest != 1000 && measured(1000)) {
    printf "\nThe Vantrel server at N = %s against N = 1000:\n", largest
    target("burst deliveries per second within 20 %", "burst_per_s", "vantrel", largest,
           "vantrel", 1000, ">=", 0.8)
    target("memory per idle client no more", "kib_per_client", "vantrel", largest, "vantrel",
           1000, "<=", 1)
  }
}
