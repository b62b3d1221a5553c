#!/usr/bin/env python3
"""Runs zone_bench and prints each conversion's time, ours and abseil's, with
the ratio (ours / abseil's: below 1.0 is faster), from the one run.

  python3 bench/zone_ratios.py build/release/bench/zone_bench [extra args]

The benchmarks run interleaved and repeated (benchrun.py); the table shows the
least CPU time of each (on a shared machine, interference only adds time).
"""
import sys

import benchrun

ROWS = [
    ("UTC->local, named zone, 1971-2037", "BM_Named_ToLocal/era:0", "BM_Absl_ToLocal/era:0"),
    ("UTC->local, named zone, 2050", "BM_Named_ToLocal/era:1", "BM_Absl_ToLocal/era:1"),
    ("local->UTC, named zone, 1971-2037", "BM_Named_ToUTC/era:0", "BM_Absl_ToUTC/era:0"),
    ("local->UTC, named zone, 2050", "BM_Named_ToUTC/era:1", "BM_Absl_ToUTC/era:1"),
    ("UTC->local, process zone, 1971-2037", "BM_Process_ToLocal/era:0", "BM_Absl_ToLocal/era:0"),
    ("UTC->local, process zone, 2050", "BM_Process_ToLocal/era:1", "BM_Absl_ToLocal/era:1"),
    ("local->UTC, process zone, 1971-2037", "BM_Process_ToUTC/era:0", "BM_Absl_ToUTC/era:0"),
    ("local->UTC, process zone, 2050", "BM_Process_ToUTC/era:1", "BM_Absl_ToUTC/era:1"),
    ("Find of a loaded name", "BM_Named_Find", "BM_Absl_Load"),
]


def main():
    binary = sys.argv[1]
    extra = sys.argv[2:] or ["--benchmark_min_time=0.2"]
    ns = benchrun.least(benchrun.run(binary, extra))
    print(f"{'operation':<38}{'TimeZone':>10}{'absl':>10}{'ratio':>8}")
    for label, ours, peer in ROWS:
        a, b = ns.get(ours), ns.get(peer)
        if a is None or b is None:
            print(f"{label:<38}{'(failed)':>10}")
            continue
        print(f"{label:<38}{a:>7.1f} ns{b:>7.1f} ns{a / b:>7.2f}x")


if __name__ == "__main__":
    main()
