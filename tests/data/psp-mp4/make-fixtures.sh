#!/bin/sh
# Writes the video fixtures of the metadata tests with ffmpeg's psp muxer:
# tiny clips whose codec, frame size, frame rate and bit rate the tests
# compare with what is asked for here. ffmpeg marks its title entry as
# English; h264-jpn.mp4 is h264.mp4 with that entry marked Japanese.
# Needs ffmpeg (with libx264) and /usr/bin/python3.
set -eu
cd "$(dirname "$0")"

audio="-f lavfi -i anullsrc=r=24000:cl=mono -c:a aac -b:a 32k"
common="-hide_banner -loglevel error -y"
length="-t 0.4 -fflags +bitexact -flags:v +bitexact"

# shellcheck disable=SC2086
ffmpeg $common -f lavfi -i testsrc=size=160x112:rate=25 $audio $length \
  -c:v mpeg4 -b:v 200k -metadata title="Tiny clip" -f psp mpeg4.mp4
# shellcheck disable=SC2086
ffmpeg $common -f lavfi -i testsrc=size=176x144:rate=30000/1001 $audio $length \
  -pix_fmt yuv420p -c:v libx264 -profile:v baseline -preset ultrafast -b:v 300k \
  -metadata title="日本語のタイトル" -f psp h264.mp4

/usr/bin/python3 - <<'PY'
import struct

def boxes(data, start, end):
    while start + 8 <= end:
        size, kind = struct.unpack_from(">I4s", data, start)
        yield start, size, kind
        if size < 8:
            return
        start += size

data = bytearray(open("h264.mp4", "rb").read())
moov = next(b for b in boxes(data, 0, len(data)) if b[2] == b"moov")
uuid = next(b for b in boxes(data, moov[0] + 8, moov[0] + moov[1]) if b[2] == b"uuid")
mtdt = uuid[0] + 24
assert data[mtdt + 4:mtdt + 8] == b"MTDT"
entry, last = mtdt + 10, mtdt + struct.unpack_from(">I", data, mtdt)[0]
while entry < last:
    size, kind = struct.unpack_from(">HI", data, entry)
    if kind == 1:  # the title
        data[entry + 6:entry + 8] = b"\x2a\x0e"
        break
    entry += size
else:
    raise SystemExit("no title entry")
open("h264-jpn.mp4", "wb").write(data)
PY
