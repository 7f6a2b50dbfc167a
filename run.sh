#!/usr/bin/env bash
# Sets up what is missing, builds Ostrel and opens the viewer on a bundled sample file
# (or on the file given as the argument).
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
file=${1:-data/samples/py_kvdt__Z05123456699_27.10.2023_12.00.con}
exec build/bin/ostrel "$file"
