"""Writes the seed inputs of fuzz_tiff_lzw: two bytes of target size, then
LZW data as TIFF writes it (most significant bit first, widths one code
early) or as the first writers did (least significant bit first)."""
import os
import random

OUT = os.path.join(os.path.dirname(__file__), "corpus", "fuzz_tiff_lzw")


def encode(data, lsb_first=False):
    early = 0 if lsb_first else 1
    codes, table, free, width = [(256, 9)], {}, 258, 9
    i = 0
    while i < len(data):
        prefix = data[i]
        i += 1
        while i < len(data) and (prefix, data[i]) in table:
            prefix = table[(prefix, data[i])]
            i += 1
        codes.append((prefix, width))
        if i < len(data):
            table[(prefix, data[i])] = free
        free += 1
        if free == 4094:
            codes.append((256, width))
            table, free, width = {}, 258, 9
        elif free + early - 1 == 1 << width:
            width += 1
    codes.append((257, width))
    value, bits = 0, 0
    for code, size in codes:
        if lsb_first:
            value |= code << bits
        else:
            value = value << size | code
        bits += size
    pad = -bits % 8
    value = value if lsb_first else value << pad
    return value.to_bytes((bits + pad) // 8, "little" if lsb_first else "big")


def seed(name, data, packed):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(bytes([len(data) & 0xFF, len(data) >> 8 & 0x0F]) + packed)


random.seed(5)
text = b"TOBEORNOTTOBEORTOBEORNOT#" * 12
noise = bytes(random.randrange(256) for _ in range(4090))
os.makedirs(OUT, exist_ok=True)
seed("text", text, encode(text))
seed("run", bytes(400), encode(bytes(400)))
seed("noise-full-table", noise, encode(noise))
seed("first-writers", text, encode(text, lsb_first=True))
seed("cut", text, encode(text)[:40])
