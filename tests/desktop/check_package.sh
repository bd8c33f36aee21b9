#!/usr/bin/env bash
# Builds the Debian package with CPack and installs it with dpkg into a clean root whose
# package database holds only the packages the .deb depends on, copied from this
# machine: dpkg refuses the install unless every dependency is named right and its
# version is one Debian really ships. Then checks the files, the dependency list, and
# that every Qt plugin the installed program loads belongs to a package it depends on.
# Usage: check_package.sh BUILD_DIR APP_ID
set -euo pipefail
build=$1
app_id=$2
work=$(mktemp -d)
pid=""
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

echo "== cpack -G DEB"
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log"; fail "cpack failed"; }
debs=("$work"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb, got: ${debs[*]}"
deb=${debs[0]}
echo "  $(basename "$deb")"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = pictoria ] || fail "package is named $(field Package)"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "architecture $(field Architecture)"
depends=$(field Depends)
echo "== Depends: $depends"
echo "== Recommends: $(field Recommends)"

# Package names in a relation field, alternatives included, versions left out.
names() { tr ',|' '\n\n' <<<"$1" | sed 's/(.*)//; s/:any//; s/[[:space:]]//g' | sed '/^$/d'; }
dep_names=$(names "$depends")
for needed in libqt6core6 libqt6gui6 libqt6widgets6 libfreeimage3 libc6 libstdc++6; do
  grep -qx "$needed" <<<"$dep_names" || fail "Depends lacks $needed"
done

# Qt loads its platform and image-reader plugins at run time, so no linker-based tool sees
# them: the package that ships each one must be a direct dependency.
qt_plugins=$(qtpaths6 --query QT_INSTALL_PLUGINS 2>/dev/null || echo /usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/qt6/plugins)
# owner_in FILE FIELD NAMES: the package shipping FILE must be among NAMES.
owner_in() {
  local owner
  owner=$(dpkg -S "$1" 2>/dev/null | head -1 | cut -d: -f1) || true
  [ -n "$owner" ] || fail "no installed package ships $1"
  grep -qx "$owner" <<<"$3" || fail "$1 comes from $owner, which is not in $2"
  echo "  ${1#"$qt_plugins"/} <- $owner"
}
owner_in_depends() { owner_in "$1" Depends "$dep_names"; }
echo "== plugins the editor needs"
owner_in_depends "$qt_plugins/platforms/libqxcb.so"     # the X11 window system
owner_in_depends "$qt_plugins/imageformats/libqjpeg.so" # opening and saving portraits
owner_in_depends "$qt_plugins/imageformats/libqtiff.so" # pictures FreeImage leaves to Qt

echo "== dpkg --root install into a clean root"
root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
: >"$root/var/lib/dpkg/available"
: >"$root/var/lib/dpkg/status"
for name in $dep_names; do
  if dpkg-query -s "$name" >"$work/stanza" 2>/dev/null; then
    cat "$work/stanza" >>"$root/var/lib/dpkg/status"
    echo >>"$root/var/lib/dpkg/status"
    arch=$(dpkg-query -W -f='${Architecture}' "$name")
    multi=$(dpkg-query -W -f='${Multi-Arch}' "$name")
    # Empty file lists and checksums: the copied packages own no files in this root.
    key=$name
    [ "$multi" != same ] || key=$name:$arch
    : >"$root/var/lib/dpkg/info/$key.list"
    : >"$root/var/lib/dpkg/info/$key.md5sums"
  fi
done
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(fakeroot)
"${as_root[@]}" dpkg --root="$root" --log=/dev/null -i "$deb" >"$work/dpkg.log" 2>&1 ||
  { cat "$work/dpkg.log"; fail "dpkg could not install the package (dependencies above)"; }
status=$(dpkg --root="$root" -s pictoria | sed -n 's/^Status: //p')
[ "$status" = "install ok installed" ] || fail "package status is '$status'"
audit=$(dpkg --root="$root" --audit)
[ -z "$audit" ] || fail "dpkg --audit: $audit"

