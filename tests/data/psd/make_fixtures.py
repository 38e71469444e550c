#!/usr/bin/python3
"""Writes the Photoshop fixtures of the reader tests.

Every NAME.psd comes with NAME.rgba: its composite picture as decoded by a
public tool (8-bit red, green, blue, alpha, rows from the top). Run with
the system Python (Pillow) and ImageMagick's convert on the path:

    /usr/bin/python3 tests/data/psd/make_fixtures.py

im-*.psd are written by ImageMagick, which always adds a layer section.
Pillow reads Photoshop files but cannot write them, so the files without a
layer section, and the modes ImageMagick does not write (bitmap, grey with
an extra channel, 16-bit grey), are written by write_psd() below, after the
published file format, and decoded by ImageMagick. Pillow agrees on the
RGB ones; it shows bitmap-mode pictures with black and white exchanged
(the format's set bit is black) and takes the wrong channel of a grey
picture with an extra channel, so it is no reference for those.

ImageMagick misreads two of its own files: it refuses its indexed files
("improper image header"), and it takes the composite of its RGBA files as
matted against white and "unblends" it. For those the reference is the
picture ImageMagick was given, which Pillow's decoding matches.
The CMYK references are ImageMagick's own decoding; its rounding differs
from the format's integer conversion by at most one level.
"""
import os
import struct
import subprocess

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
WIDTH, HEIGHT = 37, 23


def picture():
    """Flat bands (long runs) beside a noisy band (literals)."""
    img = Image.new("RGBA", (WIDTH, HEIGHT))
    seed = 99
    for y in range(HEIGHT):
        for x in range(WIDTH):
            seed = (seed * 1664525 + 1013904223) & 0xFFFFFFFF
            if x < 25:
                pixel = (y // 3 * 30, 200 - x * 6, 60 + (x // 8) * 50, 255 - x * 9)
            else:
                pixel = (seed >> 24, seed >> 16 & 255, seed >> 8 & 255, 64 + (seed >> 27) * 6)
            img.putpixel((x, y), pixel)
    return img


def packbits(row):
    """Literals up to 128 bytes and runs of 3 to 128 equal bytes."""
    out, i = bytearray(), 0
    while i < len(row):
        run = 1
        while i + run < len(row) and run < 128 and row[i + run] == row[i]:
            run += 1
        if run >= 3:
            out += bytes([257 - run, row[i]])
            i += run
            continue
        start = i
        while i < len(row) and i - start < 128:
            if i + 2 < len(row) and row[i] == row[i + 1] == row[i + 2]:
                break
            i += 1
        out += bytes([i - start - 1]) + bytes(row[start:i])
    return bytes(out)


def write_psd(name, mode, depth, channels, packed, color_data=b""):
    """channels: one bytes object per channel, rows of the stored depth."""
    row_bytes = (WIDTH * depth + 7) // 8
    header = b"8BPS" + struct.pack(">H6xHIIHH", 1, len(channels), HEIGHT, WIDTH, depth, mode)
    sections = struct.pack(">I", len(color_data)) + color_data + struct.pack(">I", 0) + struct.pack(">I", 0)
    rows = [c[y * row_bytes:(y + 1) * row_bytes] for c in channels for y in range(HEIGHT)]
    if packed:
        encoded = [packbits(r) for r in rows]
        data = struct.pack(">H", 1) + b"".join(struct.pack(">H", len(e)) for e in encoded) + b"".join(encoded)
    else:
        data = struct.pack(">H", 0) + b"".join(rows)
    with open(os.path.join(HERE, name + ".psd"), "wb") as f:
        f.write(header + sections + data)


def save_rgba(name, data):
    with open(os.path.join(HERE, name + ".rgba"), "wb") as f:
        f.write(data)


def magick_decoding(name):
    path = os.path.join(HERE, name + ".psd")
    return subprocess.run(["convert", path + "[0]", "-depth", "8", "rgba:-"], check=True,
                          capture_output=True).stdout


def own_files(source):
    rgb = source.convert("RGB")
    r, g, b = (band.tobytes() for band in rgb.split())
    grey = rgb.convert("L").tobytes()
    alpha = source.getchannel("A").tobytes()
    mono = rgb.convert("1").tobytes()  # set bits are white; the format's are black
    mono = bytes(255 - v for v in mono)
    wide = b"".join(struct.pack(">H", v * 257 + (v & 1) * 100) for v in grey)
    files = {
        "rgb-packed": (3, 8, [r, g, b], True),
        "rgb-plain": (3, 8, [r, g, b], False),
        "grey-alpha-packed": (1, 8, [grey, alpha], True),
        "bitmap-packed": (0, 1, [mono], True),
        "bitmap-plain": (0, 1, [mono], False),
        "grey16-packed": (1, 16, [wide], True),
    }
    for name, (mode, depth, channels, packed) in files.items():
        write_psd(name, mode, depth, channels, packed)
        save_rgba(name, magick_decoding(name))


def magick_files(source):
    png = os.path.join(HERE, "source.png")
    gif = os.path.join(HERE, "source.gif")
    source.save(png)
    source.convert("RGB").convert("P", palette=Image.ADAPTIVE, colors=60).save(gif)
    variants = {
        "im-rgb": (png, ["-alpha", "off"]),
        "im-rgb-plain": (png, ["-alpha", "off", "-compress", "None"]),
        "im-rgba": (png, []),
        "im-grey": (png, ["-alpha", "off", "-colorspace", "Gray"]),
        "im-indexed": (gif, []),
        "im-cmyk": (png, ["-alpha", "off", "-colorspace", "CMYK"]),
        "im-rgb16": (png, ["-alpha", "off", "-depth", "16"]),
    }
    for name, (path, options) in variants.items():
        subprocess.run(["convert", path] + options + [os.path.join(HERE, name + ".psd")], check=True)
        if name == "im-rgba":
            reference = source.tobytes()
        elif name == "im-indexed":
            with Image.open(gif) as img:
                reference = img.convert("RGBA").tobytes()
        else:
            reference = magick_decoding(name)
        save_rgba(name, reference)
    os.remove(png)
    os.remove(gif)


def main():
    source = picture()
    own_files(source)
    magick_files(source)


if __name__ == "__main__":
    main()
