#!/usr/bin/env bash
# Fails when a product file includes a folder above its own. Includes run one way:
#   platform <- controls
#   platform <- document <- canvas <- tools <- files <- import, about <- mainwindow <- app
# (the button gallery sees platform and controls only; faces/ only the import helper, in
# import/helper/), and document/ includes no Qt Widgets header. Usage: check-includes.sh [tree]
set -euo pipefail
root="${1:-$(dirname "$0")/..}"
cd "$root"

declare -A allowed=(
  [platform]=""
  [controls]="platform"
  [document]="platform"
  [canvas]="platform document"
  [tools]="platform document canvas"
  [files]="platform document canvas tools"
  [import]="platform document canvas tools files"
  [about]="platform document canvas tools files"
  [mainwindow]="platform controls document canvas tools files import about"
  [app]="platform controls document canvas tools files import about mainwindow"
  [gallery]="platform controls"
  [faces]=""
)

status=0
for folder in "${!allowed[@]}"; do
  [ -d "$folder" ] || continue
  while IFS= read -r hit; do
    file=${hit%%:*}
    rest=${hit#*:}
    line=${rest%%:*}
    target=$(sed -E 's/.*#[[:space:]]*include[[:space:]]*"([^/"]+)\/.*/\1/' <<<"$rest")
    [ "$target" = "$folder" ] && continue
    # The import helper, a program of its own that the editor never links, runs the detector.
    [ "$target" = faces ] && [[ "$file" == import/helper/* ]] && continue
    [ -n "${allowed[$target]+known}" ] || continue # not one of the product folders
    case " ${allowed[$folder]} " in
    *" $target "*) ;;
    *)
      echo "$file:$line: $folder/ must not include $target/: ${rest#*:}" >&2
      status=1
      ;;
    esac
  done < <(grep -rnE --include='*.cpp' --include='*.h' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^/"]+/' "$folder" || true)
done
# document/ holds no widgets: a header only Qt Widgets has (not Qt GUI or Core as well).
qt_headers=$(qtpaths6 --query QT_INSTALL_HEADERS 2>/dev/null || true)
if [ -d document ] && [ -d "$qt_headers/QtWidgets" ]; then
  while IFS= read -r hit; do
    file=${hit%%:*}
    rest=${hit#*:}
    line=${rest%%:*}
    header=$(sed -E 's/.*#[[:space:]]*include[[:space:]]*<([^>]+)>.*/\1/' <<<"$rest")
    header=${header#QtWidgets/}
    if [ -e "$qt_headers/QtWidgets/$header" ] && [ ! -e "$qt_headers/QtGui/$header" ] &&
      [ ! -e "$qt_headers/QtCore/$header" ]; then
      echo "$file:$line: document/ must not include a widget header: ${rest#*:}" >&2
      status=1
    fi
  done < <(grep -rnE --include='*.cpp' --include='*.h' '^[[:space:]]*#[[:space:]]*include[[:space:]]*<' document || true)
fi
exit $status
