#!/usr/bin/awk -f
# Turns the figures of bench/transfer/compare.sh, lines "MEASURE SOURCE VALUE",
# into a table: per measurement the median of the Vantrel server's runs and of
# the other's (nginx, or dd for the upload), each with the lowest and highest,
# and the ratio of the medians; then the server's memory around the downloads
# at once.
# Usage: awk -f median.awk -f transfer_table.awk -v big=1024 -v small=10 -v clients=100 FIGURES

{
  n = ++runs[$1, $2]
  value[$1, $2, n] = $3 + 0
}

# Sets med, low and high for `measure` from `source`; false when it has no runs.
function figures(measure, source,    i, a) {
  if (!((measure, source) in runs)) return 0
  for (i = 1; i <= runs[measure, source]; i++) a[i] = value[measure, source, i]
  summarize(a, runs[measure, source])
  return 1
}

function cell(measure, source) {
  if (!figures(measure, source)) return sprintf("%-26s", "not measured")
  return sprintf("%-26s", sprintf("%.2f (%.2f-%.2f)", med, low, high))
}

function row(label, measure, other,    ours, theirs) {
  ours = figures(measure, "vantrel") ? med : ""
  theirs = figures(measure, other) ? med : ""
  printf "  %-40s %s %s", label, cell(measure, "vantrel"), cell(measure, other)
  if (ours != "" && theirs != "" && theirs > 0) printf "%5.2f", ours / theirs
  printf "\n"
}

function memory(label, measure) {
  if (!figures(measure, "vantrel")) return
  printf "  %-16s %7.1f MiB (%.1f-%.1f)\n", label, med, low, high
}

END {
  printf "\nTransfers over 127.0.0.1, median of the runs (lowest-highest):\n"
  printf "  %-40s %-26s %-26s %s\n", "", "vantrel-server", "nginx, or dd", "ratio"
  row(sprintf("download of %d MiB, MiB/s", big), "download", "nginx")
  row("CPU per GiB sent, s", "cpu", "nginx")
  row(sprintf("%d downloads of %d MiB at once, MiB/s", clients, small), "many", "nginx")
  row(sprintf("upload of %d MiB (dd), MiB/s", big), "upload", "dd")
  printf "  The ratios are of the medians, the Vantrel server's to the other's: above 1,\n"
  printf "  it is faster, or spends more CPU per GiB.\n"
  printf "\nThe Vantrel server's memory around the %d downloads at once:\n", clients
  memory("resident before", "rss_before")
  memory("resident after", "rss_after")
  memory("peak (VmHWM)", "hwm_after")
  printf "\nA download through the Vantrel server is timed from its request (202) to the\n"
  printf "last byte, its login not counted; curl's from its connection to the last byte.\n"
  printf "Downloads at once: all the bytes over the time of the longest, all requests sent\n"
  printf "together (the Vantrel clients in one process, one thread each; one curl process\n"
  printf "with all transfers in parallel). An upload is timed from its first byte sent to\n"
  printf "the server's close once the file is written; dd writes zeros with fdatasync.\n"
  printf "CPU: the Vantrel server's process and nginx's worker, from their schedstat.\n"
}
