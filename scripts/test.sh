#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the normal build
# (everything, the long tests and the format check included), then all of
# them again under ASan+UBSan and the threaded ones under TSan (the long ones
# only in the normal build), then every fuzz target for a bounded time. It
# ends with one line, "N passed, N failed, N skipped", counted from CTest's
# own results (its JUnit files) and the fuzz run's verdicts.
#
#   scripts/test.sh [--stages LIST] [CTEST-ARGUMENTS...]
#
#   --stages LIST   which stages run, comma-separated, of normal, asan, tsan
#                   and fuzz (default: all, in that order)
#   CTEST-ARGUMENTS are added to every ctest run, e.g. -R ProxyLogin
#
# The loopback proxies are started by the tests' CTest fixture when a test
# that needs them runs, and stopped again after. Under CI (CI=true) a test
# that finds a peer missing fails instead of skipping.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
root=$(pwd)
jobs=${JOBS:-2}

stages=normal,asan,tsan,fuzz
if [ "${1:-}" = --stages ]; then
  stages=${2:?--stages needs a list}
  shift 2
fi
extra=("$@")
wants() { [[ ",$stages," == *",$1,"* ]]; }

bash scripts/install-deps.sh || exit 1

passed=0
failed=0
skipped=0
status=0
runs=0

# A run that selects no test is a fault, unless the command line narrowed
# every run (then a stage may well have nothing to run).
no_tests=error
[ ${#extra[@]} -eq 0 ] || no_tests=ignore

# Runs ctest in a build directory with the given arguments and adds what its
# JUnit file says to the totals. A run that fails without a failing test in
# its file (no test selected, no file written) counts as one failure.
run_ctest() {
  local dir=$1
  shift
  runs=$((runs + 1))
  local junit=$root/$dir/junit-$runs.xml
  rm -f "$junit"
  ctest --test-dir "$dir" --output-on-failure -j"$jobs" --no-tests="$no_tests" \
    --output-junit "$junit" "$@" "${extra[@]}"
  local rc=$? counts p=0 f=0 s=0
  if [ -s "$junit" ] && counts=$(python3 scripts/lib/junit_counts.py "$junit"); then
    read -r p f s <<<"$counts"
  else
    echo "-- ctest wrote no results to $junit"
  fi
  if [ "$rc" -ne 0 ] && [ "$f" -eq 0 ]; then
    f=1
  fi
  echo "-- $p passed, $f failed, $s skipped"
  passed=$((passed + p))
  failed=$((failed + f))
  skipped=$((skipped + s))
  [ "$f" -eq 0 ] || status=1
}

# Configures the preset (CMakePresets.json; a CMAKE_CXX_COMPILER_LAUNCHER
# such as ccache is taken from the environment) and builds it.
build() {
  local preset=$1 dir=$2
  mkdir -p "$dir"
  cmake --preset "$preset" >"$dir/configure.log" 2>&1 || {
    cat "$dir/configure.log"
    return 1
  }
  cmake --build "$dir" -j"$jobs"
}

# A stage that does not build counts as one failure.
build_failed() {
  echo "-- $1 did not build"
  failed=$((failed + 1))
  status=1
}

elapsed() { printf '%dm%02ds' $(($1 / 60)) $(($1 % 60)); }

if wants normal; then
  started=$SECONDS
  echo "== normal build, every test"
  if build default build; then
    run_ctest build
  else
    build_failed "the normal build"
  fi
  echo "== normal stage: $(elapsed $((SECONDS - started)))"
fi

# Sanitizer builds. Leak reports from libraries outside this project (the
# web engine, the font and device stacks Qt loads) are listed in
# tests/sanitizers/lsan.supp; every leak in the project's own code still fails.
asan_options=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=0
if wants asan; then
  started=$SECONDS
  echo "== every test under AddressSanitizer + UndefinedBehaviorSanitizer"
  export LSAN_OPTIONS=suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  if build asan build-asan; then
    ASAN_OPTIONS=$asan_options run_ctest build-asan -LE 'gui|long|style'
    # The windows' tests: the web engine inside Qt frees some of its objects
    # with a sized delete of another type, which ASan would stop on; the
    # consoles started on Xvfb (label display) load X, GL and D-Bus libraries
    # that are unloaded before the leak check can name them, so only their
    # memory errors count.
    ASAN_OPTIONS=$asan_options:new_delete_type_mismatch=0 \
      run_ctest build-asan -L gui -LE 'display|long'
    ASAN_OPTIONS=$asan_options:new_delete_type_mismatch=0:detect_leaks=0 \
      run_ctest build-asan -L display -LE long
  else
    build_failed "the ASan build"
  fi
  unset LSAN_OPTIONS UBSAN_OPTIONS
  echo "== ASan stage: $(elapsed $((SECONDS - started)))"
fi

# Qt's libraries are not built with ThreadSanitizer, so it would not see their
# locks; the threaded tests of the Qt-free core (label threaded) run under it.
if wants tsan; then
  started=$SECONDS
  echo "== threaded tests under ThreadSanitizer"
  if build tsan build-tsan; then
    TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 run_ctest build-tsan -L threaded -LE long
  else
    build_failed "the TSan build"
  fi
  echo "== TSan stage: $(elapsed $((SECONDS - started)))"
fi

if wants fuzz; then
  started=$SECONDS
  echo "== fuzz targets (libFuzzer, bounded)"
  fuzz_log=$(mktemp)
  bash scripts/fuzz.sh 2>&1 | tee "$fuzz_log"
  fuzz_rc=${PIPESTATUS[0]}
  # Each target is one test: fuzz.sh's own closing line names how many ran
  # and how many of them failed.
  fuzz_line=$(grep -E '^fuzz: [0-9]+ targets, [0-9]+ failed' "$fuzz_log" | tail -n 1)
  if [ -n "$fuzz_line" ]; then
    fuzz_total=$(sed -E 's/^fuzz: ([0-9]+) targets, ([0-9]+) failed.*/\1/' <<<"$fuzz_line")
    fuzz_bad=$(sed -E 's/^fuzz: ([0-9]+) targets, ([0-9]+) failed.*/\2/' <<<"$fuzz_line")
    passed=$((passed + fuzz_total - fuzz_bad))
    failed=$((failed + fuzz_bad))
  else
    failed=$((failed + 1))
  fi
  [ "$fuzz_rc" -eq 0 ] || status=1
  rm -f "$fuzz_log"
  echo "== fuzz stage: $(elapsed $((SECONDS - started)))"
fi

[ "$failed" -eq 0 ] || status=1
echo
echo "$passed passed, $failed failed, $skipped skipped"
exit $status
