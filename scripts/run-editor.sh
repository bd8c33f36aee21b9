#!/usr/bin/env bash
# Builds Pictoria (installing missing Debian packages first) and starts the editor.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2 --target pictoria
exec ./build/pictoria "$@"
