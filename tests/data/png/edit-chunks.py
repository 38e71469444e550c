"""Rewrites the chunks of a PNG file (CRCs made anew).

  edit-chunks.py split IN OUT        the image data in IDAT chunks of 1 byte
  edit-chunks.py text-after IN OUT   a tEXt chunk after the last IDAT chunk
"""
import struct
import sys
import zlib


def chunks(data):
    pos = 8
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        yield kind, data[pos + 8:pos + 8 + length]
        pos += 12 + length


def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))


def main(mode, source, target):
    data = open(source, "rb").read()
    out = [data[:8]]
    for kind, body in chunks(data):
        if kind == b"IDAT" and mode == "split":
            out += [chunk(b"IDAT", body[i:i + 1]) for i in range(len(body))]
            continue
        if kind == b"IEND" and mode == "text-after":
            out.append(chunk(b"tEXt", b"Comment\0written after the image data"))
        out.append(chunk(kind, body))
    open(target, "wb").write(b"".join(out))


main(*sys.argv[1:])
