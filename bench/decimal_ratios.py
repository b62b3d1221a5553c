#!/usr/bin/env python3
"""Runs decimal_bench and prints each BigDecimal figure with its ratio to the
GMP peer of the same size, from the one run, then the log-log slope of each
operation's time between successive long sizes (1 for linear cost, 2 for
quadratic; n log n shows as a little above 1).

  python3 bench/decimal_ratios.py build/release/bench/decimal_bench [extra args]

Without extra arguments every size up to 10^7 digits runs; the 3 x 10^7 rows
run only when asked for, e.g. --benchmark_filter='/30000000/'. The
benchmarks are interleaved at random and repeated; the table shows the least
CPU time of each (on a shared machine, interference only adds time), or with
--median the median of the repetitions. A --benchmark_repetitions argument
replaces the default count.
"""
import statistics
import json
import math
import subprocess
import sys


def main():
    binary = sys.argv[1]
    median = "--median" in sys.argv[2:]
    extra = [a for a in sys.argv[2:] if a != "--median"] or [
        "--benchmark_min_time=0.2", "--benchmark_filter=-/30000000/"]
    reps = "3" if any("30000000" in a for a in extra) else "5"
    if not any(a.startswith("--benchmark_repetitions") for a in extra):
        extra = ["--benchmark_repetitions=" + reps] + extra
    out = subprocess.run(
        [binary, "--benchmark_format=json",
         "--benchmark_enable_random_interleaving=true"] + extra,
        check=True, capture_output=True, text=True).stdout
    runs = {}
    for b in json.loads(out)["benchmarks"]:
        if b.get("run_type") != "iteration":
            continue
        parts = b["run_name"].split("/")  # BM_Decimal_Add/10[/iterations:N]
        name = parts[0] + "/" + parts[1]
        scale = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}[b["time_unit"]]
        runs.setdefault(name, []).append(b["cpu_time"] * scale)
    pick = statistics.median if median else min
    times = {name: pick(ts) for name, ts in runs.items()}

    def show(ns):
        for unit, f in (("s", 1e9), ("ms", 1e6), ("us", 1e3)):
            if ns >= f:
                return f"{ns / f:9.3g} {unit}"
        return f"{ns:9.0f} ns"

    print(f"{'operation':<11}{'digits':>10}{'BigDecimal':>14}{'GMP peer':>14}{'ratio':>8}")
    rows = sorted((n for n in times if n.startswith("BM_Decimal_")),
                  key=lambda n: (n.split("/")[0], int(n.split("/")[1])))
    for name in rows:
        op, size = name[len("BM_Decimal_"):].split("/")
        peer = times.get(f"BM_Gmp_{op}/{size}")
        ratio = f"{times[name] / peer:8.2f}" if peer else "       -"
        peer_text = show(peer) if peer else "             -"
        print(f"{op:<11}{size:>10}{show(times[name]):>14}{peer_text:>14}{ratio}")

    print("\nlog-log slopes from 10^5 digits on (BigDecimal / GMP peer)")
    for prefix in ("BM_Decimal_", "BM_Gmp_"):
        ops = sorted({n.split("/")[0][len(prefix):] for n in times if n.startswith(prefix)})
        for op in ops:
            sizes = sorted(int(n.split("/")[1]) for n in times
                           if n.startswith(prefix + op + "/") and int(n.split("/")[1]) >= 100000)
            if len(sizes) < 2:
                continue
            steps = []
            for lo, hi in zip(sizes, sizes[1:]):
                t0 = times[f"{prefix}{op}/{lo}"]
                t1 = times[f"{prefix}{op}/{hi}"]
                steps.append(f"{lo:.0e}->{hi:.0e}: {math.log(t1 / t0) / math.log(hi / lo):.2f}")
            print(f"  {prefix[3:-1]:<8}{op:<10}" + "  ".join(steps))


if __name__ == "__main__":
    main()
