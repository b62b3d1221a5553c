"""What the *_ratios.py scripts share: one run of a benchmark program, its
benchmarks interleaved at random and repeated, reduced to the least CPU time
of each (on a shared machine, interference only adds time)."""
import json
import subprocess

_SCALE = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}


def run(binary, extra, repetitions=7):
    """The iteration entries of one JSON run of `binary` (failed ones left out)."""
    out = subprocess.run(
        [binary, "--benchmark_format=json", f"--benchmark_repetitions={repetitions}",
         "--benchmark_enable_random_interleaving=true"] + list(extra),
        check=True, capture_output=True, text=True).stdout
    return [b for b in json.loads(out)["benchmarks"]
            if b.get("run_type") == "iteration" and "error_occurred" not in b]


def least(entries, key=lambda b: b["run_name"], value=None):
    """The least value per key; by default the CPU time in nanoseconds."""
    if value is None:
        def value(b):
            return b["cpu_time"] * _SCALE[b["time_unit"]]
    best = {}
    for b in entries:
        k, v = key(b), value(b)
        best[k] = min(v, best.get(k, v))
    return best
