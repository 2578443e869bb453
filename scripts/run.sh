#!/usr/bin/env bash
# Installs what is missing, builds, and runs the viewer on the sample statue.
# With a display it opens the window (Escape quits). Without one it runs the
# viewer on a virtual display, saves a screenshot of each render mode into
# build/screenshots/ and prints the frame rates.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh
build_dir=${BUILD_DIR:-build}
exe=$(cd "$build_dir" && pwd)/aseviewer

if [ -n "${DISPLAY:-}" ]; then
  # The viewer reads ./statue.ase and ./media/: run it in a copy of sample/.
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  cp -R sample/. "$work"
  cd "$work"
  "$exe"
else
  python3 tests/e2e/drive.py --exe "$exe" --sample sample --screenshots "$build_dir/screenshots" --seconds 3
fi
