#!/bin/sh
# Installs the build into a temporary DESTDIR as a package would (prefix
# /usr) and checks the installed files: exactly the expected ones, icons of
# the size their folder names, the validators of the desktop entry and the
# AppStream metadata, and the probe's help.
# Usage: check-install.sh BUILD-FOLDER
set -eu
build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
usr=$root/usr

sizes="16 22 24 32 48 64 128 256"
expected="bin/vidlark
bin/vidlark-probe
share/applications/vidlark.desktop
share/icons/hicolor/scalable/apps/vidlark.svg
share/man/man1/vidlark-probe.1
share/metainfo/org.vidlark.Vidlark.metainfo.xml"
for size in $sizes; do
  expected="$expected
share/icons/hicolor/${size}x${size}/apps/vidlark.png"
done
installed=$(cd "$usr" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
expected=$(echo "$expected" | LC_ALL=C sort)
[ "$installed" = "$expected" ] || fail "installed files differ from the expected ones:
$(printf '%s\n' "$expected" > "$root/expected"; printf '%s\n' "$installed" | diff "$root/expected" - || true)"
[ -z "$(find "$root" -path "$usr" -prune -o -type f -print)" ] || fail "files installed outside the prefix"

for program in vidlark vidlark-probe; do
  [ -x "$usr/bin/$program" ] || fail "$program is not executable"
done

# A PNG's width and height are the big-endian words at bytes 16 and 20.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8 }'; }
for size in $sizes; do
  icon=$usr/share/icons/hicolor/${size}x${size}/apps/vidlark.png
  [ -f "$icon" ] && [ "$(png_size "$icon")" = "${size}x${size}" ] || fail "icon $icon is not ${size}x${size}"
done

desktop=$usr/share/applications/vidlark.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects vidlark.desktop"
for key in Icon Exec TryExec; do
  value=$(sed -n "s/^$key=\([^ ]*\).*/\1/p" "$desktop")
  case $key in
    Icon) [ -f "$usr/share/icons/hicolor/scalable/apps/$value.svg" ] || fail "Icon=$value is not installed" ;;
    *) [ -x "$usr/bin/$value" ] || fail "$key=$value is not an installed program" ;;
  esac
done
for key in 'Name\[ja\]' 'Comment\[ja\]' 'Comment' 'Categories'; do
  grep -q "^$key=" "$desktop" || fail "vidlark.desktop has no $key"
done

metainfo=$usr/share/metainfo/org.vidlark.Vidlark.metainfo.xml
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects the metainfo"
grep -q '<launchable type="desktop-id">vidlark.desktop</launchable>' "$metainfo" || fail "the metainfo does not launch vidlark.desktop"
grep -q '<screenshot type="default">' "$metainfo" || fail "the metainfo has no default screenshot"

help=$("$usr/bin/vidlark-probe" --help) || fail "vidlark-probe --help fails"
for command in video picture; do
  echo "$help" | grep -q "^  $command " || fail "vidlark-probe --help does not list $command"
done

[ "$failures" -eq 0 ] || exit 1
echo "installed files, icons, validators and help: all checked"
