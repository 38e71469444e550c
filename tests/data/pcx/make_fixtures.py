#!/usr/bin/python3
"""Writes the PCX fixtures of the reader tests with Pillow and ImageMagick.

Every NAME.pcx comes with NAME.rgba: its pixels as the tool that wrote it
decodes them (8-bit red, green, blue, alpha, rows from the top). Run with
the system Python (Pillow) and ImageMagick's convert on the path:

    /usr/bin/python3 tests/data/pcx/make_fixtures.py

ImageMagick writes 1-bit files with every bit inverted against the header
palette it writes beside them (a black pixel is a set bit, entry 1 of that
palette is white) and inverts them again when it reads them back; the
format's 1-bit pictures are black for a clear bit, as Pillow writes and
reads them. So im-1bit.rgba holds Pillow's decoding of ImageMagick's file,
which is the picture ImageMagick was given with black and white exchanged.
"""
import os
import subprocess

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
WIDTH, HEIGHT = 37, 23  # odd, so ImageMagick writes odd bytes per line


def picture():
    """Smooth gradients (long runs) beside a noisy band (no runs)."""
    img = Image.new("RGBA", (WIDTH, HEIGHT))
    seed = 7
    for y in range(HEIGHT):
        for x in range(WIDTH):
            seed = (seed * 69069 + 1) & 0xFFFFFFFF
            if x < 24:
                pixel = (x * 10, y * 11, 255 - x * 5, 255 - y * 8)
            else:
                pixel = (seed >> 24, seed >> 16 & 255, seed >> 8 & 255, 128 + (seed >> 26))
            img.putpixel((x, y), pixel)
    return img


def dump_pillow(name, source=None):
    with Image.open(os.path.join(HERE, source or name + ".pcx")) as img:
        data = img.convert("RGBA").tobytes()
    with open(os.path.join(HERE, name + ".rgba"), "wb") as f:
        f.write(data)


def dump_magick(name):
    path = os.path.join(HERE, name)
    subprocess.run(["convert", path + ".pcx", "-depth", "8", "rgba:" + path + ".rgba"], check=True)


def main():
    rgba = picture()
    rgb = rgba.convert("RGB")
    # Pillow: bytes per line rounded up to even.
    pillow = {
        "pil-1bit": rgb.convert("1"),
        "pil-grey": rgb.convert("L"),
        "pil-palette": rgb.convert("P", palette=Image.ADAPTIVE, colors=200),
        "pil-rgb": rgb,
    }
    for name, img in pillow.items():
        img.save(os.path.join(HERE, name + ".pcx"))
        dump_pillow(name)

    # ImageMagick: bytes per line as the width needs (odd here). Sources
    # with a colour map make it write one plane; others three planes.
    scratch = {name: os.path.join(HERE, name) for name in ("mono.gif", "grey.gif", "palette.gif", "rgba.png")}
    rgb.convert("1").save(scratch["mono.gif"])
    rgb.convert("L").save(scratch["grey.gif"])
    rgb.convert("P", palette=Image.ADAPTIVE, colors=200).save(scratch["palette.gif"])
    rgba.save(scratch["rgba.png"])
    magick = {
        "im-1bit": (scratch["mono.gif"], []),
        "im-grey": (scratch["grey.gif"], []),
        "im-palette": (scratch["palette.gif"], []),
        "im-palette-plain": (scratch["palette.gif"], ["-compress", "None"]),
        "im-rgb": (scratch["rgba.png"], ["-alpha", "off"]),
        "im-rgb-plain": (scratch["rgba.png"], ["-alpha", "off", "-compress", "None"]),
        "im-rgba": (scratch["rgba.png"], []),
    }
    for name, (source, options) in magick.items():
        subprocess.run(["convert", source] + options + [os.path.join(HERE, name + ".pcx")], check=True)
        if name == "im-1bit":
            dump_pillow(name)
        else:
            dump_magick(name)
    for path in scratch.values():
        os.remove(path)


if __name__ == "__main__":
    main()
