#!/usr/bin/env bash
# Installs what building, running and testing Ostrel needs on Debian 12, when it is missing.
# Quick when everything is there: it only asks dpkg.
set -euo pipefail

packages=(cmake ninja-build g++ qt6-base-dev qt6-translations-l10n libgtest-dev libgmock-dev libbenchmark-dev
  fonts-liberation xvfb xauth x11-utils clang libclang-rt-14-dev)
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
