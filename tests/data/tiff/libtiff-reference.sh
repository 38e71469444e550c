# Sourced by the fixture scripts of this folder: libtiff_reference X.tif OUT
# MODE writes the picture libtiff itself reads from X.tif (tiff2rgba) to OUT,
# in Pillow's MODE ("RGB" for a PPM, "L" for a PGM). $tmp is the script's
# temporary folder.
libtiff_reference() {
  # tiff2rgba keeps a reversed fill order, which Pillow cannot read.
  case "$1" in
  *-lsb.tif) tiffcp -f msb2lsb "$1" "$tmp/msb.tif" && tiff2rgba "$tmp/msb.tif" "$tmp/ref.tif" ;;
  *) tiff2rgba "$1" "$tmp/ref.tif" ;;
  esac
  /usr/bin/python3 -c "from PIL import Image; import sys; Image.open(sys.argv[1]).convert(sys.argv[3]).save(sys.argv[2])" \
    "$tmp/ref.tif" "$2" "$3"
}
