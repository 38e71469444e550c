#!/usr/bin/python3
"""Writes the portable map fixtures of the reader tests with netpbm and ImageMagick.

Every fixture comes with NAME.rgba: its pixels as netpbm decodes them
(`pamdepth 255`, which scales by the maximum value and rounds; 8-bit red,
green, blue, alpha, rows from the top). For ImageMagick's files the script
checks that ImageMagick's own decoding (`convert FILE -depth 8 rgba:`)
agrees: exactly for 8-bit samples, within one level for 16-bit ones, which
ImageMagick does not round to nearest. Needs netpbm and ImageMagick on the
path:

    /usr/bin/python3 tests/data/ppm/make_fixtures.py
"""
import os
import subprocess
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
WIDTH, HEIGHT = 23, 13  # an odd width: bitmap rows end inside a byte


def run(command, stdin=None):
    return subprocess.run(command, input=stdin, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                          check=True).stdout


def source():
    """A 16-bit RGB_ALPHA picture: ramps over the whole range beside noise."""
    seed = 12345
    samples = bytearray()
    for y in range(HEIGHT):
        for x in range(WIDTH):
            seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
            if x < WIDTH // 2:
                pixel = (x * 65535 // (WIDTH // 2 - 1), y * 65535 // (HEIGHT - 1), 30000, 65535 - x * 5000)
            else:
                pixel = (seed & 0xFFFF, (seed >> 8) & 0xFFFF, (seed >> 15) & 0xFFFF, (x * 2851 + y * 9000) & 0xFFFF)
            for s in pixel:
                samples += s.to_bytes(2, "big")
    header = "P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 65535\nTUPLTYPE RGB_ALPHA\nENDHDR\n" % (WIDTH, HEIGHT)
    return header.encode() + bytes(samples)


def pam_samples(data):
    """Depth and 8-bit samples of a PAM of maximum value 255."""
    fields = {}
    rest = data
    while True:
        line, rest = rest.split(b"\n", 1)
        words = line.split()
        if words and words[0] == b"ENDHDR":
            break
        if len(words) == 2:
            fields[words[0]] = words[1]
    assert fields[b"MAXVAL"] == b"255"
    return int(fields[b"DEPTH"]), rest


def rgba(depth, samples):
    out = bytearray()
    for i in range(0, len(samples), depth):
        p = samples[i:i + depth]
        grey = depth <= 2
        out += bytes([p[0], p[0], p[0]] if grey else p[:3]) + bytes([p[-1] if depth % 2 == 0 else 255])
    return bytes(out)


def save(name, data, reference):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)
    with open(os.path.join(HERE, os.path.splitext(name)[0] + ".rgba"), "wb") as f:
        f.write(reference)


def netpbm_decoding(data):
    return rgba(*pam_samples(run(["pamtopam"], run(["pamdepth", "255"], data))))


def netpbm(name, data):
    save(name, data, netpbm_decoding(data))


def netpbm_files(src):
    rgb16 = run(["pamchannel", "-tupletype", "RGB", "0", "1", "2"], src)
    alpha16 = run(["pamchannel", "-tupletype", "GRAYSCALE", "3"], src)
    ppm16 = run(["pamtopnm"], rgb16)
    pgm16 = run(["ppmtopgm"], ppm16)
    for maxval in (1, 15, 255, 300, 1000, 65535):
        for kind, picture in (("ppm", ppm16), ("pgm", pgm16)):
            netpbm("nb-%s-%d-raw.%s" % (kind, maxval, kind), run(["pamdepth", str(maxval)], picture))
            # pnmtoplainpnm would turn a grey map of maximum 1 into a bitmap.
            netpbm("nb-%s-%d-plain.%s" % (kind, maxval, kind), run(["pamdepth", "-plain", str(maxval)], picture))
    pbm = run(["pamthreshold", "-simple", "-threshold", "0.5"], run(["pamdepth", "255"], pgm16))
    pbm = run(["pamtopnm"], pbm)
    netpbm("nb-pbm-raw.pbm", pbm)
    netpbm("nb-pbm-plain.pbm", run(["pnmtoplainpnm"], pbm))

    bits_alpha = run(["pamtopam"], run(["pamtopnm"], run(
        ["pamthreshold", "-simple", "-threshold", "0.5"], run(["pamdepth", "255"], alpha16))))
    with tempfile.TemporaryDirectory() as folder:
        def stack(tuple_type, *planes):
            paths = []
            for i, plane in enumerate(planes):
                paths.append(os.path.join(folder, "%d.pam" % i))
                with open(paths[-1], "wb") as f:
                    f.write(plane)
            return run(["pamstack", "-tupletype", tuple_type] + paths)

        netpbm("nb-pam-bw.pam", run(["pamtopam"], pbm))
        netpbm("nb-pam-bw-alpha.pam", stack("BLACKANDWHITE_ALPHA", run(["pamtopam"], pbm), bits_alpha))
        for bits, maxval in ((8, "255"), (16, "65535")):
            grey = run(["pamtopam"], run(["pamdepth", maxval], pgm16))
            colour = run(["pamdepth", maxval], rgb16)
            alpha = run(["pamdepth", maxval], alpha16)
            netpbm("nb-pam-grey-%d.pam" % bits, grey)
            netpbm("nb-pam-grey-alpha-%d.pam" % bits, stack("GRAYSCALE_ALPHA", grey, alpha))
            netpbm("nb-pam-rgb-%d.pam" % bits, colour)
            netpbm("nb-pam-rgba-%d.pam" % bits, stack("RGB_ALPHA", colour, alpha))


def magick_files(src):
    with tempfile.TemporaryDirectory() as folder:
        original = os.path.join(folder, "source.pam")
        with open(original, "wb") as f:
            f.write(src)
        variants = {
            "im-ppm-raw.ppm": ["-alpha", "off", "-depth", "8"],
            "im-ppm-plain.ppm": ["-alpha", "off", "-depth", "8", "-compress", "none"],
            "im-ppm-16-raw.ppm": ["-alpha", "off", "-depth", "16"],
            "im-pgm-raw.pgm": ["-alpha", "off", "-colorspace", "Gray", "-depth", "8"],
            "im-pgm-plain.pgm": ["-alpha", "off", "-colorspace", "Gray", "-depth", "8", "-compress", "none"],
            "im-pgm-16-plain.pgm": ["-alpha", "off", "-colorspace", "Gray", "-depth", "16", "-compress", "none"],
            "im-pbm-raw.pbm": ["-alpha", "off", "-monochrome"],
            "im-pbm-plain.pbm": ["-alpha", "off", "-monochrome", "-compress", "none"],
            "im-pam-rgba-8.pam": ["-depth", "8"],
            "im-pam-rgba-16.pam": ["-depth", "16"],
            "im-pam-rgb-8.pam": ["-alpha", "off", "-depth", "8"],
            "im-pam-grey-alpha-8.pam": ["-colorspace", "Gray", "-depth", "8"],
            "im-pam-grey-16.pam": ["-alpha", "off", "-colorspace", "Gray", "-depth", "16"],
        }
        for name, options in variants.items():
            path = os.path.join(HERE, name)
            run(["convert", original] + options + [path])
            with open(path, "rb") as f:
                data = f.read()
            reference = netpbm_decoding(data)
            own = run(["convert", path, "-depth", "8", "rgba:-"])
            wide = b"65535" in data[:80]
            assert all(abs(a - b) <= wide for a, b in zip(reference, own)), name
            save(name, data, reference)


if __name__ == "__main__":
    picture = source()
    netpbm_files(picture)
    magick_files(picture)
