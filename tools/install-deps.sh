#!/bin/sh
# Installs the Debian 12 packages that building, running and testing Vidlark
# need, skipping those already present. Run as root or with sudo available.
# The validators of the installed desktop entry and AppStream metadata are
# for the install test; dpkg-dev and file let cpack work out the package's
# dependencies.
set -eu

packages="build-essential cmake pkg-config git
  qt6-base-dev libgl-dev libjpeg-dev zlib1g-dev libcanberra-dev
  libgtest-dev fonts-ipafont-gothic xdg-utils
  desktop-file-utils appstream dpkg-dev file"

missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
# shellcheck disable=SC2086
$sudo apt-get install -y -q --no-install-recommends $missing