echo "== files"
dpkg --root="$root" -L pictoria | sort >"$work/files"
cat "$work/files"
while read -r program; do
  grep -qx "/usr/$program" "$work/files" || fail "package lacks /usr/$program"
  [ -x "$root/usr/$program" ] || fail "/usr/$program is not executable after install"
done <"$build/dist/installed-programs.txt"
grep -q '^/usr/libexec/pictoria/pictoria-import-helper$' "$work/files" || fail "the import helper is not in libexec"
for f in /usr/bin/pictoria /usr/share/applications/$app_id.desktop /usr/share/metainfo/$app_id.metainfo.xml \
         /usr/share/man/man1/pictoria.1.gz; do
  grep -qx "$f" "$work/files" || fail "package lacks $f"
  [ -e "$root$f" ] || fail "$f not on disk after install"
done
for size in 16 32 48 64 128 256; do
  f=/usr/share/icons/hicolor/${size}x${size}/apps/pictoria.png
  grep -qx "$f" "$work/files" || fail "package lacks $f"
done
grep -Ev '^/usr(/|$)|^/\.$' "$work/files" && fail "files outside /usr"
desktop-file-validate "$root/usr/share/applications/$app_id.desktop" || fail "packaged desktop entry is invalid"

echo "== the packaged editor imports a picture through its packaged helpers"
printf 'P6\n48 56\n255\n' >"$work/in.ppm"
head -c $((48 * 56 * 3)) /dev/zero | tr '\0' '\100' >>"$work/in.ppm"
mkdir -p "$work/home"
env -i PATH=/usr/bin:/bin HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" XDG_STATE_HOME="$work/home/state" \
  "$root/usr/bin/pictoria" --convert "$work/in.ppm" "$work/out.jpg" || fail "the packaged editor could not import"
[ "$(od -An -tx1 -N2 "$work/out.jpg" | tr -d ' ')" = ffd8 ] || fail "the packaged editor wrote no JPEG"
echo "  ok"

echo "== shared libraries of the installed program"
missing=$(ldd "$root/usr/bin/pictoria" | grep 'not found' || true)
[ -z "$missing" ] || fail "unresolved libraries: $missing"
# Every library it links must come from a package in Depends or one of theirs; check the
# ones it names directly.
for lib in $(objdump -p "$root/usr/bin/pictoria" | awk '/NEEDED/ { print $2 }'); do
  path=$(ldd "$root/usr/bin/pictoria" | awk -v l="$lib" '$1 == l { print $3 }')
  real=$(readlink -f "$path")
  owner=$(dpkg -S "$real" 2>/dev/null | head -1 | cut -d: -f1 || dpkg -S "$path" 2>/dev/null | head -1 | cut -d: -f1)
  [ -n "$owner" ] || owner=$(dpkg -S "$path" 2>/dev/null | head -1 | cut -d: -f1)
  grep -qx "$owner" <<<"$dep_names" || fail "$lib comes from $owner, which is not in Depends"
  echo "  $lib <- $owner"
done

echo "== plugins the installed program loads under X"
if command -v xvfb-run >/dev/null; then
  xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
    QT_QPA_PLATFORM=xcb "$1" & p=$!
    sleep 3
    cat /proc/$p/maps > "$2" 2>/dev/null
    kill $p; wait $p 2>/dev/null; true' sh "$root/usr/bin/pictoria" "$work/maps"
  loaded=$(awk '{ print $6 }' "$work/maps" | grep "^$qt_plugins/.*\.so$" | sort -u || true)
  [ -n "$loaded" ] || fail "the installed program loaded no Qt plugin (did it start?)"
  # A reader that is merely present gets loaded too, so Recommends is enough here.
  wanted=$(printf '%s\n%s\n' "$dep_names" "$(names "$(field Recommends)")")
  for plugin in $loaded; do owner_in "$plugin" "Depends or Recommends" "$wanted"; done
fi
echo "PASS"
