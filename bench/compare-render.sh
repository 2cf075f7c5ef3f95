#!/usr/bin/env bash
# Rendering of the sprite tree beside memcpy of one 640 x 480 frame, in one run, and the
# text rebuild. Usage: bench/compare-render.sh [BUILD_FOLDER]   (default build/normal)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/normal}

# Median microseconds of one benchmark from Google Benchmark's JSON output.
median() {
  echo "$1" | awk -v name="$2" '
    index($0, "\"name\": \"" name "_median\"") { found = 1 }
    found && /"real_time"/ { gsub(/[^0-9.e+]/, "", $2); print $2; exit }'
}

run() {
  "$1" --benchmark_format=json --benchmark_repetitions=5 --benchmark_min_time=0.2 ${2:+--benchmark_filter="$2"} 2>/dev/null
}

sprites=$(run "$build/bench/SpriteBench")
memcpy=$(median "$sprites" BM_MemcpyFrame)
full=$(median "$sprites" BM_RenderFullChange)
button=$(median "$sprites" BM_RenderOneButton)
diffusion=$(median "$sprites" BM_ErrorDiffusionFrame)

printf '%-52s %12s %10s\n' "operation (640 x 480)" "median us" "ratio"
printf '%-52s %12.1f %10s\n' "memcpy of one 32-bit frame" "$memcpy" "1.00"
printf '%-52s %12.1f %9.2fx  (goal: under 5x memcpy)\n' "RenderChanges, full change (background + 20 sprites)" \
  "$full" "$(awk "BEGIN { print $full / $memcpy }")"
printf '%-52s %12.1f %9.3f   (goal: under 0.1 of the full change)\n' "RenderChanges, one button (5% of the screen)" \
  "$button" "$(awk "BEGIN { print $button / $full }")"
printf '%-52s %12.1f %9.2fx\n' "8-bit conversion by error diffusion, full frame" \
  "$diffusion" "$(awk "BEGIN { print $diffusion / $memcpy }")"
if [ -x "$build/bench/TextBench" ]; then
  text=$(run "$build/bench/TextBench" TextRebuildSmooth4)
  rebuild=$(echo "$text" | awk '
    /"name": "BM_TextRebuildSmooth4_median"/ { found = 1 }
    found && /"real_time"/ { gsub(/[^0-9.e+]/, "", $2); print $2; exit }')
  unit=$(echo "$text" | awk '/"time_unit"/ { gsub(/[",]/, "", $2); print $2; exit }')
  [ -n "$rebuild" ] && printf '%-52s %12.1f %10s\n' "NSpText rebuild, 40 characters, smoothing 4 ($unit)" "$rebuild" ""
fi
