#!/bin/sh
# Writes the LZW fixtures with libtiff's tiffcp, ImageMagick and Pillow, and
# beside each X.tif the picture libtiff itself reads from it (tiff2rgba), as
# X.ppm. The picture is 64 x 48, smooth with noisy blocks, so the strips of
# plain LZW fill the code table and clear it on the way. Needs python3-pil
# (for /usr/bin/python3), libtiff-tools and imagemagick.
set -eu
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
. ./libtiff-reference.sh

/usr/bin/python3 - "$tmp" <<'PY'
import random, sys
from PIL import Image
tmp = sys.argv[1]
random.seed(16)
w, h = 64, 48
def pixel(x, y):
    if (x // 16 + y // 12) % 4 == 0:
        return (random.randrange(256), random.randrange(256), random.randrange(256))
    return ((x * 4) % 256, (y * 5) % 256, ((x + y) * 3) % 256)
rgb = Image.new("RGB", (w, h))
rgb.putdata([pixel(x, y) for y in range(h) for x in range(w)])
rgb.save(f"{tmp}/rgb.tif")
rgb.convert("L").save(f"{tmp}/grey.tif")
rgb.convert("L").save("grey-lzw-pil.tif", compression="tiff_lzw")
rgb.convert("P", palette=Image.ADAPTIVE, colors=64).convert("RGB").save(f"{tmp}/64colours.tif")
PY

tiffcp -c lzw "$tmp/rgb.tif" rgb-lzw.tif
tiffcp -c lzw:2 -r 16 "$tmp/rgb.tif" rgb-lzw-predictor.tif
tiffcp -c lzw:2 -p separate "$tmp/rgb.tif" rgb-lzw-predictor-separate.tif
tiffcp -c lzw:2 "$tmp/grey.tif" grey-lzw-predictor.tif
tiffcp -c lzw:2 -f lsb2msb "$tmp/rgb.tif" rgb-lzw-predictor-lsb.tif
# A colour map of 8-bit levels times 257, which every reader takes back to
# the same 8 bits: ImageMagick keeps the 64 colours as they are.
/usr/bin/convert "$tmp/64colours.tif" -type Palette -compress none "$tmp/palette.tif"
tiffcp -c lzw:2 "$tmp/palette.tif" palette-lzw-predictor.tif
/usr/bin/convert "$tmp/rgb.tif" -depth 16 -endian LSB -compress none "$tmp/rgb16.tif"
tiffcp -c lzw:2 "$tmp/rgb16.tif" rgb16-lzw-predictor.tif
tiffcp -B -c lzw:2 "$tmp/rgb16.tif" rgb16-lzw-predictor-bigendian.tif
/usr/bin/convert "$tmp/rgb.tif" -compress LZW -define tiff:predictor=2 rgb-lzw-predictor-magick.tif

for f in *lzw*.tif; do
  libtiff_reference "$f" "${f%.tif}.ppm" RGB
done
