#!/usr/bin/env bash
# Installs what is missing, builds, and checks the sample model with aseinfo.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh
build_dir=${BUILD_DIR:-build}
"$build_dir/aseinfo" sample/statue.ase
