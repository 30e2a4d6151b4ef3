#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test: the whole suite (the window
# tests under Xvfb), then the suite again built with AddressSanitizer and UndefinedBehaviorSanitizer
# (without the window toolkit), then the fuzz targets' corpora and a short fuzzing run.
# --quick runs the first part only.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/install-deps.sh

echo "== build and test"
cmake --preset default >/dev/null
cmake --build --preset default -j2
xvfb-run -a -s "-screen 0 1280x1024x24" env NO_AT_BRIDGE=1 \
  ctest --preset default -j2 --timeout 300
[ "${1:-}" = "--quick" ] && exit 0

echo "== build and test with sanitizers"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j2
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --preset sanitize -j2 --timeout 600

if [ -f scripts/fuzz.sh ]; then
  echo "== fuzz"
  bash scripts/fuzz.sh 120
fi
