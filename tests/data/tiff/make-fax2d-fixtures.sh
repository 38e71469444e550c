#!/bin/sh
# Writes the two-dimensional fax fixtures (group 3 2-D and group 4) with
# libtiff's tiffcp and fax2tiff, ImageMagick and Pillow, and beside each
# fax2d-X.tif the picture libtiff itself reads from it (tiff2rgba), as
# fax2d-X.pgm. Needs python3-pil (for /usr/bin/python3), libtiff-tools and
# imagemagick.
set -eu
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
. ./libtiff-reference.sh

# A page of 61 x 40 pixels (rows end in part-used bytes): a circle and a
# slanted line, whose edges move a pixel or more from row to row (vertical
# and pass modes), text and noise (horizontal mode), black at both edges.
/usr/bin/python3 - "$tmp" <<'PY'
import random, sys
from PIL import Image, ImageDraw
tmp = sys.argv[1]
w, h = 61, 40
page = Image.new("1", (w, h), 1)
draw = ImageDraw.Draw(page)
draw.ellipse((4, 2, 42, 30), outline=0, width=2)
draw.line((0, h - 1, w - 1, 0), fill=0)
draw.text((9, 10), "Fax 2D", fill=0)
draw.rectangle((0, 33, 5, 39), fill=0)
draw.rectangle((52, 20, w - 1, 27), fill=0)
random.seed(16)
for y in range(32, 40):
    for x in range(20, 50):
        page.putpixel((x, y), random.getrandbits(1))
page.save(f"{tmp}/page.tif")
page.save("fax2d-g4-pil.tif", compression="group4")
PY

tiffcp -c g3:2d -r 16 "$tmp/page.tif" fax2d-g3-2d.tif
tiffcp -c g3:2d:fill "$tmp/page.tif" fax2d-g3-2d-fill.tif
tiffcp -c g3:2d:fill -f lsb2msb -r 24 "$tmp/page.tif" fax2d-g3-2d-fill-lsb.tif
tiffcp -c g4 -r 16 "$tmp/page.tif" fax2d-g4.tif
tiffcp -c g4 -f lsb2msb "$tmp/page.tif" fax2d-g4-lsb.tif
/usr/bin/convert "$tmp/page.tif" -compress Group4 fax2d-g4-magick.tif
/usr/bin/convert "$tmp/page.tif" -compress Group4 -define tiff:fill-order=lsb \
  fax2d-g4-magick-lsb.tif

# fax2tiff reads a raw group 3 2-D stream (the one strip of a tiffcp file)
# and writes it again as 2-D with byte-aligned end-of-line codes, first bit
# lowest, and as group 4.
tiffcp -c g3:2d -r 1000 "$tmp/page.tif" "$tmp/one-strip.tif"
/usr/bin/python3 - "$tmp/one-strip.tif" "$tmp/page.g3" <<'PY'
import sys
from PIL import Image
page = Image.open(sys.argv[1])
offset, count = page.tag_v2[273][0], page.tag_v2[279][0]
data = open(sys.argv[1], "rb").read()
open(sys.argv[2], "wb").write(data[offset:offset + count])
PY
fax2tiff -2 -M -X 61 -6 -a -o fax2d-fax2tiff-lsb.tif "$tmp/page.g3"
fax2tiff -2 -M -X 61 -8 -m -o fax2d-fax2tiff-g4.tif "$tmp/page.g3"
# T6Options: uncompressed mode allowed (the data hold none).
tiffset -s 293 2 fax2d-fax2tiff-g4.tif

for f in fax2d-*.tif; do
  libtiff_reference "$f" "${f%.tif}.pgm" L
done
