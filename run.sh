#!/usr/bin/env bash
# Sets up and builds everything, then runs the project's main job.
set -euo pipefail
source "$(dirname "$0")/tools/build-env.sh"
cd "$LUMORA_ROOT"

lumora_install_packages
lumora_configure build/normal -DLUMORA_WERROR=ON
lumora_build build/normal
lumora_link_bin

# The main job so far: an album from the shipped sample photos, made through the builder
# library into the prefix's albums folder, and what it holds.
prefix=${LUMORA_PREFIX:-${XDG_DATA_HOME:-$HOME/.local/share}/lumora}
mkdir -p "$prefix/albums"
album="$prefix/albums/Sample.Qip"
# Full-size photos as a camera makes them (5120 x 3840), grown from the small samples by
# doubling their size five times in the decoder; the album gets them prepared to 640 x 480.
photos="$prefix/sample-photos"
mkdir -p "$photos"
for sample in assets/sample-photos/*.jpg; do
  large="$photos/$(basename "$sample")"
  cp "$sample" "$large.tmp"
  for _ in 1 2 3 4 5; do
    djpeg -scale 16/8 "$large.tmp" | cjpeg -quality 92 >"$large.next"
    mv "$large.next" "$large.tmp"
  done
  mv "$large.tmp" "$large"
done
echo
echo "Building $album from full-size copies of assets/sample-photos in $photos:"
build/bin/qipalbum make --out "$album" --no-theme --prepare --string "NAME=Sample album" \
  --caption "Lumora sample//made by run.sh//" "$photos"/*.jpg
echo
build/bin/qipalbum info "$album"

echo
echo "Tools (in build/bin):"
for tool in build/bin/*; do
  [ -f "$tool" ] && [ -x "$tool" ] && echo "  $(basename "$tool")"
done

echo
echo "Assets (build/normal): Data/Qip.xpb $(stat -c %s build/normal/Data/Qip.xpb) bytes, $(tail -n 1 build/normal/assets/work/Qip-check.txt)"
echo "  themes in build/normal/assets/Qip/LMx, the setup's art in build/normal/assets/Setup, screens in build/normal/contact-sheets"

# Lumora Maker from its disc image (build/normal/disc). With a display it opens there; without
# one it is walked in a private X display with real clicks, and the screenshots of its
# screens and the album it made are listed.
echo
disc=build/normal/disc
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "Opening Lumora Maker from $disc (albums go to the prefix $prefix)"
  LUMORA_PREFIX="$prefix" "$disc/lumora-maker"
else
  walk="$prefix/maker-walk"
  rm -rf "$walk"
  echo "No display: walking Lumora Maker from $disc under Xvfb (welcome, player installation, no disc,"
  echo "the samples, the Birthday theme, the album, the play screen); screenshots in $walk/shots"
  tools/with-xvfb.sh python3 maker/tool/maker-walk.py "$disc" "$walk" --theme birthday \
    --player build/normal/bin/lumora-player
  echo "Every screen as the headless tests compose it: build/normal/maker-screens (ctest -R Maker)"
fi
