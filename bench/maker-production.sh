#!/usr/bin/env bash
# The Maker's album production (KAlbumProduction through MakerProductionBench, the Maker's
# archive mounted, theme and co-brand read from it) beside qipalbum make --prepare with the
# same theme, on 20 photos of 2 to 24 megapixels. Both run on one CPU (taskset -c 0), so
# qipalbum's read-ahead threads cannot use a second core. Prints the median wall-clock time
# of each over the runs (taken in turns) and the ratio; the goal is at most 1.2.
# Usage: bench/maker-production.sh [BUILD_FOLDER]   (default build/normal)
# LUMORA_BENCH_RUNS sets the runs (default 5).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/normal}
runs=${LUMORA_BENCH_RUNS:-5}
bench="$build/bench/MakerProductionBench"
qipalbum="$build/bin/qipalbum"
archive="$build/Data/Qip.xpb"
theme="$build/assets/Qip/LMx/birthday.lmx"
corpus="$build/maker-corpus"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Width and height of a JPEG, from its header.
pixels() { rdjpgcom -verbose "$1" | sed -n 's/^JPEG image is \([0-9]*\)w \* \([0-9]*\)h.*/\1 \2/p'; }

# The corpus: the shipped photos grown with the JPEG tools (doubling in the decoder, then two
# last scales of n/8), photo i to about 2.2 + 21.4 i / 19 megapixels. Made once per build folder.
if [ ! -f "$corpus/.complete" ]; then
  echo "making the corpus in $corpus ..." >&2
  rm -rf "$corpus"
  mkdir -p "$corpus/Images"
  sources=("$root"/assets/photos/samples/*.jpg "$root"/assets/photos/partner/*.jpg "$root"/assets/photos/backdrops/*.jpg)
  for i in $(seq 0 19); do
    source=${sources[$i]}
    read -r w h < <(pixels "$source")
    # Growth factor in eighths: the whole doublings first, then the rest.
    target=$(awk -v i="$i" 'BEGIN { printf "%d", (2.2 + 21.4 * i / 19) * 1e6 }')
    out=$(printf '%s/Images/photo%02d.jpg' "$corpus" "$i")
    cp "$source" "$work/grow.jpg"
    while [ $((w * h * 16)) -le "$target" ]; do
      djpeg -scale 16/8 "$work/grow.jpg" | cjpeg -quality 92 >"$work/next.jpg"
      mv "$work/next.jpg" "$work/grow.jpg"
      w=$((w * 2)); h=$((h * 2))
    done
    # The rest of the growth as two scales of n/8, the pair that comes nearest to the target
    # within 2 to 24 megapixels.
    read -r first second < <(awk -v t="$target" -v p=$((w * h)) 'BEGIN { best = -1
      for (a = 8; a <= 16; a++) for (b = 8; b <= a; b++) { q = p * (a * b / 64) ^ 2
        if (q >= 2e6 && q <= 24e6 && (best < 0 || (q - t) ^ 2 < best)) { best = (q - t) ^ 2; x = a; y = b } }
      print x, y }')
    djpeg -scale "$first/8" "$work/grow.jpg" | cjpeg -quality 92 >"$work/next.jpg"
    djpeg -scale "$second/8" "$work/next.jpg" | cjpeg -quality 92 >"$out"
  done
  touch "$corpus/.complete"
fi
photos=("$corpus"/Images/photo*.jpg)
count=${#photos[@]}
sizes=$(for p in "${photos[@]}"; do pixels "$p"; done | awk '{ print $1 * $2 }' |
  awk 'NR == 1 { lo = $1 } { s += $1; if ($1 < lo) lo = $1; if ($1 > hi) hi = $1 }
       END { printf "%.1f to %.1f megapixels, %.1f on average", lo / 1e6, hi / 1e6, s / NR / 1e6 }')

# Wall-clock milliseconds of one command, run on one CPU in a fresh prefix.
time_ms() {
  local start end
  rm -rf "$work/prefix" "$work/out"
  mkdir -p "$work/prefix" "$work/out"
  start=$(date +%s%N)
  LUMORA_PREFIX="$work/prefix" taskset -c 0 "$@" >"$work/log" 2>&1 || { cat "$work/log" >&2; exit 1; }
  end=$(date +%s%N)
  awk -v t=$((end - start)) 'BEGIN { printf "%.1f\n", t / 1e6 }'
}

median() { sort -n | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }

ours=() theirs=()
for _ in $(seq "$runs"); do
  ours+=("$(time_ms "$bench" "$archive" "$corpus/Images")")
  grep -q "^$count photos" "$work/log" || { echo "production did not add all $count photos:" >&2; cat "$work/log" >&2; exit 1; }
  theirs+=("$(time_ms "$qipalbum" make --out "$work/out/Bench.Qip" --theme "$theme" --prepare "${photos[@]}")")
done
ours_ms=$(printf '%s\n' "${ours[@]}" | median)
theirs_ms=$(printf '%s\n' "${theirs[@]}" | median)

echo
echo "Album production, $count photos of $sizes, one CPU, median of $runs runs:"
printf '%-58s %10s\n' "tool" "ms"
printf '%-58s %10s\n' "Maker album production (MakerProductionBench)" "$ours_ms"
printf '%-58s %10s\n' "qipalbum make --theme birthday.lmx --prepare" "$theirs_ms"
echo "ratio (Maker / qipalbum): $(awk -v a="$ours_ms" -v b="$theirs_ms" 'BEGIN { printf "%.2f", a / b }')  (goal: at most 1.20)"
echo "all runs, Maker:    ${ours[*]}"
echo "all runs, qipalbum: ${theirs[*]}"
