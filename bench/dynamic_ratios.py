#!/usr/bin/env python3
"""Runs dynamic_bench and prints, from the one run, each kind's resolution
time, the share of it that the final zone conversion (local to UTC) takes,
and for the three kinds with a hand-written peer the ratio to it; then the
expiration and record figures.

  python3 bench/dynamic_ratios.py build/release/bench/dynamic_bench [extra args]

The benchmarks run interleaved and repeated (benchrun.py); the table shows the
least CPU time of each (on a shared machine, interference only adds time).
"""
import sys

import benchrun


def main():
    binary = sys.argv[1]
    extra = sys.argv[2:] or ["--benchmark_min_time=0.2"]
    times = benchrun.least(benchrun.run(binary, extra))

    print(f"{'kind':<24}{'resolve':>10}{'zone share':>12}{'peer':>10}{'ratio':>8}")
    resolve = sorted((n for n in times if n.startswith("BM_Resolve/")),
                     key=lambda n: (int(n.split("/")[1].split("_")[0]), n))
    for name in resolve:
        kind = name.split("/", 1)[1]
        t = times[name]
        share = times.get(f"BM_ZoneShare/{kind}")
        peer = times.get(f"BM_Peer/{kind}")
        share_text = f"{100 * share / t:11.0f}%" if share else f"{'-':>12}"
        peer_text = f"{peer:8.0f}ns{t / peer:8.2f}" if peer else f"{'-':>10}{'-':>8}"
        print(f"{kind:<24}{t:8.0f}ns{share_text}{peer_text}")
    print()
    others = [n for n in times if n.startswith(("BM_Expiration/", "BM_SaveObj/", "BM_LoadObj/"))]
    for name in sorted(others, key=lambda n: (n.split("/")[0], n)):
        print(f"{name:<40}{times[name]:8.0f}ns")


if __name__ == "__main__":
    main()
