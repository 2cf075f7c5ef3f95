#!/usr/bin/env bash
# Photo preparation (qipalbum make --prepare) beside vipsthumbnail and ImageMagick on a corpus
# of 12- to 24-megapixel JPEGs, every tool given the whole set in one process. Prints the
# median milliseconds per photo over the runs and each tool's time as a ratio to ours.
# Usage: bench/compare-photos.sh [BUILD_FOLDER]   (default build/normal)
# LUMORA_BENCH_RUNS sets the runs per tool (default 5).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/normal}
qipalbum="$build/bin/qipalbum"
runs=${LUMORA_BENCH_RUNS:-5}
corpus="$build/photo-corpus"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The corpus: the sample photos blown up to camera sizes, with grain so that they compress
# like real photos rather than like smooth gradients. Made once per build folder.
sizes=(4000x3000 4608x3456 5184x3888 6000x4000)
if [ ! -f "$corpus/.complete" ]; then
  echo "making the corpus in $corpus ..." >&2
  rm -rf "$corpus"
  mkdir -p "$corpus"
  n=0
  for photo in "$root"/assets/sample-photos/*.jpg; do
    for size in "${sizes[@]}"; do
      n=$((n + 1))
      out=$(printf '%s/photo%02d.jpg' "$corpus" "$n")
      rotate=0
      [ $((n % 4)) -eq 0 ] && rotate=90
      /usr/bin/convert "$photo" -resize "$size!" -rotate "$rotate" -attenuate 0.5 +noise Gaussian \
        -sampling-factor 2x2 -quality 92 "$out"
    done
  done
  touch "$corpus/.complete"
fi
photos=("$corpus"/photo*.jpg)
count=${#photos[@]}
megapixels=$(identify -ping -format '%w %h\n' "${photos[@]}" | awk '{ s += $1 * $2 } END { printf "%.1f", s / NR / 1e6 }')

# Median over the runs of the wall-clock milliseconds per photo of a command.
median_ms() {
  local times=() start end
  for _ in $(seq "$runs"); do
    rm -rf "$work/out"
    mkdir -p "$work/out"
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    times+=("$(awk -v t=$((end - start)) -v n="$count" 'BEGIN { printf "%.1f", t / 1e6 / n }')")
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'
}

ours=$(median_ms "$qipalbum" make --out "$work/out/Bench.Qip" --no-theme --prepare "${photos[@]}")
vips=$(median_ms vipsthumbnail "${photos[@]}" --size 640x480 -o "$work/out/%s.jpg[Q=90]")
# mogrify is ImageMagick's convert for a set of files in one process.
magick=$(median_ms /usr/bin/mogrify -path "$work/out" -resize 640x480 -quality 90 "${photos[@]}")
# The library's own floor: decoding at the same scale and encoding, one pair of processes per photo.
floor_one() {
  local photo
  for photo in "${photos[@]}"; do
    read -r w h < <(identify -ping -format '%w %h' "$photo")
    # The fitted size (width first, then height), then the smallest decode that covers it.
    read -r fw fh < <(awk -v w="$w" -v h="$h" 'BEGIN { if (w > 640) { h = int(h * 640 / w); w = 640 }
                                                      if (h > 480) { w = int(w * 480 / h); h = 480 }; print w, h }')
    local scale=1 s
    for s in 8 4 2; do
      if [ $(((w + s - 1) / s)) -ge "$fw" ] && [ $(((h + s - 1) / s)) -ge "$fh" ]; then scale=$s; break; fi
    done
    djpeg -scale "1/$scale" "$photo" | cjpeg -quality 90 >"$work/out/$(basename "$photo")"
  done
}
floor=$(median_ms floor_one)

echo
echo "Photo preparation, $count photos of $megapixels megapixels on average, median of $runs runs:"
printf '%-44s %12s %10s\n' "tool" "ms / photo" "ratio"
row() { printf '%-44s %12s %10s\n' "$1" "$2" "$(awk -v a="$2" -v b="$ours" 'BEGIN { printf "%.2f", a / b }')"; }
row "qipalbum make --prepare" "$ours"
row "vipsthumbnail --size 640x480 Q=90" "$vips"
row "ImageMagick -resize 640x480 -quality 90" "$magick"
row "djpeg -scale 1/N | cjpeg -quality 90 (floor)" "$floor"
echo "(the first three get the whole set in one process; the floor runs two processes a photo)"
echo "(ratio: the tool's time divided by qipalbum's; above 1 is slower than qipalbum)"
