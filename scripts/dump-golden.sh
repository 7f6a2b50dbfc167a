#!/usr/bin/env bash
# Writes the expected ostrel-dump output of every bundled sample into tests/data/dump/, from the
# given build's program. Run it only when the dump tool's output is meant to change; the shell tests
# compare against these files byte for byte.
#   scripts/dump-golden.sh [BUILD_DIR] [EXTRA OPTION ...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-release}
shift || true
dump=$build/bin/ostrel-dump
out=tests/data/dump
mkdir -p "$out"
for f in data/samples/*; do
  name=$(basename "$f")
  [ "$name" = CREDITS.md ] && continue
  for mode in tsv json summary; do
    case $mode in
      tsv) args=() ;;
      json) args=(--json) ;;
      summary) args=(--summary) ;;
    esac
    set +e
    "$dump" "$@" "${args[@]}" "$f" >"$out/$name.$mode" 2>"$out/$name.$mode.err"
    echo "exit $?" >>"$out/$name.$mode.err"
    set -e
  done
done
