#!/bin/sh
# Makes the PNG fixtures and their references. Writers: ImageMagick
# (im-*), netpbm's pnmtopng, which writes through libpng (lp-*), Pillow
# (pil-*) and edit-chunks.py (ed-*, chunks of an lp- file rearranged).
# Each NAME.png gets NAME.pam: libpng's own decoding (pngtopam -alphapam),
# the reference the tests compare with pixel by pixel.
#
#   sh make-fixtures.sh   (needs imagemagick, netpbm, python3-pil)
set -eu
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Sources: 64 x 48 colour and grey pictures with gradients, edges and
# noise, so that every filter has work; grey at maxval 1, 3, 15, 255 and
# 65535 gives pnmtopng's 1-, 2-, 4-, 8- and 16-bit grey; few colours give
# its palettes.
/usr/bin/python3 - "$tmp" <<'PY'
import random, sys
d = sys.argv[1]
random.seed(14)
W, H = 64, 48
def level(x, y, c):
    v = (x * 4 + y * 2 + c * 60) % 256
    if (x // 16 + y // 12) % 2:
        v = 255 - v
    return max(0, min(255, v + random.randint(-6, 6)))
def write(name, magic, maxval, pixels):
    with open(f"{d}/{name}", "wb") as f:
        f.write(f"{magic}\n{W} {H}\n{maxval}\n".encode())
        for v in pixels:
            f.write(v.to_bytes(2 if maxval > 255 else 1, "big"))
rgb = [level(x, y, c) for y in range(H) for x in range(W) for c in range(3)]
write("rgb.ppm", "P6", 255, rgb)
write("rgb16.ppm", "P6", 65535, [min(65535, v * 257 + x % 7) for x, v in enumerate(rgb)])
grey = [level(x, y, 1) for y in range(H) for x in range(W)]
for maxval, name in ((1, "g1"), (3, "g2"), (15, "g4"), (255, "g8")):
    write(f"{name}.pgm", "P5", maxval, [v * maxval // 255 for v in grey])
write("g16.pgm", "P5", 65535, [min(65535, v * 257 + x % 5) for x, v in enumerate(grey)])
alpha = [(x * 5 + y * 3) % 256 for y in range(H) for x in range(W)]
write("alpha.pgm", "P5", 255, alpha)
for colours, name in ((2, "p1"), (4, "p2"), (16, "p4"), (200, "p8")):
    palette = [(i * 37 % 256, i * 91 % 256, i * 53 % 256) for i in range(colours)]
    write(f"{name}.ppm", "P6", 255, [c for y in range(H) for x in range(W)
                                    for c in palette[(x // 4 + y // 3 * 5 + (x * y) % 3) % colours]])
with open(f"{d}/dot.pgm", "wb") as f:
    f.write(b"P5\n1 1\n255\n\x80")
PY

# libpng through pnmtopng: every colour type and depth, plain and Adam7,
# each filter type, gamma, background, transparent colour, text.
pnmtopng "$tmp/rgb.ppm" > lp-rgb8.png
pnmtopng -interlace "$tmp/rgb.ppm" > lp-rgb8-adam7.png
pnmtopng "$tmp/rgb16.ppm" > lp-rgb16.png
pnmtopng -interlace "$tmp/rgb16.ppm" > lp-rgb16-adam7.png
for g in g1 g2 g4 g8 g16; do
  pnmtopng "$tmp/$g.pgm" > "lp-grey-$g.png"
  pnmtopng -interlace "$tmp/$g.pgm" > "lp-grey-$g-adam7.png"
done
for p in p1 p2 p4 p8; do
  pnmtopng "$tmp/$p.ppm" > "lp-palette-$p.png"
  pnmtopng -interlace "$tmp/$p.ppm" > "lp-palette-$p-adam7.png"
done
pnmtopng -alpha "$tmp/alpha.pgm" "$tmp/rgb.ppm" > lp-rgba8.png
pnmtopng -interlace -alpha "$tmp/alpha.pgm" "$tmp/rgb.ppm" > lp-rgba8-adam7.png
pnmtopng -alpha "$tmp/alpha.pgm" "$tmp/g8.pgm" > lp-greyalpha8.png
for f in nofilter sub up avg paeth; do
  pnmtopng "-$f" "$tmp/rgb.ppm" > "lp-filter-$f.png"
done
pnmtopng -interlace "$tmp/dot.pgm" > lp-dot-adam7.png
pnmtopng -gamma 1.0 "$tmp/rgb.ppm" > lp-gamma-1.png
pnmtopng -gamma 0.45455 -background rgb:20/40/60 "$tmp/rgb.ppm" > lp-gamma-045455.png
pnmtopng -transparent rgb:00/00/00 -background rgb:ff/00/00 "$tmp/rgb.ppm" > lp-trns-rgb.png
pnmtopng -transparent rgb:55/55/55 -background rgb:aa/aa/aa "$tmp/g2.pgm" > lp-trns-grey2.png
pnmtopng -compression 0 "$tmp/rgb.ppm" > lp-stored.png
printf 'Title Vidlark fixture\nComment written before the image data\n' > "$tmp/text"
pnmtopng -text "$tmp/text" "$tmp/rgb.ppm" > lp-text.png

# ImageMagick.
convert "$tmp/rgb.ppm" PNG24:im-rgb8.png
convert "$tmp/rgb.ppm" "$tmp/alpha.pgm" -alpha off -compose CopyOpacity -composite PNG32:im-rgba8.png
convert "$tmp/rgb16.ppm" -interlace PNG -define png:bit-depth=16 PNG48:im-rgb16-adam7.png
convert "$tmp/g8.pgm" -define png:color-type=0 im-grey8.png
convert "$tmp/p8.ppm" PNG8:im-palette8.png

# Pillow.
/usr/bin/python3 - "$tmp" <<'PY'
import sys
from PIL import Image
d = sys.argv[1]
rgb = Image.open(f"{d}/rgb.ppm")
rgb.save("pil-rgb8.png")
rgba = rgb.copy(); rgba.putalpha(Image.open(f"{d}/alpha.pgm")); rgba.save("pil-rgba8.png")
la = Image.open(f"{d}/g8.pgm").convert("L"); la.putalpha(Image.open(f"{d}/alpha.pgm")); la.save("pil-greyalpha8.png")
Image.open(f"{d}/p8.ppm").convert("P", palette=Image.ADAPTIVE, colors=200).save("pil-palette8.png")
Image.open(f"{d}/g1.pgm").convert("1").save("pil-grey1.png")
PY

# Chunks rearranged: the image data in 1-byte IDAT chunks, and a text chunk
# after the image data.
/usr/bin/python3 edit-chunks.py split lp-grey-g4-adam7.png ed-idat-1byte.png
/usr/bin/python3 edit-chunks.py text-after lp-rgb8-adam7.png ed-text-after.png

for f in *.png; do
  pngtopam -alphapam "$f" > "${f%.png}.pam"
done
