#!/usr/bin/awk -f
# Turns the JSON reports of news_database_bench runs (--benchmark_out) into a
# table: per operation and durability, the real time per operation of the
# news database, of SQLite opening its database per operation and of SQLite
# keeping it open, each the median of the runs with the lowest and highest,
# and the ratios of the medians; then the errors the runs reported, if any.
# Usage: awk -f median.awk -f news_table.awk -v articles=100000 RUN1.json RUN2.json ...

# The benchmark "OPERATION/SIDE/DURABILITY/iterations:N/real_time" being read.
/"name": / {
  name = $0
  sub(/.*"name": "/, "", name)
  sub(/\/iterations:.*/, "", name)
}

/"real_time": / && name != "" {
  value = $2
  sub(/,$/, "", value)
  time[name] = value + 0
}

/"time_unit": / && name != "" {
  unit = $2
  gsub(/[",]/, "", unit)
  scale = unit == "us" ? 1e3 : unit == "ms" ? 1e6 : unit == "s" ? 1e9 : 1
  n = ++runs[name]
  value_of[name, n] = time[name] * scale
}

/"error_message": / && name != "" {
  message = $0
  sub(/.*"error_message": "/, "", message)
  sub(/",?$/, "", message)
  errors[name] = message
}

/"list_bytes": / && name != "" {
  value = $2
  sub(/,$/, "", value)
  list_bytes[name] = value + 0
}

/^    }/ { name = "" }

# Sets med, low and high for the benchmark `key`; false when it has no runs.
function figures(key,    i, a) {
  if (!(key in runs)) return 0
  for (i = 1; i <= runs[key]; i++) a[i] = value_of[key, i]
  summarize(a, runs[key])
  return 1
}

function cell(key) {
  if (key in errors) return sprintf("%-34s", "failed")
  if (!figures(key)) return sprintf("%-34s", "not measured")
  return sprintf("%-34s", sprintf("%.0f (%.0f-%.0f)", med, low, high))
}

function ratio(ours, theirs) {
  if ((ours in errors) || (theirs in errors) || !figures(theirs) || med <= 0) return "     -"
  against = med
  if (!figures(ours)) return "     -"
  return sprintf("%6.3f", med / against)
}

function row(label, operation, durability,    key) {
  key = operation "/%s/" durability
  printf "  %-18s %s %s %s %s   %s\n", label, cell(sprintf(key, "news")),
         cell(sprintf(key, "sqlite_open")), cell(sprintf(key, "sqlite_kept")),
         ratio(sprintf(key, "news"), sprintf(key, "sqlite_open")),
         ratio(sprintf(key, "news"), sprintf(key, "sqlite_kept"))
}

function block(title, durability) {
  printf "%s:\n", title
  row("post a reply", "post_reply", durability)
  row("read an article", "read_article", durability)
  row("list the category", "list_articles", durability)
  row("delete a thread", "delete_thread", durability)
}

END {
  printf "\nA news category of %s articles, nanoseconds per operation (real time),\n", articles
  printf "median of the runs (lowest-highest):\n"
  printf "  %-18s %-34s %-34s %-34s %s\n", "", "news database", "SQLite, open per operation",
         "SQLite, kept open", "ratio: open  kept"
  block("With a sync per change (news: its journal synced; SQLite: WAL, synchronous=FULL)", "sync")
  block("Without syncs (news: a file system whose syncs do nothing; SQLite: synchronous=OFF)",
        "nosync")
  printf "The ratios are the news database's median over SQLite's: below 1, the news\n"
  printf "database is faster. Reads and lists change nothing: they are timed both ways\n"
  printf "only as the same runs go.\n"
  for (key in list_bytes) {
    if (key ~ /^list_articles\/(news|sqlite_kept)\/nosync$/) {
      printf "Bytes of a list without syncs, last run: %s %d\n", key, list_bytes[key]
    }
  }
  for (key in errors) printf "Error: %s failed: %s\n", key, errors[key]
}
