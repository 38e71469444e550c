#!/usr/bin/python3
"""Writes the SGI fixtures of the reader tests with Pillow, ImageMagick and netpbm.

Pillow writes plain files only, ImageMagick writes run-length files of 8-bit
samples only, so netpbm's pnmtosgi writes the run-length files of 16-bit
samples (it has no alpha).

Every NAME.sgi of 8-bit samples comes with NAME.rgba: its pixels as decoded
by the tool that wrote it (8-bit red, green, blue, alpha, rows from the
top). A file of 16-bit samples comes with NAME.rgba16: its pixels as
ImageMagick decodes them at 16 bits, big-endian (Pillow keeps only the high
byte of each sample, and netpbm has no alpha to give). Run with the system
Python (Pillow), ImageMagick and netpbm installed:

    /usr/bin/python3 tests/data/sgi/make_fixtures.py
"""
import os
import subprocess

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
CONVERT = "/usr/bin/convert"


def path(name, extension):
    return os.path.join(HERE, name + extension)


def levels(width, height):
    """16-bit RGBA: bands of flat colour (long runs) beside noisy columns
    (literals); high and low bytes differ, so a byte-order slip shows."""
    seed = 12345
    pixels = []
    for y in range(height):
        for x in range(width):
            seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
            if x < width // 2:
                band = y // 4
                high = (40 * band % 256, 255 - 30 * band % 256, 90, 255 - 20 * (x // 5))
                low = (band * 17, 200, 5, 99)
            else:
                high = (seed >> 8 & 255, seed >> 16 & 255, (x * 7 + y) & 255, seed >> 4 & 255)
                low = (seed >> 3 & 255, seed >> 11 & 255, x & 255, seed >> 19 & 255)
            pixels.append(tuple((h & 255) << 8 | (l & 255) for h, l in zip(high, low)))
    return pixels


def write_pam16(name, width, height, pixels):
    with open(name, "wb") as f:
        f.write(b"P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 65535\nTUPLTYPE RGB_ALPHA\nENDHDR\n" % (width, height))
        f.write(b"".join(v.to_bytes(2, "big") for p in pixels for v in p))


def write_pnm16(name, width, height, pixels, grey):
    """A PGM or PPM of 16-bit samples; grey takes the red level."""
    with open(name, "wb") as f:
        f.write(b"P%d\n%d %d\n65535\n" % (5 if grey else 6, width, height))
        f.write(b"".join(v.to_bytes(2, "big") for p in pixels for v in (p[:1] if grey else p[:3])))


def eight_bit(width, height, pixels):
    img = Image.new("RGBA", (width, height))
    img.putdata([tuple(v >> 8 for v in p) for p in pixels])
    return img


def dump_pillow(name):
    with Image.open(path(name, ".sgi")) as img:
        data = img.convert("RGBA").tobytes()
    with open(path(name, ".rgba"), "wb") as f:
        f.write(data)


def dump_magick(name, wide):
    depth = ["-depth", "16", "-endian", "MSB"] if wide else ["-depth", "8"]
    target = path(name, ".rgba16" if wide else ".rgba")
    subprocess.run([CONVERT, path(name, ".sgi")] + depth + ["rgba:" + target], check=True)


def pillow_files(source):
    for mode, kind in (("L", "grey"), ("RGB", "rgb"), ("RGBA", "rgba")):
        img = source.convert("RGB").convert(mode) if mode == "L" else source.convert(mode)
        img.save(path("pil-" + kind, ".sgi"))
        dump_pillow("pil-" + kind)
        img.save(path("pil-" + kind + "16", ".sgi"), bpc=2)
        dump_magick("pil-" + kind + "16", True)


def magick_files(source16, wide):
    kinds = {
        "grey": ["-alpha", "off", "-type", "Grayscale"],
        "rgb": ["-alpha", "off", "-type", "TrueColor"],
        "rgba": ["-type", "TrueColorAlpha"],
    }
    for kind, options in kinds.items():
        # ImageMagick writes run-length rows unless told not to, and writes
        # 16-bit samples plainly.
        variants = (
            ("im-" + kind, ["-depth", "8", "-compress", "None"]),
            ("im-" + kind + "-rle", ["-depth", "8", "-compress", "RLE"]),
            ("im-" + kind + "16", ["-depth", "16"]),
        )
        for name, extra in variants:
            subprocess.run([CONVERT, source16] + options + extra + [path(name, ".sgi")], check=True)
            dump_magick(name, name.endswith("16"))
    # Rows wider than one packet: runs and literals of 127 samples.
    subprocess.run([CONVERT, wide, "-alpha", "off", "-type", "TrueColor", "-depth", "8", "-compress", "RLE",
                    path("im-wide-rle", ".sgi")], check=True)
    dump_magick("im-wide-rle", False)


def netpbm_files(width, height, pixels):
    for kind, grey in (("grey", True), ("rgb", False)):
        pnm = path("source", ".pnm")
        write_pnm16(pnm, width, height, pixels, grey)
        name = "nb-" + kind + "16-rle"
        with open(path(name, ".sgi"), "wb") as out:
            subprocess.run(["pnmtosgi", "-rle", pnm], stdout=out, check=True)
        dump_magick(name, True)
        os.remove(pnm)


def main():
    width, height = 37, 23
    pixels = levels(width, height)
    source16 = path("source", ".pam")
    write_pam16(source16, width, height, pixels)
    wide = path("wide", ".pam")
    write_pam16(wide, 300, 5, levels(300, 5))
    pillow_files(eight_bit(width, height, pixels))
    magick_files(source16, wide)
    netpbm_files(width, height, pixels)
    os.remove(source16)
    os.remove(wide)


if __name__ == "__main__":
    main()
