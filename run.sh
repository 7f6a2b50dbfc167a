#!/usr/bin/env bash
# Sets up what is missing, builds the viewer and ostrel-dump (no tests, no benchmarks: ./test.sh
# builds those) in build-release and opens the viewer on a bundled sample file (or on the file given
# as the argument). Without a display the viewer runs on a virtual one, saves a picture of its
# window and ends.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/setup.sh run
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DOSTREL_BUILD_TESTS=OFF \
  -DOSTREL_BUILD_BENCH=OFF >/dev/null
cmake --build build-release --target ostrel ostrel-dump
file=${1:-data/samples/py_kvdt__Z05123456699_27.10.2023_12.00.con}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  shot=$PWD/build-release/ostrel-screenshot.png
  rm -f "$shot"
  echo "No display: running the viewer on a virtual one for a screenshot."
  xvfb-run -a -s "-screen 0 1280x800x24" env OSTREL_SCREENSHOT="$shot" build-release/bin/ostrel "$file"
  [ -f "$shot" ] || { echo "No screenshot was written." >&2; exit 1; }
  echo "The viewer's window is in $shot"
  exit 0
fi
exec build-release/bin/ostrel "$file"
