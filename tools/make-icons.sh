#!/bin/sh
# Renders the program's icon, data/icons/vidlark.svg, into the PNG sizes the
# hicolor theme installs (data/icons/vidlark-SIZE.png). Needs rsvg-convert
# (librsvg2-bin); the PNGs are committed, so building needs neither.
set -eu
cd "$(dirname "$0")/../data/icons"
for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" vidlark.svg -o "vidlark-$size.png"
done
