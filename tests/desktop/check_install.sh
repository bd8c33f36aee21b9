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

echo "== programs"
while read -r program; do
  [ -x "$prefix/$program" ] || fail "no executable usr/$program"
done <"$build/dist/installed-programs.txt"
# Only the editor is a command; its helpers live in libexec/pictoria/.
[ "$(ls "$prefix/bin")" = pictoria ] || fail "usr/bin holds more than the editor: $(ls "$prefix/bin")"
helpers=$(grep -c '^libexec/pictoria/pictoria-import-' "$build/dist/installed-programs.txt") || true
[ "$helpers" -ge 2 ] || fail "the import helpers are not listed under libexec/pictoria/"

# The installed editor imports through its installed helpers: a PNG through the JPEG and
# PNG helper, a PPM through the full one, which the first declines. Run from a copy of the
# installed tree somewhere else, with a home of its own.
echo "== the installed editor imports a picture"
moved=$(mktemp -d)
trap 'rm -rf "$root" "$moved"' EXIT
cp -a "$prefix" "$moved/usr"
mkdir -p "$moved/home"
printf 'P6\n48 56\n255\n' >"$moved/in.ppm"
head -c $((48 * 56 * 3)) /dev/zero | tr '\0' '\200' >>"$moved/in.ppm"
run_installed() {
  env -i PATH=/usr/bin:/bin HOME="$moved/home" XDG_CONFIG_HOME="$moved/home/config" \
    XDG_STATE_HOME="$moved/home/state" XDG_CACHE_HOME="$moved/home/cache" QT_QPA_PLATFORM=offscreen \
    "$moved/usr/bin/pictoria" --convert "$@"
}
run_installed "$moved/in.ppm" "$moved/from-ppm.jpg" || fail "the installed editor could not import a PPM"
python3 - "$moved/in.png" <<'PY'
import struct, sys, zlib
w, h = 48, 56
rows = b"".join(b"\0" + bytes([0x40, 0x80, 0xc0]) * w for _ in range(h))
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
png += chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b"")
open(sys.argv[1], "wb").write(png)
PY
run_installed "$moved/in.png" "$moved/from-png.jpg" || fail "the installed editor could not import a PNG"
for out in from-ppm.jpg from-png.jpg; do
  [ "$(od -An -tx1 -N2 "$moved/$out" | tr -d ' ')" = ffd8 ] || fail "$out is not a JPEG"
done
# Without its libexec helpers the installed editor must fail, not borrow the build tree's.
rm -rf "$moved/usr/libexec"
if run_installed "$moved/in.png" "$moved/without.jpg" 2>"$moved/without.log"; then
  fail "the installed editor imported without its helpers (it found others)"
fi
echo "  ok (without its helpers: $(head -1 "$moved/without.log"))"

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

echo "== one release in the program, the manual page, the metainfo and the package name"
release=$(env -i PATH=/usr/bin:/bin HOME="$moved/home" "$moved/usr/bin/pictoria" --version | sed -n 's/^Pictoria //p')
[ -n "$release" ] || fail "pictoria --version names no release"
zcat "$manpage" | head -1 | grep -qF "\"Pictoria $release\"" || fail "the manual page is not of release $release"
grep -q "<release version=\"$release\" date=\"[0-9-]*\">" "$metainfo" || fail "the metainfo lacks release $release"
grep -qx "set(CPACK_PACKAGE_VERSION \"$release\")" "$build/CPackConfig.cmake" ||
  fail "the package is not versioned $release"
echo "  $release"

echo "== installed files"
(cd "$root" && find . -type f | sort)
echo "PASS"
