#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz and runs each for a bounded time.
#   fuzz/run.sh [SECONDS] [TARGET...]     e.g. fuzz/run.sh 600, or fuzz/run.sh 60 load
# SECONDS per target (default: $OSTREL_FUZZ_SECONDS, else 30). TARGET is a name like load or comment;
# without one every fuzz/fuzz_*.cpp runs. The seeds of fuzz/corpus/<target>/ are read (and the
# dictionary fuzz/<target>.dict when there is one), new inputs go to
# build-fuzz/corpus/<target>/, and an input that fails is saved as build-fuzz/findings/<target>-*.
# Exit status 1 when any target finds a crash, a sanitizer report, a broken invariant, a leak, a hang
# (an input taking longer than 10 s) or excessive memory use.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-${OSTREL_FUZZ_SECONDS:-30}}
[ $# -gt 0 ] && shift
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in fuzz/fuzz_*.cpp; do t=${f#fuzz/fuzz_}; targets+=("${t%.cpp}"); done
fi

build=build-fuzz
cmake -S . -B $build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DOSTREL_FUZZ=ON -DOSTREL_BUILD_TESTS=OFF -DOSTREL_BUILD_BENCH=OFF -DOSTREL_BUILD_GUI=OFF >/dev/null
cmake --build $build --target "${targets[@]/#/fuzz_}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-allow_user_segv_handler=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
mkdir -p $build/findings
failed=()
for t in "${targets[@]}"; do
  mkdir -p $build/corpus/$t
  log=$build/fuzz_$t.log
  echo "fuzz_$t: ${seconds} s"
  dict=()
  [ -f fuzz/$t.dict ] && dict=(-dict=fuzz/$t.dict)
  if $build/bin/fuzz_$t -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      "${dict[@]}" -artifact_prefix=$build/findings/$t- $build/corpus/$t fuzz/corpus/$t >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "fuzz_$t: ${runs:-?} executions, nothing found"
  else
    echo "fuzz_$t: FINDING (log: $log)"
    grep -E "ERROR|invariant broken|SUMMARY|Test unit written" "$log" | head -20 || true
    failed+=("$t")
  fi
done
[ ${#failed[@]} -eq 0 ] || { echo "fuzz findings in: ${failed[*]}"; exit 1; }
