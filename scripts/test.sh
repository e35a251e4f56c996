#!/usr/bin/env bash
# Installs what is missing, builds, starts the test peers on loopback, runs
# every test (normal build, then the unit tests under ASan+UBSan and the
# concurrency tests under TSan), stops the peers and prints one closing line.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=${JOBS:-2}

bash scripts/install-deps.sh || exit 1

passed=0
failed=0
status=0

# Runs ctest with the given arguments and adds its counts to the totals.
run_ctest() {
  local dir=$1; shift
  local log
  log=$(mktemp)
  # A test that fails is run once more before it counts as failed: the suites
  # with real peers (proxies, Xvfb, the web engine) run two at a time on two
  # cores and now and then miss a time limit. A second failure fails.
  ctest --test-dir "$dir" --output-on-failure -j"$jobs" --repeat until-pass:2 "$@" 2>&1 | tee "$log"
  local rc=${PIPESTATUS[0]}
  local line total bad
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
  if [ -n "$line" ]; then
    bad=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
    total=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$line")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
  elif ! grep -q 'No tests were found' "$log"; then
    failed=$((failed + 1))
  fi
  [ "$rc" -eq 0 ] || status=1
  rm -f "$log"
}

build() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DOSTIVA_WERROR=ON "$@" >"$dir.configure.log" 2>&1 ||
    { cat "$dir.configure.log"; return 1; }
  cmake --build "$dir" -j"$jobs"
}

echo "== normal build"
mkdir -p build
build build || { echo "0 passed, 1 failed"; exit 1; }

services=scripts/test-services.sh
if [ -f "$services" ]; then
  bash "$services" start || status=1
  trap 'bash "$root/$services" stop' EXIT
fi

echo "== all tests"
run_ctest build

# The sanitizer builds make only what their tests run: the unit test
# programs and the fuzz-seed replays (ASan+UBSan), and the programs that hold
# concurrency tests (TSan).
sanitizer_targets() {
  ninja -C "$1" -t targets all 2>/dev/null |
    sed -n -E 's/^((unit_[A-Za-z0-9_]+)|([A-Za-z0-9_]+_fuzz)): .*/\1/p' | grep -v '^cmake_' | sort -u
}

sanitizer_build() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DOSTIVA_WERROR=ON -DOSTIVA_BUILD_UI=OFF \
    -DOSTIVA_BUILD_BENCHMARKS=OFF "$@" >"$dir.configure.log" 2>&1 ||
    { cat "$dir.configure.log"; return 1; }
  # shellcheck disable=SC2046
  cmake --build "$dir" -j"$jobs" --target $(sanitizer_targets "$dir")
}

echo "== unit tests under AddressSanitizer + UndefinedBehaviorSanitizer"
mkdir -p build-asan
if sanitizer_build build-asan -DOSTIVA_SANITIZE=ON; then
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    run_ctest build-asan -L unit
else
  failed=$((failed + 1)); status=1
fi

echo "== concurrency tests under ThreadSanitizer"
mkdir -p build-tsan
if sanitizer_build build-tsan -DOSTIVA_TSAN=ON; then
  TSAN_OPTIONS=halt_on_error=1 run_ctest build-tsan -L unit -R 'Concurren|Thread'
else
  failed=$((failed + 1)); status=1
fi

echo
echo "$passed passed, $failed failed"
exit $status
