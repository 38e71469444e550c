#!/bin/sh
# Writes the README's screenshots (docs/window-closed.png, docs/window-open.png)
# from a demo stick made of the test fixtures; the first row, which has a
# thumbnail, is selected. Needs a build in build/ and
# ImageMagick for the demo thumbnail.
set -eu
cd "$(dirname "$0")/.."
stick=$(mktemp -d)
trap 'rm -rf "$stick"' EXIT
videos="$stick/MP_ROOT/100MNV01"
mkdir -p "$videos" "$stick/MP_ROOT/101ANV01" "$stick/PSP/MUSIC" "$stick/PSP/PHOTO"
cp tests/data/psp-mp4/mpeg4.mp4 "$videos/M4V09997.MP4"
cp tests/data/psp-mp4/h264-jpn.mp4 "$videos/M4V09998.MP4"
cp tests/data/psp-mp4/h264.mp4 "$videos/M4V09999.MP4"
convert -size 160x120 gradient:'#3a6fd8-#9fd0ff' -fill '#f4d35e' -draw 'circle 120,30 132,30' \
  -fill '#2e7d32' -draw 'polygon 0,120 50,70 95,105 130,80 160,120' "jpeg:$videos/M4V09997.THM"
build/tools/render-window "$stick" docs
