#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test (the window tests under Xvfb).
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j2
xvfb-run -a -s "-screen 0 1280x1024x24" env NO_AT_BRIDGE=1 \
  ctest --preset default -j2 --timeout 300
