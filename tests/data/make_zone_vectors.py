#!/usr/bin/env python3
# Brings the zone-dependent vector files in OUTDIR up to date.
#
# Run by every build: a file is written again when it is missing, when it was
# made from another release of the tz database than the one installed now (a
# system update replaces the database with its files' old modification times,
# so only the release named inside tells), or when its generator changed.
#
# Run: python3 make_zone_vectors.py OUTDIR
import os
import subprocess
import sys

import tzrelease

HERE = os.path.dirname(os.path.abspath(__file__))
KINDS = ["timezone", "dynamic", "timeseries"]


def stale(path, generator):
    try:
        with open(path) as f:
            first = f.readline()
    except OSError:
        return True
    if not first.startswith(f"# tzdata {tzrelease.release()}:"):
        return True
    made = os.path.getmtime(path)
    return any(os.path.getmtime(os.path.join(HERE, g)) > made for g in (generator, "tzrelease.py", "gen_timezone_vectors.py"))


def main():
    outdir = sys.argv[1]
    os.makedirs(outdir, exist_ok=True)
    for kind in KINDS:
        generator = f"gen_{kind}_vectors.py"
        path = os.path.join(outdir, f"{kind}_vectors.txt")
        if stale(path, generator):
            print(f"zone vectors: {kind}_vectors.txt from tzdata {tzrelease.release()}")
            subprocess.run([sys.executable, "-B", os.path.join(HERE, generator), path + ".new"], check=True)
            os.replace(path + ".new", path)


if __name__ == "__main__":
    main()
