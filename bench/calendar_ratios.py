#!/usr/bin/env python3
"""Runs calendar_bench and prints each DateTime move next to its C++20 peer,
with the ratio, from the one run.

  python3 bench/calendar_ratios.py build/release/bench/calendar_bench [extra args]

The benchmarks run interleaved and repeated (benchrun.py); the table shows the
median CPU time of each over the repetitions.
"""
import statistics
import sys

import benchrun

PAIRS = [
    ("DateTime + TimeSpan", "BM_AddSpan_DateTime", "BM_AddSpan_Chrono"),
    ("DateTime - TimeSpan", "BM_MinusSpan_DateTime", "BM_AddSpan_Chrono"),
    ("business Add", "BM_AddBusiness_DateTime", "BM_AddSpan_Chrono"),
    ("weekday, fresh copy", "BM_DayOfWeek_DateTime_Fresh", "BM_DayOfWeek_Chrono"),
    ("weekday vs ymd", "BM_DayOfWeek_DateTime_Fresh", "BM_DayOfWeek_ChronoYmd"),
]


def main():
    binary = sys.argv[1]
    extra = sys.argv[2:] or ["--benchmark_min_time=0.2"]
    names = sorted({n for _, a, b in PAIRS for n in (a, b)})
    entries = benchrun.run(binary, ["--benchmark_filter=^(" + "|".join(names) + ")$"] + extra, repetitions=9)
    times = {}
    for b in entries:
        times.setdefault(b["run_name"], []).append(b["cpu_time"] * benchrun._SCALE[b["time_unit"]])
    med = {k: statistics.median(v) for k, v in times.items()}
    print(f"{'work':<22}{'DateTime':>10}{'chrono':>10}{'ratio':>8}")
    for work, ours, peer in PAIRS:
        print(f"{work:<22}{med[ours]:8.2f}ns{med[peer]:8.2f}ns{med[ours] / med[peer]:8.2f}")


if __name__ == "__main__":
    main()
