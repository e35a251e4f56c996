#!/usr/bin/env python3
"""Prints one table from the benchmark programs' results in one directory.

scripts/bench.sh runs each program NAME_bench with
--benchmark_out=DIR/NAME.json (Google Benchmark's JSON) and its standard
output in DIR/NAME.txt; every row sets a subject against the reference
measured beside it in the same run. Usage: bench_table.py DIR
"""

import json
import re
import sys
from pathlib import Path

TO_SECONDS = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}


def load(directory, name):
    """The iteration runs of NAME.json by benchmark name (errors left out)."""
    path = directory / f"{name}.json"
    if not path.exists():
        return {}
    try:
        data = json.loads(path.read_text())
    except ValueError:
        return {}
    runs = {}
    for run in data.get("benchmarks", []):
        if run.get("run_type", "iteration") != "iteration" or run.get("error_occurred"):
            continue
        runs[run["name"].split("/")[0]] = run
    return runs


def seconds(runs, name):
    """The mean time per iteration of benchmark NAME, in seconds."""
    run = runs.get(name)
    if run is None:
        return None
    return run["real_time"] * TO_SECONDS[run.get("time_unit", "ns")]


def milliseconds(run, counter):
    return run[counter] / 1e3 if counter in run else None


def microseconds(run, counter):
    return run[counter] / 1e6 if counter in run else None


def show_time(value):
    if value is None:
        return "—"
    for unit, scale in (("s", 1.0), ("ms", 1e-3), ("µs", 1e-6)):
        if value >= scale:
            return f"{value / scale:.3g} {unit}"
    return f"{value / 1e-9:.3g} ns"


def show_rate(value):
    return "—" if value is None else f"{value / 1e6:.3g} M records/s"


def show_mb(value):
    return "—" if value is None else f"{value:.1f} MB"


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    directory = Path(sys.argv[1])
    rows = []  # what, ours, reference, ratio, target text, target check

    def row(what, ours, reference, shown, target=None, ratio=None):
        if ratio is None and ours is not None and reference:
            ratio = ours / reference
        verdict = ""
        if target and ratio is not None:
            verdict = " (met)" if target[1](ratio) else " (MISSED)"
        rows.append((what, shown(ours), shown(reference),
                     "—" if ratio is None else f"{ratio:.3f}",
                     (target[0] if target else "") + verdict))

    at_most = lambda limit: (f"≤ {limit}", lambda r: r <= limit)

    key = load(directory, "key_exchange").get("BM_KeyExchangeBesideKeyGeneration", {})
    row("Key exchange / bare RSA-1024 key generation",
        milliseconds(key, "exchange_ms"), milliseconds(key, "generation_ms"),
        show_time, at_most(1.2))

    tunnel = load(directory, "proxy_tunnel")
    for label, name in (("Basic (squid)", "Basic"), ("Digest (squid)", "Digest"),
                        ("NTLM (squid)", "Ntlm"), ("SOCKS5 (dante)", "Socks5"),
                        ("SOCKS5 user/password (microsocks)", "Socks5Password")):
        pair = tunnel.get(f"BM_{name}", {})
        row(f"Tunnel set-up vs curl, {label}", microseconds(pair, "ours_us"),
            microseconds(pair, "curl_us"), show_time, at_most(1.0))

    receive = load(directory, "receive_loop").get("BM_ReceiveLoopBesidePlainRecv", {})
    row("Receive loop vs plain recv loop, records/s (ours / plain)",
        receive.get("ours_records_per_s"), receive.get("plain_records_per_s"), show_rate)

    rebuild = load(directory, "rebuild")
    row("Code-list rebuild of 12 codes, warm / cold",
        seconds(rebuild, "BM_RebuildWarm"), seconds(rebuild, "BM_RebuildCold"),
        show_time, at_most(0.1))

    startup = load(directory, "startup")
    paired = startup.get("BM_StartupBesideBareQt", {})
    row("Start-up to the login window vs bare Qt dialog (offscreen)",
        milliseconds(paired, "ours_ms"), milliseconds(paired, "bare_ms"), show_time)

    ours_mb = None
    text = directory / "rebuild.txt"
    if text.exists():
        found = re.search(r"VmRSS = ([0-9.]+) MB", text.read_text())
        ours_mb = float(found.group(1)) if found else None
    bare = startup.get("BM_BareQtIdleMemory", {}).get("rss_kb")
    bare_mb = bare / 1024 if bare and bare > 0 else None
    memory_target = ("ours < 150 MB" + ("" if ours_mb is None else
                                         (" (met)" if ours_mb < 150 else " (MISSED)")))
    rows.append(("Idle resident memory, main window with 12 codes vs bare Qt dialog",
                 show_mb(ours_mb), show_mb(bare_mb),
                 f"{ours_mb / bare_mb:.3f}" if ours_mb and bare_mb else "—", memory_target))

    header = ("What", "Ours", "Reference", "Ratio", "Target")
    print("| " + " | ".join(header) + " |")
    print("|" + "|".join(["---"] * len(header)) + "|")
    for cells in rows:
        print("| " + " | ".join(cells) + " |")
    # A row without figures means its benchmark was skipped or failed.
    return 0 if all(cells[3] != "—" for cells in rows) else 1


if __name__ == "__main__":
    sys.exit(main())
