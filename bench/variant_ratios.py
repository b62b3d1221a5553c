#!/usr/bin/env python3
"""Runs variant_bench and prints each Variant figure with its ratio to the
std::variant peer, from the one run.

  python3 bench/variant_ratios.py build/release/bench/variant_bench [extra args]

The benchmarks run interleaved and repeated (benchrun.py); the table shows the
least CPU time of each (on a shared machine, interference only adds time).
"""
import sys

import benchrun


def main():
    binary = sys.argv[1]
    extra = sys.argv[2:] or ["--benchmark_min_time=0.2"]
    times = benchrun.least(benchrun.run(binary, extra))
    print(f"{'work':<14}{'Variant':>12}{'std::variant':>14}{'ratio':>8}")
    for name, t in times.items():
        if not name.startswith("BM_Variant_"):
            continue
        work = name[len("BM_Variant_"):]
        peer = times[f"BM_Std_{work}"]
        print(f"{work:<14}{t:10.1f}ns{peer:12.1f}ns{t / peer:8.2f}")


if __name__ == "__main__":
    main()
