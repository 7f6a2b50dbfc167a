#!/usr/bin/env bash
# Sets up what is missing, builds Ostrel with its tests and runs every test, in five stages:
#   plain    the normal build (build-test) and the whole test suite
#   asan     the whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer (build-asan)
#   tsan     the thread tests built with ThreadSanitizer (build-tsan)
#   package  the Debian package (build-package, Release), unpacked and checked
#   fuzz     every libFuzzer target for a bounded time (build-fuzz, see fuzz/run.sh)
# Any test failure, sanitizer report or fuzz finding fails the run.
#
#   ./test.sh                 all stages (what CI runs)
#   ./test.sh --quick         the plain stage only
#   ./test.sh asan tsan       the named stages only
# OSTREL_FUZZ_SECONDS sets the time per fuzz target (default 30).
set -euo pipefail
cd "$(dirname "$0")"

all_stages=(plain asan tsan package fuzz)
stages=()
for a in "$@"; do
  case $a in
    --quick) stages+=(plain) ;;
    plain | asan | tsan | package | fuzz) stages+=("$a") ;;
    *) echo "usage: $0 [--quick | plain | asan | tsan | package | fuzz ...]" >&2; exit 2 ;;
  esac
done
[ ${#stages[@]} -eq 0 ] && stages=("${all_stages[@]}")

bash scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
supp=$PWD/tests/sanitizers

# The thread tests: suite names (the part before the dot) with Thread, Cancel or Load in them (work
# that runs on the worker thread), and ChangingFile (the truncation guard's signal handler).
thread_tests='^([A-Za-z0-9_]*/)?[A-Za-z0-9_]*(Thread|Cancel|Load|ChangingFile)[A-Za-z0-9_]*\.'
# Left out of the ThreadSanitizer stage (they run in the other stages): tests whose windows paint
# large images, which Qt converts on its own thread pool; those threads hand the pieces over through
# Qt's uninstrumented locks, and the reports have no frame of ours to tell them apart by.
tsan_excluded='^(ExecuteThread\.StatusLinesAndProgressFromTheWorker|CheckWindowThread\.CheckCommandListsTheProblemsAndShowsTheirLines|ShellLoadTest\.(FileDroppedWhileALoadRunsOpensAfterIt|SearchDialogOffersAHundredThousandRecordTypes))$'

configure() { # build dir, extra cmake arguments
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
}

stage_plain() {
  configure build-test
  cmake --build build-test
  ctest --test-dir build-test --output-on-failure -j2
}

stage_asan() {
  # allow_user_segv_handler: the truncation guard installs its own SIGBUS handler over ASan's and
  # passes on every fault outside its views, which ASan then reports as usual.
  export ASAN_OPTIONS="allow_user_segv_handler=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
  export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
  configure build-asan -DOSTREL_SANITIZE=address,undefined -DOSTREL_BUILD_BENCH=OFF
  cmake --build build-asan
  ctest --test-dir build-asan --output-on-failure -j2
}

stage_tsan() {
  export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$supp/tsan.supp"
  configure build-tsan -DOSTREL_SANITIZE=thread -DOSTREL_BUILD_BENCH=OFF
  cmake --build build-tsan --target ostrel_thread_tests
  # A thread test in a suite that this build leaves out would silently not run: compare with the
  # plain build of this run, which has every suite.
  if [ "${plain_done:-}" ]; then
    local want have
    want=$(ctest --test-dir build-test -N -R "$thread_tests" -E Canary | sed -n 's/^Total Tests: //p')
    have=$(ctest --test-dir build-tsan -N -R "$thread_tests" -E Canary | sed -n 's/^Total Tests: //p')
    if [ "$want" != "$have" ]; then
      echo "tsan: $want thread tests in the plain build, $have here; add their suite to" \
        "ostrel_thread_tests in tests/CMakeLists.txt" >&2
      return 1
    fi
  fi
  ctest --test-dir build-tsan --output-on-failure -j2 --no-tests=error -R "$thread_tests" -E "$tsan_excluded"
}

stage_package() {
  local dir=build-package version arch deb scratch
  configure $dir -DCMAKE_BUILD_TYPE=Release -DOSTREL_BUILD_TESTS=OFF -DOSTREL_BUILD_BENCH=OFF
  cmake --build $dir
  rm -f $dir/ostrel_*.deb
  (cd $dir && cpack -G DEB >/dev/null)
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' $dir/CMakeCache.txt)
  arch=$(dpkg --print-architecture)
  deb=$dir/ostrel_${version}_${arch}.deb
  [ -f "$deb" ] || { echo "package: $deb was not made" >&2; return 1; }
  dpkg-deb -f "$deb" Package Version Architecture Depends
  dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || { echo "package: no Qt in Depends" >&2; return 1; }
  scratch=$(mktemp -d)
  # Expanded now: the stage's subshell ends after this function's variables are gone.
  trap "rm -rf '$scratch'" EXIT
  dpkg -x "$deb" "$scratch/root"

  # Exactly the listed files, under /usr.
  diff -u <(grep -v '^#' packaging/installed-files.txt | sed 's|^|usr/|' | sort) \
    <(cd "$scratch/root" && find . ! -type d | sed 's|^\./||' | sort)
  local usr=$scratch/root/usr
  "$usr/bin/ostrel-dump" --klassisch --summary data/samples/levinalex-xdt__e3.ldt |
    cmp - tests/data/dump/levinalex-xdt__e3.ldt.summary

  # The desktop entry without errors or warnings (hints are advice), the file types well-formed and
  # taken by the MIME database without a complaint.
  local out
  out=$(desktop-file-validate "$usr/share/applications/org.ostrel.Ostrel.desktop" 2>&1 | grep -v ': hint: ' || true)
  [ -z "$out" ] || { echo "$out" >&2; return 1; }
  xmllint --noout "$usr/share/mime/packages/org.ostrel.Ostrel.xml"
  mkdir -p "$scratch/data/mime/packages"
  cp /usr/share/mime/packages/freedesktop.org.xml "$usr/share/mime/packages/org.ostrel.Ostrel.xml" \
    "$scratch/data/mime/packages/"
  out=$(XDG_DATA_DIRS=$scratch/data update-mime-database "$scratch/data/mime" 2>&1)
  [ -z "$out" ] || { echo "$out" >&2; return 1; }

  # What a file manager makes of files, by name and by content, through xdg-mime as a desktop
  # without a name asks it (File::MimeInfo) and as GNOME does (GIO); no other desktop's variables.
  local files=$scratch/files
  mkdir -p "$files"
  cp data/samples/levinalex-xdt__e3.ldt "$files/befund.dat"
  cp data/samples/levinalex-xdt__example4.bdt.txt "$files/sdav0123.001"
  printf 'Praxis\n' >"$files/praxis.bdt"
  printf 'Nur Text\n' >"$files/notiz.txt"
  local checks=(
    "data/samples/healthmetrix-libldt3__3.2.4-with-bak.ldt application/x-ldt"
    "data/samples/pygdt__test.gdt application/x-gdt"
    "data/samples/py_kvdt__Z05123456699_27.10.2023_12.00.con application/x-kvdt"
    "data/samples/levinalex-xdt__gdt2_0-1.txt application/x-gdt"
    "$files/befund.dat application/x-ldt"
    "$files/sdav0123.001 application/x-xdt"
    "$files/praxis.bdt application/x-bdt"
    "$files/notiz.txt text/plain"
  )
  local c file want have desktop bad=0
  for desktop in "" GNOME; do
    for c in "${checks[@]}"; do
      file=${c% *} want=${c##* }
      have=$(env -u DESKTOP_SESSION -u KDE_FULL_SESSION -u GNOME_DESKTOP_SESSION_ID \
        XDG_CURRENT_DESKTOP=$desktop XDG_DATA_HOME=$scratch/home XDG_DATA_DIRS=$scratch/data \
        xdg-mime query filetype "$file")
      if [ "$have" != "$want" ]; then
        echo "package: ${desktop:-generic} desktop takes $file for $have, not $want" >&2
        bad=1
      fi
    done
  done
  [ $bad -eq 0 ]
  echo "package: $deb checked"
}

stage_fuzz() {
  fuzz/run.sh "${OSTREL_FUZZ_SECONDS:-30}"
}

summary=()
log=$(mktemp)
trap 'rm -f "$log"' EXIT
for s in "${stages[@]}"; do
  echo "=== stage $s"
  start=$SECONDS
  ("stage_$s") 2>&1 | tee -a "$log"
  [ "$s" = plain ] && plain_done=1
  summary+=("$s $((SECONDS - start)) s")
done
echo "=== all passed: ${summary[*]}"
# One closing line for every stage's tests together (any failure has ended the run above).
passed=$(sed -n 's/^100% tests passed, 0 tests failed out of \([0-9]*\)$/\1/p' "$log" | awk '{n += $1} END {print n + 0}')
echo "$passed passed, 0 failed"
