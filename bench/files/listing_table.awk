#!/usr/bin/awk -f
# Turns the "figures:" lines of bench/files/compare.sh into a table: per
# server, listings per second as the median of its runs with the lowest and
# highest, bytes per listing and the entries the Vantrel server listed (a run
# that listed another number is pointed out); then the ratio of the medians.
# Usage: awk -f median.awk -f listing_table.awk -v files=10000 FIGURES_FILE

{
  delete f
  for (i = 2; i <= NF; i++) {
    split($i, kv, "=")
    f[kv[1]] = kv[2]
  }
  t = f["target"]
  n = ++runs[t]
  rate[t, n] = f["listings_per_s"] + 0
  bytes[t] = f["bytes_per_listing"]
  entries[t] = f["entries"]
  if (t == "vantrel" && f["entries"] != files) wrong_entries = f["entries"]
}

# Sets med, low and high for the rates of `target`; false when it has no runs.
function rates(target,    i, a) {
  if (!(target in runs)) return 0
  for (i = 1; i <= runs[target]; i++) a[i] = rate[target, i]
  summarize(a, runs[target])
  return 1
}

function row(label, target) {
  if (!rates(target)) {
    printf "  %-10s %14s\n", label, "not measured"
    return
  }
  printf "  %-10s %12.1f %22s %18s %10s\n", label, med, sprintf("%.1f-%.1f", low, high),
         bytes[target], entries[target]
}

END {
  printf "\nOne client listing one folder of %s files, one listing at a time:\n", files
  printf "  %-10s %12s %22s %18s %10s\n", "server", "listings/s", "lowest-highest", "bytes/listing",
         "entries"
  row("vantrel", "vantrel")
  row("nginx", "http")
  if (rates("vantrel")) {
    vantrel = med
    if (rates("http") && med > 0) printf "\nvantrel against nginx: %.2f x\n", vantrel / med
  }
  if (wrong_entries != "") {
    printf "\nThe Vantrel server listed %s entries in a run, not %s.\n", wrong_entries, files
  }
  most = runs["vantrel"] + 0
  if (runs["http"] > most) most = runs["http"]
  printf "\nMedian of %d runs per server. A listing's time runs from its request to the\n", most
  printf "last byte of its answer: the Vantrel tool's logins (one per 100 listings, from\n"
  printf "a new address each, below the server's limit of 121 requests a minute) and\n"
  printf "connections are not counted.\n"
}
