"""Writes the seed inputs of fuzz_tiff_fax2d: the first strip of some of the
two-dimensional fax fixtures of tests/data/tiff, behind the three bytes
that give the decoder its width, coding and rows. Needs python3-pil."""
import os
from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
FIXTURES = os.path.join(HERE, "..", "tests", "data", "tiff")
OUT = os.path.join(HERE, "corpus", "fuzz_tiff_fax2d")

GROUP4, SWAP_BITS, FILL = 0x10, 0x20, 0x40
SEEDS = {
    "g3-2d": ("fax2d-g3-2d.tif", 0),
    "g3-2d-fill-lsb": ("fax2d-g3-2d-fill-lsb.tif", SWAP_BITS | FILL),
    "g4": ("fax2d-g4.tif", GROUP4),
    "g4-lsb": ("fax2d-g4-lsb.tif", GROUP4 | SWAP_BITS),
}

os.makedirs(OUT, exist_ok=True)
for name, (fixture, flags) in SEEDS.items():
    path = os.path.join(FIXTURES, fixture)
    page = Image.open(path)
    width, rows = page.size[0], page.tag_v2[278]
    offset, count = page.tag_v2[273][0], page.tag_v2[279][0]
    with open(path, "rb") as f:
        f.seek(offset)
        strip = f.read(count)
    head = bytes([width & 0xFF, (width >> 8) | flags, min(rows, 255)])
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(head + strip)
