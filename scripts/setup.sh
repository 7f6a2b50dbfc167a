#!/usr/bin/env bash
# Installs what building, running and testing Ostrel needs on Debian 12, when it is missing.
# Quick when everything is there: it only asks dpkg.
#
#   scripts/setup.sh        everything (what ./test.sh and CI need)
#   scripts/setup.sh run    only what building and running the two programs needs (./run.sh)
set -euo pipefail

# Building and running the viewer and ostrel-dump.
packages=(cmake ninja-build g++ qt6-base-dev qt6-translations-l10n fonts-liberation xvfb xauth)
if [ "${1:-}" != run ]; then
  # Tests, benchmarks, sanitizer and fuzz builds.
  packages+=(libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev x11-utils)
  # The icon as SVG; the Debian package and the checks of its desktop entry and file types.
  packages+=(qt6-svg-dev dpkg-dev desktop-file-utils libxml2-utils shared-mime-info xdg-utils
    libfile-mimeinfo-perl libglib2.0-bin)
fi
[ "${OSTREL_SETUP_EXTRA:-}" ] && packages+=(${OSTREL_SETUP_EXTRA})

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
