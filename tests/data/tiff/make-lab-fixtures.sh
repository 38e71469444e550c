#!/bin/sh
# Writes the CIE L*a*b* TIFF fixtures and their references. The files end in
# .tiff so that make-fixtures.sh, which rewrites X.ppm for every X.tif with
# tiff2rgba, leaves them alone.
#   lab-magick8.tiff           ImageMagick, 8 bits, white point D65 (tagged)
#   lab-magick8-separate.tiff  the same in separate planes (tiffcp)
#   lab-magick16.tiff          ImageMagick, 16 bits, made big-endian and deflated by tiffcp
#   lab-pillow8.tiff           Pillow, 8 bits, D50 (no white point tag)
# X.tiff2rgba.ppm is libtiff's own reading of X (tiff2rgba, which cannot
# read Lab in separate planes: that file shows what lab-magick8 shows). The
# Pillow file's white is D50, which tiff2rgba does not adapt, so it also has
# X.lcms.ppm, Little CMS's reading (tificc, exact pipeline, D50 Lab to sRGB).
# Needs python3-pil (for /usr/bin/python3), imagemagick, libtiff-tools and
# liblcms2-utils.
set -eu
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# 48 x 32: a grey ramp, then every hue at full saturation from bright to
# dark, then paler and paler at two brightnesses.
/usr/bin/python3 - "$tmp/source.ppm" <<'PY'
import colorsys, sys
from PIL import Image
w, h = 48, 32
pixels = []
for y in range(h):
    for x in range(w):
        if y < 3:
            v = round(x * 255 / (w - 1))
            pixels.append((v, v, v))
            continue
        t = (y - 3) / (h - 4)
        if t < 0.5:
            s, v = 1.0, 1.0 - 1.8 * t
        else:
            s, v = 1.0 - 1.6 * (t - 0.5), (1.0 if y % 2 else 0.55)
        r, g, b = colorsys.hsv_to_rgb(x / w, s, v)
        pixels.append((round(r * 255), round(g * 255), round(b * 255)))
image = Image.new("RGB", (w, h))
image.putdata(pixels)
image.save(sys.argv[1])
PY

/usr/bin/convert "$tmp/source.ppm" -colorspace Lab -depth 8 -compress none lab-magick8.tiff
tiffcp -p separate lab-magick8.tiff lab-magick8-separate.tiff
# ImageMagick writes its own byte order whatever -endian says.
/usr/bin/convert "$tmp/source.ppm" -colorspace Lab -depth 16 "$tmp/lab16.tif"
tiffcp -B -c zip "$tmp/lab16.tif" lab-magick16.tiff
# Without the Lab profile Pillow attaches, which carries the time it was made.
/usr/bin/python3 - "$tmp/source.ppm" lab-pillow8.tiff <<'PY'
import sys
from PIL import Image
lab = Image.open(sys.argv[1]).convert("LAB")
lab.info.pop("icc_profile", None)
lab.save(sys.argv[2])
PY

to_ppm() {
  /usr/bin/python3 -c "import sys; from PIL import Image; Image.open(sys.argv[1]).convert('RGB').save(sys.argv[2])" "$1" "$2"
}
for f in lab-magick8.tiff lab-magick16.tiff lab-pillow8.tiff; do
  tiff2rgba "$f" "$tmp/ref.tif"
  to_ppm "$tmp/ref.tif" "${f%.tiff}.tiff2rgba.ppm"
done
tificc -c0 -n '-i*Lab' '-o*sRGB' lab-pillow8.tiff "$tmp/lcms.tif"
to_ppm "$tmp/lcms.tif" lab-pillow8.lcms.ppm
