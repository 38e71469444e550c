#!/usr/bin/python3
"""Writes the BMP, ICO and JPEG fixtures of the imaging tests with Pillow and
ImageMagick, plus the references (PPM/PGM) they are compared against.
Run with the system Python: /usr/bin/python3 make-fixtures.py (in this folder).
Files the tools cannot write (RLE4, top-down rows, masked and PNG icons) are
assembled here byte by byte."""

import io
import struct
import subprocess

from PIL import Image

W, H = 13, 7  # odd width: every row needs padding


def pattern():
    im = Image.new('RGB', (W, H))
    for y in range(H):
        for x in range(W):
            im.putpixel((x, y), ((x * 19 + y * 7) % 256, (x * 5 + y * 31) % 256, (x * y * 11 + 40) % 256))
    return im


def palette16():
    return [(i * 16, 255 - i * 16, (i * 37) % 256) for i in range(16)]


def indices16():
    return [[(x + 2 * y) % 16 for x in range(W)] for y in range(H)]


def pattern16():
    pal = palette16()
    im = Image.new('RGB', (W, H))
    for y, row in enumerate(indices16()):
        for x, i in enumerate(row):
            im.putpixel((x, y), pal[i])
    return im


def alpha_pattern():
    a = Image.new('L', (W, H))
    for y in range(H):
        for x in range(W):
            a.putpixel((x, y), (x * 20 + y * 3) % 256)
    return a


def gradient():
    # Smooth, so JPEG keeps it within a few levels.
    im = Image.new('RGB', (48, 32))
    for y in range(32):
        for x in range(48):
            im.putpixel((x, y), (40 + x * 4, 30 + y * 5, 200 - x * 2 - y))
    return im


def im(*args):
    subprocess.run(['convert', *args], check=True)


def bmp_file(info, palette, pixels):
    offset = 14 + len(info) + len(palette)
    return b'BM' + struct.pack('<IHHI', offset + len(pixels), 0, 0, offset) + info + palette + pixels


def info_header(width, height, bits, compression, image_size, colors):
    return struct.pack('<IiiHHIIiiII', 40, width, height, 1, bits, compression, image_size, 2835, 2835, colors, 0)


def rle4():
    """RLE4 of pattern16 with encoded runs, absolute runs, a delta and the end."""
    rows = indices16()
    out = bytearray()
    for y in range(H - 1, -1, -1):  # bottom row first
        row = rows[y]
        if y == 3:
            # Row 3 (from the top) starts with a delta of four pixels, which
            # leaves them at index 0.
            out += bytes([0, 2, 4, 0])
            row = row[4:]
            x = 4
        else:
            x = 0
        # an encoded run of 2 pixels alternating the first two indices
        out += bytes([2, (row[0] << 4) | row[1]])
        rest = row[2:]
        # an absolute run of the rest (at least 3 pixels), padded to words
        n = len(rest)
        packed = bytearray()
        for i in range(0, n, 2):
            hi = rest[i]
            lo = rest[i + 1] if i + 1 < n else 0
            packed.append((hi << 4) | lo)
        if len(packed) % 2:
            packed.append(0)
        out += bytes([0, n]) + packed
        out += bytes([0, 0])  # end of line
    out += bytes([0, 1])  # end of bitmap
    pal = b''.join(bytes([b, g, r, 0]) for (r, g, b) in palette16())
    return bmp_file(info_header(W, H, 4, 2, len(out), 16), pal, bytes(out))


def rle4_expected():
    pal = palette16()
    img = Image.new('RGB', (W, H))
    for y, row in enumerate(indices16()):
        for x, i in enumerate(row):
            img.putpixel((x, y), pal[0] if (y == 3 and x < 4) else pal[i])
    return img


def top_down(data):
    """The same 24-bit file with its rows stored from the top."""
    offset = struct.unpack('<I', data[10:14])[0]
    width, height = struct.unpack('<ii', data[18:26])
    stride = (width * 3 + 3) // 4 * 4
    rows = [data[offset + i * stride: offset + (i + 1) * stride] for i in range(height)]
    return data[:22] + struct.pack('<i', -height) + data[26:offset] + b''.join(reversed(rows))


