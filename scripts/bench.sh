#!/usr/bin/env bash
# make bench: builds the benchmarks (Release, with the windows, without the
# tests) in build-bench, starts the loopback test peers, runs every
# benchmark and prints one table: each subject against the reference
# measured beside it in the same run, with the ratio and its target. Each
# program's own output and JSON stay in build-bench/results/. As root (the
# peers need it).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/install-deps.sh
cmake --preset bench >/dev/null
benches=(key_exchange proxy_tunnel receive_loop rebuild startup)
cmake --build --preset bench --target "${benches[@]/%/_bench}"

# Only the peers this run starts are stopped at the end; peers that already
# ran (another run's tests use them) are left running.
started=build-bench/test-peers.started
trap 'bash scripts/test-services.sh stop --only "$started" >/dev/null' EXIT
# A peer whose port is briefly taken gets a second chance; a peer that still
# does not start leaves its row of the table empty.
bash scripts/test-services.sh start --record "$started" ||
  bash scripts/test-services.sh start --record "$started" ||
  echo "bench: some test peers did not start" >&2

results=build-bench/results
rm -rf "$results"
mkdir -p "$results"
export QT_QPA_PLATFORM=offscreen
for name in "${benches[@]}"; do
  echo "bench: running ${name}_bench" >&2
  "build-bench/bin/${name}_bench" --benchmark_out="$results/$name.json" \
    --benchmark_out_format=json >"$results/$name.txt" 2>&1 ||
    echo "bench: ${name}_bench failed; see $results/$name.txt" >&2
done

echo
echo "Machine: $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2 / 1048576}' /proc/meminfo)," \
  "$(. /etc/os-release && echo "$PRETTY_NAME"), $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
python3 scripts/bench_table.py "$results"
