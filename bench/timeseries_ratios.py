#!/usr/bin/env python3
"""Runs timeseries_bench and prints the time per occurrence of each schedule,
ours and libical's, with the ratio, from the one run.

  python3 bench/timeseries_ratios.py build/release/bench/timeseries_bench [extra args]

The benchmarks run interleaved and repeated (benchrun.py); the table shows the
least CPU time of each (on a shared machine, interference only adds time).
"""
import sys

import benchrun

RULES = ["every day at 09:30", "every weekday at 09:00", "second Tuesday, 09:00", "every 15 minutes"]


def main():
    binary = sys.argv[1]
    extra = sys.argv[2:] or ["--benchmark_min_time=0.2"]
    # Microseconds per occurrence, by name (BM_TimeSeries_Next/rule:0).
    per = benchrun.least(benchrun.run(binary, extra), value=lambda b: 1e6 / b["items_per_second"])
    print(f"{'schedule (next 1000)':<26}{'TimeSeries':>12}{'libical':>12}{'ratio':>8}")
    for i, rule in enumerate(RULES):
        ours = per.get(f"BM_TimeSeries_Next/rule:{i}")
        peer = per.get(f"BM_Libical_Next/rule:{i}")
        if ours is None or peer is None:
            print(f"{rule:<26}{'(failed)':>12}")
            continue
        print(f"{rule:<26}{ours:>9.3f} us{peer:>9.3f} us{peer / ours:>7.1f}x")


if __name__ == "__main__":
    main()
