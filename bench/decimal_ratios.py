#!/usr/bin/env python3
"""Runs decimal_bench and prints each BigDecimal figure with its ratio to the
GMP peer of the same size, from the one run.

  python3 bench/decimal_ratios.py build/release/bench/decimal_bench [extra args]

The benchmarks are interleaved at random and repeated; the table shows the
least CPU time of each (on a shared machine, interference only adds time).
"""
import json
import subprocess
import sys


def main():
    binary = sys.argv[1]
    extra = sys.argv[2:] or ["--benchmark_min_time=0.2"]
    out = subprocess.run(
        [binary, "--benchmark_format=json", "--benchmark_repetitions=7",
         "--benchmark_enable_random_interleaving=true"] + extra,
        check=True, capture_output=True, text=True).stdout
    times = {}
    for b in json.loads(out)["benchmarks"]:
        if b.get("run_type") != "iteration":
            continue
        name = b["run_name"]  # BM_Decimal_Add/10
        scale = {"ns": 1.0, "us": 1e3, "ms": 1e6}[b["time_unit"]]
        t = b["cpu_time"] * scale
        times[name] = min(t, times.get(name, t))
    print(f"{'operation':<14}{'digits':>7}{'BigDecimal':>14}{'GMP peer':>14}{'ratio':>8}")
    for name in sorted(times, key=lambda n: (n.split("/")[0], int(n.split("/")[1]))):
        if not name.startswith("BM_Decimal_"):
            continue
        op, size = name[len("BM_Decimal_"):].split("/")
        peer = times.get(f"BM_Gmp_{op}/{size}")
        ratio = f"{times[name] / peer:8.2f}" if peer else "       -"
        peer_text = f"{peer:12.0f}ns" if peer else "             -"
        print(f"{op:<14}{size:>7}{times[name]:12.0f}ns{peer_text}{ratio}")


if __name__ == "__main__":
    main()
