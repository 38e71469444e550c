#!/usr/bin/python3
"""Writes the Targa fixtures of the reader tests with Pillow and ImageMagick.

Every NAME.tga comes with NAME.rgba: its pixels as decoded by the tool that
wrote it (8-bit red, green, blue, alpha, rows from the top). Run with the
system Python (Pillow) and ImageMagick's convert on the path:

    /usr/bin/python3 tests/data/targa/make_fixtures.py
"""
import os
import subprocess

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))


def picture(width, height):
    """Bands of flat colour (long runs) beside noisy columns (literals)."""
    img = Image.new("RGBA", (width, height))
    seed = 12345
    for y in range(height):
        for x in range(width):
            seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
            if x < width // 2:
                band = y // 4
                pixel = (40 * band % 256, 255 - 30 * band % 256, 90, 255 - 20 * (x // 5))
            else:
                pixel = (seed >> 8 & 255, seed >> 16 & 255, (x * 7 + y) & 255, seed >> 4 & 255)
            img.putpixel((x, y), pixel)
    return img


def dump_pillow(name):
    with Image.open(os.path.join(HERE, name + ".tga")) as img:
        data = img.convert("RGBA").tobytes()
    with open(os.path.join(HERE, name + ".rgba"), "wb") as f:
        f.write(data)


def dump_magick(name):
    path = os.path.join(HERE, name)
    # convert keeps the stored row order and only notes the orientation that
    # the header gives; -auto-orient applies it.
    subprocess.run(["convert", path + ".tga", "-auto-orient", "-depth", "8", "rgba:" + path + ".rgba"],
                   check=True)


def pillow_files(source):
    variants = {
        "pil-grey-top": ("L", None, 1),
        "pil-grey-rle-bottom": ("L", "tga_rle", -1),
        "pil-mapped-bottom": ("P", None, -1),
        "pil-mapped-rle-top": ("P", "tga_rle", 1),
        "pil-rgb-top": ("RGB", None, 1),
        "pil-rgb-rle-bottom": ("RGB", "tga_rle", -1),
        "pil-rgb-rle-top": ("RGB", "tga_rle", 1),
        "pil-rgba-bottom": ("RGBA", None, -1),
        "pil-rgba-rle-top": ("RGBA", "tga_rle", 1),
    }
    for name, (mode, compression, orientation) in variants.items():
        img = source.convert("RGB").convert(mode) if mode in ("L", "P") else source.convert(mode)
        img.save(os.path.join(HERE, name + ".tga"), compression=compression, orientation=orientation)
        dump_pillow(name)
    # Rows wider than one packet: runs and literals of 128 pixels.
    wide = picture(300, 5).convert("RGB")
    wide.save(os.path.join(HERE, "pil-wide-rle-top.tga"), compression="tga_rle", orientation=1)
    dump_pillow("pil-wide-rle-top")


def magick_files(source):
    png = os.path.join(HERE, "source.png")
    source.save(png)
    variants = {
        "im-grey": ["-type", "Grayscale"],
        "im-grey-rle": ["-type", "Grayscale", "-compress", "RLE"],
        "im-mapped": ["-type", "Palette"],
        "im-mapped-rle": ["-type", "Palette", "-compress", "RLE"],
        "im-rgb": ["-type", "TrueColor"],
        "im-rgb-rle": ["-type", "TrueColor", "-compress", "RLE"],
        "im-rgba": ["-type", "TrueColorAlpha"],
        "im-rgba-rle": ["-type", "TrueColorAlpha", "-compress", "RLE"],
    }
    for name, options in variants.items():
        source_png = png if "rgba" in name else png + "[0]"
        args = ["convert", source_png] + (["-alpha", "off"] if "rgba" not in name else []) + options
        subprocess.run(args + [os.path.join(HERE, name + ".tga")], check=True)
        dump_magick(name)
    os.remove(png)


def main():
    source = picture(37, 23)
    pillow_files(source)
    magick_files(source)


if __name__ == "__main__":
    main()
