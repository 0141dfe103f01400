# The summary both figure tables print: sorts a[1..count] and sets low, high and
# med (the median, the mean of the middle two for an even count). Loaded with
# -f before a table script.
function summarize(a, count,    i, j, t) {
  for (i = 2; i <= count; i++) {
    t = a[i]
    for (j = i - 1; j >= 1 && a[j] > t; j--) a[j + 1] = a[j]
    a[j + 1] = t
  }
  low = a[1]
  high = a[count]
  med = count % 2 ? a[(count + 1) / 2] : (a[count / 2] + a[count / 2 + 1]) / 2
}
