#!/bin/sh
# Writes the fixtures of tiled TIFF files and of extra samples (alpha) with
# libtiff's tiffcp, ImageMagick and Pillow, and beside each X.tif the picture
# libtiff itself reads from it (tiff2rgba): its colour as X.ppm and, for
# pictures with alpha, its alpha as X.alpha.pgm. tiff2rgba premultiplies
# colour by alpha, so colour is only comparable where alpha is 255. The
# picture is 50 x 37, so the tiles of 16 x 16 at the right and bottom edges
# are partial. Needs python3-pil (for /usr/bin/python3), libtiff-tools and
# imagemagick.
set -eu
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

/usr/bin/python3 - "$tmp" <<'PY'
import sys
from PIL import Image
tmp = sys.argv[1]
w, h = 50, 37
rgb = Image.new("RGB", (w, h))
rgb.putdata([((x * 5) % 256, (y * 7) % 256, (x * y * 3) % 256) for y in range(h) for x in range(w)])
rgb.save(f"{tmp}/rgb.tif")
rgb.convert("L").save(f"{tmp}/grey.tif")
rgb.convert("1").save(f"{tmp}/bilevel.tif")
# Opaque, clear and partly covered pixels side by side.
alpha = Image.new("L", (w, h))
alpha.putdata([255 if (x + y) % 3 else (x * 9 + y * 4) % 256 for y in range(h) for x in range(w)])
rgba = rgb.copy()
rgba.putalpha(alpha)
rgba.save(f"{tmp}/rgba.png")
rgba.save("rgba-unassociated.tif")
PY

tile="-t -w 16 -l 16"
tiffcp $tile "$tmp/rgb.tif" tiled-rgb-plain.tif
tiffcp $tile -c packbits "$tmp/rgb.tif" tiled-rgb-packbits.tif
tiffcp $tile -c zip:2 "$tmp/rgb.tif" tiled-rgb-deflate-predictor.tif
tiffcp $tile -c jpeg:90 "$tmp/rgb.tif" tiled-rgb-jpeg-ycbcr.tif
tiffcp $tile -p separate "$tmp/rgb.tif" tiled-rgb-separate.tif
tiffcp $tile -c zip:2 -p separate "$tmp/rgb.tif" tiled-rgb-deflate-predictor-separate.tif
tiffcp $tile -c jpeg:90 "$tmp/grey.tif" tiled-grey-jpeg.tif
tiffcp $tile -c g3 "$tmp/bilevel.tif" tiled-bilevel-g3.tif
tiffcp $tile -c packbits "$tmp/bilevel.tif" tiled-bilevel-packbits.tif
tiffcp $tile "rgba-unassociated.tif" tiled-rgba-unassociated.tif

magick_tile="-define tiff:tile-geometry=16x16"
/usr/bin/convert "$tmp/rgb.tif" $magick_tile -compress zip tiled-rgb-deflate-magick.tif
/usr/bin/convert "$tmp/rgb.tif" $magick_tile -depth 16 -endian MSB -compress zip -define tiff:predictor=2 \
  tiled-rgb16-deflate-predictor-bigendian.tif
/usr/bin/convert "$tmp/grey.tif" $magick_tile -depth 4 -compress none tiled-grey4-magick.tif
/usr/bin/convert "$tmp/rgba.png" -define tiff:alpha=associated -compress none rgba-associated.tif
/usr/bin/convert "$tmp/rgba.png" $magick_tile -define tiff:alpha=associated -compress zip tiled-rgba-associated.tif
tiffcp $tile -p separate rgba-associated.tif tiled-rgba-associated-separate.tif
/usr/bin/convert "$tmp/rgba.png" -colorspace cmyk -compress none cmyka.tif
tiffcp $tile -c zip:2 cmyka.tif tiled-cmyka-deflate-predictor.tif

for f in tiled-*.tif rgba-unassociated.tif rgba-associated.tif cmyka.tif; do
  tiff2rgba "$f" "$tmp/ref.tif"
  /usr/bin/python3 - "$tmp/ref.tif" "${f%.tif}" <<'PY'
import sys
from PIL import Image
reference = Image.open(sys.argv[1])
reference.convert("RGB").save(sys.argv[2] + ".ppm")
if sys.argv[2].startswith(("rgba", "tiled-rgba", "cmyka", "tiled-cmyka")):
    reference.getchannel("A").save(sys.argv[2] + ".alpha.pgm")
PY
done
