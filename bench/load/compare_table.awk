#!/usr/bin/awk -f
# Turns the "figures:" lines of compare.sh into one table: the median of each
# figure per server and client count, then the targets at the largest count.
# Usage: compare_table.awk -v clients="100 500 1000" FIGURES_FILE

{
  delete f
  for (i = 2; i <= NF; i++) {
    split($i, kv, "=")
    f[kv[1]] = kv[2]
  }
  key = f["protocol"] SUBSEP f["clients"]
  n = ++runs[key]
  for (k in f) values[key, k, n] = f[k]
}

function median(protocol, count, name,    key, n, i, j, a, t) {
  key = protocol SUBSEP count
  n = runs[key]
  if (n == 0) return "-"
  for (i = 1; i <= n; i++) a[i] = values[key, name, i] + 0
  for (i = 2; i <= n; i++) {
    t = a[i]
    for (j = i - 1; j >= 1 && a[j] > t; j--) a[j + 1] = a[j]
    a[j + 1] = t
  }
  return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
}

function row(label, name, format,    i, v) {
  printf "%-34s", label
  for (i = 1; i <= count_n; i++) {
    v = median("vantrel", counts[i], name)
    printf(v == "-" ? "%11s" : "%11" format, v)
    v = median("irc", counts[i], name)
    printf(v == "-" ? "%10s" : "%10" format, v)
  }
  printf "\n"
}

# One target: the Vantrel figure against ngircd's at the largest count.
function target(label, name, relation, factor,    v, g, ok, ratio) {
  v = median("vantrel", largest, name)
  g = median("irc", largest, name)
  if (v == "-" || g == "-" || g <= 0) {
    printf "  %-52s not measured\n", label
    return
  }
  ratio = v / g
  ok = relation == ">=" ? ratio >= factor : ratio <= factor
  printf "  %-52s %s (%.4g against %.4g: %.2f x)\n", label, ok ? "met" : "NOT met", v, g, ratio
}

END {
  count_n = split(clients, counts, " ")
  largest = counts[count_n]
  printf "\n%-34s", ""
  for (i = 1; i <= count_n; i++) printf "%21s", "N = " counts[i]
  printf "\n%-34s", ""
  for (i = 1; i <= count_n; i++) printf "%11s%10s", "vantrel", "ngircd"
  printf "\n"
  row("logins per second", "login_per_s", ".0f")
  row("KiB per idle logged-in client", "kib_per_client", ".2f")
  row("burst deliveries per second", "burst_per_s", ".0f")
  row("burst latency median, ms", "burst_p50_ms", ".1f")
  row("burst latency p99, ms", "burst_p99_ms", ".1f")
  row("burst server CPU ms/1000 deliv.", "burst_cpu_ms_per_k", ".3f")
  row("paced latency median, ms", "paced_p50_ms", ".2f")
  row("paced latency p99, ms", "paced_p99_ms", ".2f")
  row("paced server CPU ms/1000 deliv.", "paced_cpu_ms_per_k", ".3f")
  printf "\nMedians of the runs. A Vantrel chat line reaches all N clients, the sender\n"
  printf "included; an IRC channel message reaches the N - 1 others. Rates and CPU\n"
  printf "are per delivery actually made.\n"
  printf "\nTargets at N = %s:\n", largest
  target("burst deliveries per second at least 2x", "burst_per_s", ">=", 2)
  target("paced p99 latency at most half", "paced_p99_ms", "<=", 0.5)
  target("burst CPU per 1000 deliveries at most half", "burst_cpu_ms_per_k", "<=", 0.5)
  target("paced CPU per 1000 deliveries at most half", "paced_cpu_ms_per_k", "<=", 0.5)
  target("memory per idle client no more than ngircd's", "kib_per_client", "<=", 1)
  target("logins with announcements at least 3x", "login_per_s", ">=", 3)
}
