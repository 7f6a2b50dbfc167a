#!/usr/bin/env bash
# Remakes docs/ostrel.png, the picture at the head of the README (or writes the picture to the path
# given as the argument): the viewer on a bundled LDT 3 sample with field names and comments on,
# taken by its own screenshot mode on a fixed virtual screen, so that the same program gives the
# same picture. The user's options stay as they are: the viewer reads a temporary options file
# (OSTREL_OPTIONS_FILE) and writes none in this mode.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-docs/ostrel.png}")
sample=data/samples/labres-ldtparser__Z01_UseCase12_Storno_Auftrag.ldt
bash scripts/setup.sh run
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DOSTREL_BUILD_TESTS=OFF \
  -DOSTREL_BUILD_BENCH=OFF >/dev/null
cmake --build build-release --target ostrel

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -m 700 "$tmp/run" "$tmp/config"
printf '[Options]\r\nShow Comments=1\r\nShow Fieldname=1\r\nWindow Maximized=0\r\n' >"$tmp/ostrel.INI"
rm -f "$out"
# No settings of the user's desktop, scaling or fonts: a fresh configuration folder, the X11
# platform of the virtual screen.
env -u OSTREL_KLASSISCH -u QT_QPA_PLATFORM -u QT_SCALE_FACTOR -u QT_SCREEN_SCALE_FACTORS -u QT_FONT_DPI -u QT_STYLE_OVERRIDE \
  XDG_CONFIG_HOME="$tmp/config" XDG_RUNTIME_DIR="$tmp/run" OSTREL_OPTIONS_FILE="$tmp/ostrel.INI" \
  OSTREL_SCREENSHOT="$out" \
  xvfb-run -a -s "-screen 0 1280x800x24" build-release/bin/ostrel "$sample"
[ -f "$out" ] || { echo "No picture was written." >&2; exit 1; }
