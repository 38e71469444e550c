#!/bin/sh
# Pictures of the thumbnail tests and the thumbnail benchmark. Needs
# ImageMagick and Pillow (/usr/bin/python3). Run in this folder.
set -e

# A video's .THM sidecar as the device writes it: 160 x 120 JPEG.
convert -size 160x120 gradient:red-blue -quality 90 thumb-160x120.jpg
# A portrait photo, large enough for a reduced-scale decode.
convert -seed 3 -size 1200x1600 plasma:fractal -quality 70 portrait-1200x1600.jpg
# A 12-megapixel camera photo for the benchmark.
convert -seed 7 -size 4000x3000 plasma:fractal -blur 0x1 -quality 85 photo-12mp.jpg

/usr/bin/python3 - <<'PY'
import struct
from PIL import Image

# Pictures that are not JPEG: PNG and Targa read by their content, BMP by
# its extension only.
picture = Image.new("RGB", (64, 48), (0, 128, 255))
for x in range(32):
    for y in range(48):
        picture.putpixel((x, y), (255, 64, 0))
picture.save("picture.png")
picture.save("picture.tga")
# Content detection wants a colour map entry size even without a map.
targa = bytearray(open("picture.tga", "rb").read())
targa[7] = 24
open("picture.tga", "wb").write(targa)
picture.resize((40, 30)).save("picture.bmp")

def bmp(width, height, bits, pixels, compression=0, masks=b""):
    header_size = 40 + len(masks)
    offset = 14 + header_size
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression,
                       len(pixels), 2835, 2835, 0, 0)
    return (b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset)
            + info + masks + pixels)

# 32 bits per pixel whose fourth byte is 0 throughout: drawn opaque.
rows = b"".join(bytes([0, 255, 0, 0]) * 4 for _ in range(4))  # blue, green, red, 0
open("green-alpha0.bmp", "wb").write(bmp(4, 4, 32, rows))
# A header that announces no pixels at all.
open("zero-width.bmp", "wb").write(bmp(0, 16, 24, b""))
PY
