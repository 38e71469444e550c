#!/bin/sh
# Writes the TIFF fixtures with Pillow, libtiff's tiffcp and ImageMagick, and
# beside each X.tif the picture libtiff itself reads from it (tiff2rgba),
# as X.ppm; and an EPS file with a TIFF preview. Needs python3-pil (for /usr/bin/python3), libtiff-tools and
# imagemagick.
set -eu
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
. ./libtiff-reference.sh

/usr/bin/python3 - "$tmp" <<'PY'
import sys
from PIL import Image
tmp = sys.argv[1]
w, h = 37, 21   # odd sizes: rows end in part-used bytes
rgb = Image.new("RGB", (w, h))
rgb.putdata([((x * 7) % 256, (y * 12) % 256, (x * y * 3) % 256) for y in range(h) for x in range(w)])
rgb.save(f"{tmp}/rgb.tif")
rgb.save("rgb-plain.tif")
rgba = rgb.copy()
rgba.putalpha(255)
rgba.save("rgba-plain.tif")
rgb.convert("L").save(f"{tmp}/grey.tif")
rgb.convert("L").save("grey-plain.tif")
rgb.convert("1").save(f"{tmp}/bilevel.tif")
rgb.convert("P", palette=Image.ADAPTIVE, colors=200).save("palette-plain.tif")
rgb.convert("CMYK").save("cmyk-plain.tif")
rgb.save("rgb-packbits-pil.tif", compression="packbits")
PY

tiffcp -B "$tmp/rgb.tif" rgb-bigendian.tif
tiffcp -c packbits -r 4 "$tmp/rgb.tif" rgb-packbits-strips.tif
tiffcp -p separate "$tmp/rgb.tif" rgb-separate.tif
tiffcp -c zip -r 6 "$tmp/rgb.tif" rgb-deflate.tif
tiffcp -c zip:2 -r 6 "$tmp/rgb.tif" rgb-deflate-predictor.tif
tiffcp -c zip:2 -p separate "$tmp/rgb.tif" rgb-deflate-predictor-separate.tif
/usr/bin/convert "$tmp/rgb.tif" -depth 16 -endian MSB -compress zip -define tiff:predictor=2 rgb16-deflate-predictor-bigendian.tif
tiffcp -c jpeg:90 -r 16 "$tmp/rgb.tif" rgb-jpeg-ycbcr.tif
tiffcp -c jpeg:90 -r 8 "$tmp/grey.tif" grey-jpeg.tif
tiffcp -c g3 -r 5 "$tmp/bilevel.tif" bilevel-g3.tif
tiffcp -c g3:fill -f lsb2msb "$tmp/bilevel.tif" bilevel-g3-fill-lsb.tif
tiffcp -f lsb2msb -c packbits "$tmp/bilevel.tif" bilevel-packbits-lsb.tif
/usr/bin/convert "$tmp/rgb.tif" -depth 16 -endian MSB -compress none rgb16-bigendian.tif
/usr/bin/convert "$tmp/rgb.tif" -depth 16 -endian LSB -compress none rgb16-littleendian.tif
/usr/bin/convert "$tmp/grey.tif" -depth 4 -compress none grey4.tif
/usr/bin/convert "$tmp/grey.tif" -depth 2 -compress none grey2.tif
/usr/bin/convert "$tmp/grey.tif" -define quantum:polarity=min-is-white -compress none grey-minwhite.tif
/usr/bin/convert "$tmp/bilevel.tif" -compress Fax bilevel-g3-magick.tif

# An EPS file with a TIFF preview of rgb-plain's picture (quantized by the
# writer); the preview's own reading by libtiff is preview.ppm.
/usr/bin/convert rgb-plain.tif ept2:preview.eps
/usr/bin/python3 - "$tmp/preview.tif" <<'PY'
import struct, sys
data = open("preview.eps", "rb").read()
offset, length = struct.unpack_from("<II", data, 20)
open(sys.argv[1], "wb").write(data[offset:offset + length])
PY
libtiff_reference "$tmp/preview.tif" preview.ppm RGB

for f in *.tif; do
  libtiff_reference "$f" "${f%.tif}.ppm" RGB
done
