#!/bin/sh
# System calls per file of the library listing, its reader and the floor
# (strace -c), each less those of a run that only starts the window.
#   bench/listing-syscalls.sh BUILD_DIR
set -eu
bench="$1/bench/vidlark_listing_bench"
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
"$bench" prepare "$folder/E"

calls() {
    strace -f -c -o "$folder/count" "$bench" once "$folder/E" "$1"
    awk '$NF == "total" { print $4 }' "$folder/count"
}
base=$(calls none)
for part in floor reader listing; do
    total=$(calls "$part")
    echo "$part: $(( (total - base) / 1000 )).$(( (total - base) % 1000 / 100 )) system calls per file"
done
