#!/bin/sh
# Makes the Photo-CD fixtures with ImageMagick (6.9): an image pac of a
# picture with an edge in every direction and saturated colours, and
# ImageMagick's own decoding of it, all gzip-compressed (an image pac is
# 768 KiB, mostly smooth data):
#   base.pcd.gz            the image pac (rotation code 0)
#   base-ycc-rN.ppm.gz     ImageMagick's decoding of the pac with rotation
#                          code N patched in (0, 1, 3), its colour space
#                          relabelled so the samples stay luma, chroma 1,
#                          chroma 2 after its chroma doubling and turning
#   base-srgb.ppm.gz       ImageMagick's decoding to sRGB (rotation 0)
set -eu
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
convert -size 768x512 gradient:'#e03020-#2040d0' \
  -fill '#20b040' -draw 'rectangle 60,50 300,200' \
  -fill '#f0e010' -draw 'circle 520,300 600,380' \
  -fill white -draw 'rectangle 0,440 767,511' \
  -fill black -draw 'polygon 100,300 200,420 60,420' \
  "$tmp/picture.ppm"
convert "$tmp/picture.ppm" "pcd:$tmp/base.pcd"
for r in 0 1 3; do
  cp "$tmp/base.pcd" "$tmp/r$r.pcd"
  printf "\\00$r" | dd of="$tmp/r$r.pcd" bs=1 seek=3586 conv=notrunc status=none
  convert "$tmp/r$r.pcd" -set colorspace sRGB -depth 8 "$tmp/base-ycc-r$r.ppm"
  gzip -9nc "$tmp/base-ycc-r$r.ppm" >"base-ycc-r$r.ppm.gz"
done
convert "$tmp/base.pcd" -depth 8 "$tmp/base-srgb.ppm"
gzip -9nc "$tmp/base-srgb.ppm" >base-srgb.ppm.gz
gzip -9nc "$tmp/base.pcd" >base.pcd.gz
