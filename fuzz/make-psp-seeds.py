"""Writes the seed inputs of fuzz_psp: small Paintshop Pro files of
versions 3 and 5, plain, RLE and LZ77, colour with mask and palette."""
import os
import struct
import zlib

W, H = 6, 4
OUT = os.path.join(os.path.dirname(__file__), "corpus", "fuzz_psp")


def block(major, ident, body):
    head = b"~BK\0" + struct.pack("<H", ident)
    if major == 3:
        head += struct.pack("<I", len(body))
    return head + struct.pack("<I", len(body)) + body


def chunk(major, body):
    return body if major == 3 else struct.pack("<I", len(body) + 4) + body


def packed(data, compression):
    if compression == 1:
        return b"".join(bytes([len(data[i:i + 100])]) + data[i:i + 100] for i in range(0, len(data), 100))
    return zlib.compress(data) if compression == 2 else data


def psp(major, compression, depth):
    attributes = struct.pack("<IIdBHHHIB", W, H, 72.0, 1, compression, depth, 1, 256, 0) + bytes(14)
    parts = [b"Paint Shop Pro Image File\n\x1a".ljust(32, b"\0") + struct.pack("<HH", major, 0),
             block(major, 0, chunk(major, attributes))]
    types = (1, 2, 3, 0) if depth == 24 else (0,)
    if depth == 8:
        parts.append(block(major, 2, chunk(major, struct.pack("<I", 4) + bytes(range(16)))))
    info = bytes([0 if major == 3 else 1]) + bytes(114)
    layer = bytes(256) + info if major == 3 else chunk(major, struct.pack("<H", 1) + b"L" + info)
    layer += chunk(major, struct.pack("<HH", 1, len(types)))
    for t in types:
        data = packed(bytes((x * 30 + t * 50) % 256 for x in range(W * H)), compression)
        layer += block(major, 5, chunk(major, struct.pack("<IIHH", len(data), W * H, 0, t)) + data)
    parts.append(block(major, 3, block(major, 4, layer)))
    return b"".join(parts)


os.makedirs(OUT, exist_ok=True)
for major in (3, 5):
    for compression in (0, 1, 2):
        for depth in (8, 24):
            with open(os.path.join(OUT, f"v{major}-c{compression}-{depth}.psp"), "wb") as f:
                f.write(psp(major, compression, depth))
