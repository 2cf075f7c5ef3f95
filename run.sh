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
echo
echo "Building $album from assets/sample-photos:"
build/bin/qipalbum make --out "$album" --no-theme --string "NAME=Sample album" \
  --caption "Lumora sample//made by run.sh//" assets/sample-photos/*.jpg
echo
build/bin/qipalbum info "$album"

echo
echo "Tools (in build/bin):"
for tool in build/bin/*; do
  [ -f "$tool" ] && [ -x "$tool" ] && echo "  $(basename "$tool")"
done
