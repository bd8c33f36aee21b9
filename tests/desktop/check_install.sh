#!/usr/bin/env bash
# Installs the build into a scratch root and checks that a desktop finds everything it
# needs in the standard places, each file valid under its format's own validator.
# Usage: check_install.sh BUILD_DIR APP_ID
set -euo pipefail
build=$1
app_id=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
prefix=$root/usr

while read -r program; do
  [ -x "$prefix/bin/$program" ] || fail "no executable usr/bin/$program"
done <"$build/dist/installed-programs.txt"

desktop=$prefix/share/applications/$app_id.desktop
metainfo=$prefix/share/metainfo/$app_id.metainfo.xml
manpage=$prefix/share/man/man1/pictoria.1.gz
for f in "$desktop" "$metainfo" "$manpage"; do
  [ -f "$f" ] || fail "missing ${f#"$root"}"
done

echo "== desktop-file-validate"
out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
[ -z "$out" ] || fail "desktop-file-validate reported: $out"
grep -qx 'Exec=pictoria %f' "$desktop" || fail "desktop entry does not start the installed program"
icon=$(sed -n 's/^Icon=//p' "$desktop")

echo "== appstreamcli validate --no-net"
appstreamcli validate --no-net --explain "$metainfo" || fail "metainfo does not validate"
appstreamcli validate-tree --no-net "$root" || fail "installed tree does not validate"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
  fail "metainfo does not name the desktop entry"

# A PNG's width and height are the big-endian words at bytes 16 and 20.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }'; }
echo "== hicolor icons ($icon)"
for size in 16 32 48 64 128 256; do
  png=$prefix/share/icons/hicolor/${size}x${size}/apps/$icon.png
  [ -f "$png" ] || fail "missing icon ${png#"$root"}"
  got=$(png_size "$png")
  [ "$got" = "${size}x${size}" ] || fail "${png#"$root"} is $got"
  echo "  ${size}x${size} ok"
done

echo "== manual page"
# The same check lintian makes: troff warnings are errors.
warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$manpage" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "man reported: $warnings"
LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$manpage" | grep -q 'pictoria - ' || fail "manual page has no NAME line"
echo "  ok"

echo "== installed files"
(cd "$root" && find . -type f | sort)
echo "PASS"
