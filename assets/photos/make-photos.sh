#!/usr/bin/env bash
# Regenerates the committed photographs in this folder from Debian's mate-backgrounds
# package: the Maker's sample photos (samples/, partner/) and the softened, tinted
# backdrops the screen backgrounds are drawn on (backdrops/). Needs mate-backgrounds and
# imagemagick; the build itself only reads the results.
#
#   assets/photos/make-photos.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
src=/usr/share/backgrounds/mate
command -v convert >/dev/null && convert -version 2>/dev/null | grep -q ImageMagick ||
  { echo "make-photos.sh needs imagemagick" >&2; exit 1; }
[ -d "$src/nature" ] || { echo "make-photos.sh needs mate-backgrounds" >&2; exit 1; }

# sample NAME SOURCE [GRAVITY] [CROP]: a photo fitted into 640 x 480, baseline JPEG.
# CROP (WxH+X+Y on the source) picks a detail of a large wallpaper first.
sample() {
  local out=$1 source=$2 gravity=${3:-center} crop=${4:-}
  local pre=()
  [ -n "$crop" ] && pre=(-crop "$crop" +repage)
  convert "$src/$source" "${pre[@]}" -gravity "$gravity" -resize 640x480^ -extent 640x480 \
    -strip -interlace none -sampling-factor 2x2 -quality 84 "$out"
}

# backdrop NAME SOURCE TINT: a blurred, lightened photograph washed with a tint colour.
backdrop() {
  local out=$1 source=$2 tint=$3
  convert "$src/$source" -resize 640x480^ -gravity center -extent 640x480 \
    -blur 0x9 -modulate 112,70 \( +clone -fill "$tint" -colorize 100 \) \
    -compose blend -define compose:args=38 -composite \
    -strip -interlace none -quality 82 "$out"
}

mkdir -p "$here/samples" "$here/partner" "$here/backdrops"
# The store brand's samples.
sample "$here/samples/0.jpg" nature/FreshFlower.jpg
sample "$here/samples/1.jpg" nature/GreenMeadow.jpg
sample "$here/samples/2.jpg" nature/LadyBird.jpg
sample "$here/samples/3.jpg" nature/Dune.jpg
sample "$here/samples/4.jpg" nature/YellowFlower.jpg
sample "$here/samples/5.jpg" nature/Storm.jpg
sample "$here/samples/6.jpg" nature/Aqua.jpg
# The partner brand's samples.
sample "$here/partner/0.jpg" nature/Garden.jpg
sample "$here/partner/1.jpg" nature/TwoWings.jpg
sample "$here/partner/2.jpg" nature/RainDrops.jpg
sample "$here/partner/3.jpg" nature/Wood.jpg
sample "$here/partner/4.jpg" nature/Storm.jpg center 960x720+700+300
sample "$here/partner/5.jpg" nature/Blinds.jpg
sample "$here/partner/6.jpg" nature/LadyBird.jpg center 1280x960+1100+400

# Backdrops of the screens and themes: soft enough that text and buttons stand on them.
backdrop "$here/backdrops/lilac.jpg" nature/FreshFlower.jpg '#c9b6e4'
backdrop "$here/backdrops/sky.jpg" nature/Aqua.jpg '#b9d3f0'
backdrop "$here/backdrops/meadow.jpg" nature/GreenMeadow.jpg '#d8ecc0'
backdrop "$here/backdrops/sand.jpg" nature/Dune.jpg '#f3dcc0'
backdrop "$here/backdrops/rose.jpg" nature/Garden.jpg '#f4c6d4'
backdrop "$here/backdrops/amber.jpg" nature/Wood.jpg '#f0b870'
backdrop "$here/backdrops/frost.jpg" nature/RainDrops.jpg '#dfe8f4'
backdrop "$here/backdrops/mint.jpg" nature/TwoWings.jpg '#cfeee4'
backdrop "$here/backdrops/blush.jpg" nature/YellowFlower.jpg '#fbe0d0'