def masked_icon():
    """A 4 x 4, 8-bit icon whose transparency comes from its AND mask."""
    pal = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255)]
    idx = [[0, 1, 2, 3], [3, 2, 1, 0], [1, 1, 2, 2], [0, 3, 0, 3]]  # rows from the top
    transparent = {(0, 0), (3, 0), (1, 2), (2, 3)}                   # (x, y) from the top
    info = struct.pack('<IiiHHIIiiII', 40, 4, 8, 1, 8, 0, 0, 0, 0, 256, 0)
    palette = b''.join(bytes([b, g, r, 0]) for (r, g, b) in pal) + bytes(4 * 252)
    xor = b''.join(bytes(idx[y]) for y in range(3, -1, -1))
    mask = b''
    for y in range(3, -1, -1):
        bits = 0
        for x in range(4):
            if (x, y) in transparent:
                bits |= 0x80 >> x
        mask += bytes([bits, 0, 0, 0])
    image = info + palette + xor + mask
    head = struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHII', 4, 4, 0, 0, 1, 8, len(image), 22)
    ref = Image.new('RGBA', (4, 4))
    for y in range(4):
        for x in range(4):
            r, g, b = pal[idx[y][x]]
            ref.putpixel((x, y), (r, g, b, 0 if (x, y) in transparent else 255))
    return head + image, ref


def png_icon():
    buf = io.BytesIO()
    Image.new('RGBA', (8, 8), (1, 2, 3, 255)).save(buf, 'PNG')
    png = buf.getvalue()
    return struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHII', 8, 8, 0, 0, 1, 32, len(png), 22) + png


def main():
    p = pattern()
    p.save('pattern.ppm')
    p16 = pattern16()
    p16.save('pattern16.ppm')
    a = alpha_pattern()
    a.save('pattern-alpha.pgm')

    # Pillow
    p.save('bmp24.bmp')
    rgba = p.copy()
    rgba.putalpha(a)
    rgba.save('bmp32.bmp')  # 32-bit, blue green red alpha
    pal = Image.new('P', (W, H))
    pal.putpalette([c for rgb in palette16() for c in rgb])
    pal.putdata([i for row in indices16() for i in row])
    pal.save('bmp8.bmp')
    mono = Image.new('1', (W, H))
    mono.putdata([255 if (x * 3 + y) % 5 < 2 else 0 for y in range(H) for x in range(W)])
    mono.save('bmp1.bmp')
    mono.convert('L').save('bmp1.pgm')

    # ImageMagick
    im('pattern16.ppm', '-type', 'Palette', 'BMP3:bmp4.bmp')
    im('pattern.ppm', '-type', 'Palette', '-compress', 'RLE', 'BMP3:rle8.bmp')
    im('pattern.ppm', '-define', 'bmp:subtype=RGB565', 'BMP:bmp565.bmp')
    im('bmp565.bmp', 'bmp565.ppm')
    im('pattern.ppm', '-define', 'bmp:subtype=RGB555', 'BMP:bmp555.bmp')
    im('bmp555.bmp', 'bmp555.ppm')
    im('pattern.ppm', 'BMP2:os2.bmp')
    im('bmp32.bmp', 'BMP:v5alpha.bmp')  # V5 header, bit fields with an alpha mask

    # Assembled here
    open('rle4.bmp', 'wb').write(rle4())
    rle4_expected().save('rle4.ppm')
    open('topdown.bmp', 'wb').write(top_down(open('bmp24.bmp', 'rb').read()))
    icon, icon_ref = masked_icon()
    open('masked.ico', 'wb').write(icon)
    icon_ref.convert('RGB').save('masked-ref.ppm')
    icon_ref.getchannel('A').save('masked-ref.pgm')
    open('png-only.ico', 'wb').write(png_icon())

    # Icons with 32-bit entries (Pillow): the 32 x 32 one is the largest.
    big = Image.new('RGBA', (32, 32))
    for y in range(32):
        for x in range(32):
            big.putpixel((x, y), (x * 8, y * 8, 128, (x + y) * 4))
    big.save('rgba.ico', sizes=[(16, 16), (32, 32)], bitmap_format='bmp')
    big.convert('RGB').save('rgba-ref.ppm')
    big.getchannel('A').save('rgba-ref.pgm')

    # JPEG (Pillow)
    g = gradient()
    g.save('gradient.ppm')
    g.save('photo.jpg', quality=95, subsampling=0)
    g.save('progressive.jpg', quality=95, subsampling=0, progressive=True)
    g.convert('L').save('gradient-gray.pgm')
    g.convert('L').save('gray.jpg', quality=95)
    g.convert('CMYK').save('cmyk.jpg', quality=95)
    g.save('subsampled.jpg', quality=95)  # 4:2:0


if __name__ == '__main__':
    main()
