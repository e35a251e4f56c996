#!/usr/bin/env bash
# Builds every fuzz/<name>_fuzz.cpp with clang as a libFuzzer program (ASan
# and UBSan, core instrumented too) in build-fuzz/ and runs each for a
# bounded time on a copy of its seed corpus. The repository's corpus is
# never written to; crash, leak and timeout inputs are kept in
# build-fuzz/artifacts/ and each run's log in build-fuzz/fuzz-logs/.
#
#   scripts/fuzz.sh                  every target, FUZZ_SECONDS (20) each
#   scripts/fuzz.sh base64_fuzz ...  only these
#   FUZZ_SECONDS=300 scripts/fuzz.sh
#
# Exit status 1 when any target crashed, leaked, timed out, hit undefined
# behaviour or did not build.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${FUZZ_SECONDS:-20}
jobs=${FUZZ_JOBS:-2}

if [[ $# -gt 0 ]]; then
    targets=("$@")
else
    targets=()
    for src in "$root"/fuzz/*_fuzz.cpp; do
        name=$(basename "$src" .cpp)
        targets+=("$name")
    done
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/ostiva-fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The "fuzz" preset of CMakePresets.json: clang, libFuzzer, no windows.
(cd "$root" && cmake --preset fuzz -B "$build") >"$work/configure.log" 2>&1 || {
    cat "$work/configure.log"
    echo "fuzz: configure failed"
    exit 1
}
if ! ninja -C "$build" -j "$jobs" "${targets[@]}"; then
    echo "fuzz: build failed"
    exit 1
fi

artifacts=$build/artifacts
logs=$build/fuzz-logs
mkdir -p "$artifacts" "$logs"

# What went wrong, from the run's log and exit status; "ok" when nothing.
verdict() {
    local log=$1 status=$2
    if grep -q "ERROR: LeakSanitizer" "$log"; then echo "LEAK"
    elif grep -q "runtime error:" "$log"; then echo "UNDEFINED BEHAVIOUR"
    elif grep -q "ERROR: libFuzzer: timeout" "$log"; then echo "TIMEOUT"
    elif grep -q "ERROR: libFuzzer: out-of-memory" "$log"; then echo "OUT OF MEMORY"
    elif grep -q "ERROR: AddressSanitizer" "$log"; then echo "CRASH (AddressSanitizer)"
    elif grep -q "ERROR: libFuzzer: deadly signal" "$log"; then echo "CRASH"
    elif [[ $status -eq 124 || $status -eq 137 ]]; then echo "HUNG (killed after $((seconds + 60)) s)"
    elif [[ $status -ne 0 ]]; then echo "FAILED (exit $status)"
    else echo "ok"
    fi
}

failed=0
for name in "${targets[@]}"; do
    corpus=$work/$name
    mkdir -p "$corpus"
    if [[ -d $root/fuzz/corpus/$name ]]; then
        cp -R "$root/fuzz/corpus/$name/." "$corpus/"
    fi
    log=$logs/$name.log
    ASAN_OPTIONS=detect_leaks=1 \
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        timeout --kill-after=10 $((seconds + 60)) "$build/bin/$name" \
        -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$artifacts/$name-" \
        "$corpus" >"$log" 2>&1
    status=$?
    result=$(verdict "$log" "$status")
    runs=$(awk '/stat::number_of_executed_units:/ { print $2 }' "$log" | tail -n 1)
    printf '%-26s %12s runs  %s\n' "$name" "${runs:-?}" "$result"
    if [[ $result != ok ]]; then
        failed=$((failed + 1))
        grep -m 1 -A 12 -E "ERROR: |runtime error:" "$log" | sed 's/^/    /'
        echo "    log: $log"
    fi
done

echo "fuzz: ${#targets[@]} targets, $failed failed"
[[ $failed -eq 0 ]]
