#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. The tests that open
# a real window share one virtual display when there is no display.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh
build_dir=${BUILD_DIR:-build}
if [ -z "${DISPLAY:-}" ]; then
  # -noreset: SDL probes the display and reconnects; a server that resets
  # when its last client leaves drops that second connection.
  exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" ctest --test-dir "$build_dir" --output-on-failure -j"$(nproc)"
fi
exec ctest --test-dir "$build_dir" --output-on-failure -j"$(nproc)"
