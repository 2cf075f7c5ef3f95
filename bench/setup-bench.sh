#!/bin/bash
# The setup's own install time (silent, from start-up to the engine's end, as its log
# reports it, and the part of it spent telling the desktop) beside extracting the same files
# from a makeself archive, and a second silent run over the identical install.
#   bench/setup-bench.sh [BUILD_DIR] [RUNS]
set -euo pipefail
build=${1:-build/normal}
runs=${2:-5}
if ! command -v makeself >/dev/null; then
  # The comparison tool is one of the build's packages.
  source "$(dirname "${BASH_SOURCE[0]}")/../tools/build-env.sh"
  lumora_install_packages
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export LUMORA_SETUP_QUIT_DELAY=0 LUMORA_HEADLESS=1
# The desktop's files of each install go to a private home.
export HOME="$work/home" XDG_DATA_HOME="$work/home/data" XDG_CONFIG_HOME="$work/home/config"

# Player-sized components, 8.4 MB in all, incompressible.
mkdir -p "$work/files"
declare -A sizes=([Lumora.exe]=2100000 [Lumora.scr]=2100000 [Lumorad.dll]=1500000 [mss32.dll]=400000
                  [mp3dec.asi]=100000 [Lumorad.xpb]=2000000 ["Uninstall Lumora Player.exe"]=100000 [QipCtrl.dll]=100000)
args=()
for name in "${!sizes[@]}"; do
  head -c "${sizes[$name]}" /dev/urandom > "$work/files/$name"
  args+=("$name=$work/files/$name@3.0.0.1")
done
icons=()
for size in 48 64 128; do
  icons+=("--root=player-$size.png=$build/setup/icon/player-$size.png")
done
"$build/setup/qipsetup-pack" "$work/qipsetup" "$build/setup/qipsetup-bare" "$build/assets/Setup" "${icons[@]}" "${args[@]}"
makeself --quiet --nox11 "$work/files" "$work/player.run" "Lumora Player" true >/dev/null

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
first=() second=() extract=() desktop=()
for ((i = 0; i < runs; ++i)); do
  export LUMORA_PREFIX="$work/prefix$i"
  "$work/qipsetup" -silent -log "$work/first$i.log"
  first+=("$(awk '/^engine/ {print $2}' "$work/first$i.log")")
  desktop+=("$(awk '/^desktop [0-9]/ {print $2}' "$work/first$i.log")")
  "$work/qipsetup" -silent -log "$work/second$i.log"
  second+=("$(awk '/^engine/ {print $2}' "$work/second$i.log")")
  rm -rf "$work/out$i"
  start=$(date +%s%N)
  "$work/player.run" --quiet --noexec --target "$work/out$i" >/dev/null
  end=$(date +%s%N)
  extract+=("$(awk -v ns=$((end - start)) 'BEGIN {printf "%.3f", ns / 1e6}')")
done
printf 'files: %s bytes in 8 components, %d runs (medians)\n' "$(du -cb "$work/files"/* | tail -1 | cut -f1)" "$runs"
printf 'qipsetup -silent, empty folder:       %s ms\n' "$(printf '%s\n' "${first[@]}" | median)"
printf '  of which telling the desktop:       %s ms\n' "$(printf '%s\n' "${desktop[@]}" | median)"
printf '  the rest (files, registry, links):  %s ms\n' "$(for ((i = 0; i < runs; ++i)); do
  awk -v a="${first[$i]}" -v b="${desktop[$i]}" 'BEGIN {printf "%.3f\n", a - b}'; done | median)"
printf 'qipsetup -silent, identical install:  %s ms\n' "$(printf '%s\n' "${second[@]}" | median)"
printf 'makeself extraction (--noexec):       %s ms\n' "$(printf '%s\n' "${extract[@]}" | median)"
printf 'load average at the end: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
