#!/usr/bin/env bash
# Compression, expansion and binder adds beside gzip, gunzip and cp, on the same bytes in
# one run. Usage: bench/compare-archive.sh [BUILD_FOLDER]   (default build/normal)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/normal}
bench="$build/bench/ArchiveBench"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$bench" --write-corpus "$work/corpus"
head -c 100000000 /dev/urandom > "$work/large"
corpus_mb=$(awk "BEGIN { print $(stat -c %s "$work/corpus") / 1e6 }")

# Best of five wall-clock runs of a command, in seconds.
best() {
  local best_time=999999 t start
  for _ in 1 2 3 4 5; do
    start=$(date +%s.%N)
    "$@" >/dev/null
    t=$(awk "BEGIN { print $(date +%s.%N) - $start }")
    best_time=$(awk "BEGIN { print ($t < $best_time) ? $t : $best_time }")
  done
  echo "$best_time"
}

gzip -6 -c "$work/corpus" > "$work/corpus.gz"
gz6=$(best gzip -6 -c "$work/corpus")
gz1=$(best gzip -1 -c "$work/corpus")
gunz=$(best gunzip -c "$work/corpus.gz")
cpt=$(best cp "$work/large" "$work/large.copy")
# cp leaves its bytes in the page cache; the journalled add waits for the disk, so it is
# also set beside cp followed by a flush of the copy.
cps=$(best bash -c "cp '$work/large' '$work/large.copy' && sync '$work/large.copy'")
ratio6=$(awk "BEGIN { print $(stat -c %s "$work/corpus.gz") / $(stat -c %s "$work/corpus") }")
ratio1=$(awk "BEGIN { print $(gzip -1 -c "$work/corpus" | wc -c) / $(stat -c %s "$work/corpus") }")

json=$("$bench" --benchmark_format=json 2>/dev/null)
rate() {
  echo "$json" | awk -v name="$1" '
    index($0, "\"name\": \"" name "/") { found = 1 }
    found && /"bytes_per_second"/ { gsub(/[^0-9.e+]/, "", $2); print $2 / 1e6; exit }'
}
lzss_ratio=$(echo "$json" | awk '/"name": "BM_Compress\// { f = 1 } f && /"ratio"/ { gsub(/[^0-9.e+-]/, "", $2); print $2; exit }')
compress=$(rate BM_Compress)
expand=$(rate BM_Expand)
add=$(rate BM_AddLargeFileToBinder)
journal=$(rate BM_AddLargeFileToArchiveWithJournal)

mbps() { awk "BEGIN { printf \"%.1f\", $1 / $2 }"; }
printf '%-34s %10s %8s\n' "operation" "MB/s" "ratio"
printf '%-34s %10.1f %8.3f\n' "lumora compress (LZSS)" "$compress" "$lzss_ratio"
printf '%-34s %10s %8.3f\n' "gzip -6" "$(mbps "$corpus_mb" "$gz6")" "$ratio6"
printf '%-34s %10s %8.3f\n' "gzip -1" "$(mbps "$corpus_mb" "$gz1")" "$ratio1"
printf '%-34s %10.1f\n' "lumora expand" "$expand"
printf '%-34s %10s\n' "gunzip" "$(mbps "$corpus_mb" "$gunz")"
printf '%-34s %10.1f\n' "lumora add 100 MB file to binder" "$add"
printf '%-34s %10.1f\n' "lumora add 100 MB, update+journal" "$journal"
printf '%-34s %10s\n' "cp 100 MB file" "$(mbps 100 "$cpt")"
printf '%-34s %10s\n' "cp 100 MB file, then sync" "$(mbps 100 "$cps")"
