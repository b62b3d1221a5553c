#!/usr/bin/env python3
# Writes the named-zone vectors (TimeZone) from Python's zoneinfo.
#
#   timezone_vectors.txt
#     Z name
#         a zone of the database; the lines up to the next Z are its
#     t u0 u1 u2 a0 a1 b0 b1 c0 c1 d0 d1
#         a transition at instant t (Unix time) and the offsets (seconds east)
#         zoneinfo gives around it:
#           u0 u1 u2   at the instants t-1, t and t+1 (UTC to local);
#           a0 a1      of the wall reading t+lo-1 with fold=0 and fold=1, where
#                      lo and hi are the smaller and the larger of u0 and u2;
#           b0 b1      of the reading t+lo (the first skipped or repeated one);
#           c0 c1      of the reading t+hi-1 (the last one);
#           d0 d1      of the reading t+hi (the first one after).
#         The instant of a reading r with fold f is r minus its offset.
#
# Every zone of the machine's tz database (one name for each distinct file:
# links repeat their target), every transition from 1900 to 2400: those listed
# in the zone's file, then those of its closing rule, year by year.
#
# Run: python3 gen_timezone_vectors.py [output file] (the build does, into its tree)
import datetime
import hashlib
import os
import zoneinfo
from zoneinfo import _zoneinfo

import tzrelease

UTC = datetime.timezone.utc
EPOCH = datetime.datetime(1970, 1, 1)
FIRST = int((datetime.datetime(1900, 1, 1) - EPOCH).total_seconds())
LAST = int((datetime.datetime(2401, 1, 1) - EPOCH).total_seconds())
SECOND = datetime.timedelta(seconds=1)


def transitions(name, listed_only=False):
    """The zone's transition instants in FIRST..LAST, ascending: those listed
    in its file, then (unless listed_only) those of its closing rule."""
    with open(os.path.join(tzrelease.TZDIR, name), "rb") as f:
        rules = _zoneinfo.ZoneInfo.from_file(f, key=name)  # the same reader, its lists open to view
    listed = [t for t in rules._trans_utc if FIRST <= t < LAST]
    after = rules._tz_after
    if listed_only or not isinstance(after, _zoneinfo._TZStr):
        return listed
    last = rules._trans_utc[-1] if rules._trans_utc else FIRST
    std, dst = after.std.utcoff.total_seconds(), after.dst.utcoff.total_seconds()
    ruled = set()
    for year in range(max(1900, datetime.datetime.utcfromtimestamp(max(last, FIRST)).year - 1), 2401):
        start, end = after.transitions(year)
        for t in (int(start - std), int(end - dst)):
            if last < t and FIRST <= t < LAST:
                ruled.add(t)
    return listed + sorted(ruled)


def main():
    names = sorted(n for n in zoneinfo.available_timezones() if n not in ("Factory", "localtime"))
    seen = set()
    out = [tzrelease.header("gen_timezone_vectors.py", "see there for the line format")]
    for name in names:
        with open(os.path.join(tzrelease.TZDIR, name), "rb") as f:
            digest = hashlib.sha1(f.read()).digest()
        if digest in seen:
            continue
        seen.add(digest)
        zone = zoneinfo.ZoneInfo(name)
        out.append(f"Z {name}\n")
        fromutc = zone.fromutc
        for t in transitions(name):
            at = EPOCH + datetime.timedelta(seconds=t)
            u = [int(fromutc((at + s * SECOND).replace(tzinfo=zone)).utcoffset().total_seconds()) for s in (-1, 0, 1)]
            lo, hi = min(u[0], u[2]), max(u[0], u[2])
            row = [t] + u
            for r in (at + (lo - 1) * SECOND, at + lo * SECOND, at + (hi - 1) * SECOND, at + hi * SECOND):
                local = r.replace(tzinfo=zone)
                row.append(int(local.utcoffset().total_seconds()))
                row.append(int(local.replace(fold=1).utcoffset().total_seconds()))
            out.append(" ".join(map(str, row)) + "\n")
    with open(tzrelease.output_path("timezone_vectors.txt"), "w") as f:
        f.writelines(out)


if __name__ == "__main__":
    main()
