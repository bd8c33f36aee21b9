#!/usr/bin/env bash
# Fails when a product file includes a folder above its own. Includes run one way:
#   platform <- controls
#   platform <- document <- canvas <- tools <- files <- import, about <- mainwindow <- app
# (the button gallery sees platform and controls only). Usage: check-includes.sh [tree]
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
exit $status
