#!/usr/bin/env python3
# Writes the time-zone conversion vectors from Python's zoneinfo.
#
#   zone_vectors.txt
#     U zone  y mo d h mi s ms  y mo d h mi s ms  off
#         a UTC reading and its local wall time (ToLocalTime)
#     L zone  y mo d h mi s ms  y mo d h mi s ms  off
#         a local wall-time reading and its UTC instant (ToUTCTime); a reading
#         skipped by a transition takes the offset in effect before it, a
#         repeated one the earlier instant (zoneinfo with fold=0)
#     R zone  localSeconds instant off
#         the same as plain counts of seconds from 1970-01-01 00:00 (wall
#         clock, Unix time)
#   `off` is local minus UTC of the conversion: in minutes truncated toward
#   zero on U and L lines (so a local mean time of -4:56:02 is -296), in
#   seconds on R lines.
#
# Every zone of the machine's tz database gets a few random instants and wall
# times in 1900..2400 and readings around its last recorded transition (the
# last entry of its TZif file; later changes come from the file's footer rule).
# A short list of zones with unusual rules gets more: every transition of a few
# years from 1900 to 2400 (as gen_timezone_vectors.py finds them), and New Year in years that Python's calendar cannot
# hold (0, 10000 and later), taken from the year 400 years away on the same
# clock: the Gregorian calendar and a zone's footer rule repeat every 400
# years, and before its first transition a zone keeps one offset.
#
# zoneinfo reads the same tz database as the C library (/usr/share/zoneinfo);
# the first line of the output names its version.
#
# Run: python3 gen_zone_vectors.py [output file] (the build does, into its tree)
import datetime
import os
import random
import zoneinfo

import tzrelease
from gen_timezone_vectors import transitions

UTC = datetime.timezone.utc
EPOCH = datetime.datetime(1970, 1, 1)

DETAILED = [
    "Europe/Berlin",        # northern daylight saving
    "Australia/Sydney",     # southern daylight saving
    "America/Santiago",     # southern, transitions at odd local hours
    "Asia/Kolkata",         # half-hour offset, no daylight saving
    "Australia/Lord_Howe",  # half-hour daylight step
    "Europe/Dublin",        # daylight saving flagged in winter (negative)
    "America/New_York",     # rules changed in 2007; local mean time before 1883
    "America/St_Johns",     # -03:30 with daylight saving
    "Pacific/Apia",         # skipped a whole day (2011-12-30)
    "Africa/Casablanca",    # daylight saving suspended every Ramadan
    "America/Sitka",        # a day repeated in 1867
]


def offset_at(zone, t):
    return datetime.datetime.fromtimestamp(t, zone).utcoffset() // datetime.timedelta(seconds=1)


def trunc_minutes(seconds):
    return -((-seconds) // 60) if seconds < 0 else seconds // 60


def moment(t):
    return EPOCH + datetime.timedelta(seconds=t)


def fields(y, dt):
    return f"{y} {dt.month} {dt.day} {dt.hour} {dt.minute} {dt.second} {dt.microsecond // 1000}"


def shift(y):
    """A year Python can compute with whose calendar and clock are those of y."""
    if y < 1:
        return y + 400
    if y > 9999:
        return 2400 + y % 400
    return y


def vector(name, zone, kind, y, r):
    """One U or L line (and an R line for L) for reading r taken in year y."""
    p = shift(y)
    r = r.replace(year=p)
    if kind == "U":
        out = r.replace(tzinfo=UTC).astimezone(zone)
        off = out.utcoffset() // datetime.timedelta(seconds=1)
        oy = y + out.year - p
        if 0 <= oy <= 65535:
            yield f"U {name} {fields(y, r)} {fields(oy, out)} {trunc_minutes(off)}"
        return
    local = r.replace(tzinfo=zone, fold=0)
    off = local.utcoffset() // datetime.timedelta(seconds=1)
    out = local.astimezone(UTC)
    oy = y + out.year - p
    if 0 <= oy <= 65535:
        yield f"L {name} {fields(y, r)} {fields(oy, out)} {trunc_minutes(off)}"
    if p == y:
        wall = int((r - EPOCH).total_seconds())
        yield f"R {name} {wall} {wall - off} {off}"


def around(zone, t):
    """Readings around the transition at instant t: UTC ones, then wall ones."""
    before, after = offset_at(zone, t - 1), offset_at(zone, t)
    at = moment(t)
    utc = [at + datetime.timedelta(seconds=s) for s in (-3601, -1, 0, 1, 3600)]
    lo, hi = sorted((before, after))
    wall_lo = at + datetime.timedelta(seconds=lo)  # the skipped or repeated wall time
    wall_hi = at + datetime.timedelta(seconds=hi)
    second = datetime.timedelta(seconds=1)
    wall = [wall_lo - 1801 * second, wall_lo - second, wall_lo, wall_lo + (wall_hi - wall_lo) / 2,
            wall_hi - second, wall_hi, wall_hi + 1800 * second]
    return [("U", r) for r in utc] + [("L", r) for r in wall]


def random_reading(rng, lo, hi):
    start = datetime.datetime(lo, 1, 1)
    span = int((datetime.datetime(hi + 1, 1, 1) - start).total_seconds())
    return start + datetime.timedelta(seconds=rng.randrange(span), milliseconds=rng.randrange(1000))


def main():
    names = sorted(n for n in zoneinfo.available_timezones() if n not in ("Factory", "localtime"))
    lines = []
    for name in names:
        zone = zoneinfo.ZoneInfo(name)
        rng = random.Random(name)
        cases = []
        for kind in "UUUULLLL":
            r = random_reading(rng, 1900, 2400)
            cases.append((kind, r.year, r))
        listed = transitions(name, listed_only=True)
        if listed:
            cases += [(k, r.year, r) for k, r in around(zone, listed[-1]) if 1 <= r.year <= 9999]
        if name in DETAILED:
            years = (1900, 1950, 1975, 2007, 2011, 2024, 2037, 2038, 2041, 2050, 2100, 2400)
            for t in transitions(name):
                if moment(t).year in years and offset_at(zone, t - 1) != offset_at(zone, t):
                    cases += [(k, r.year, r) for k, r in around(zone, t)]
            for y in (0, 1, 1899, 1969, 1970, 2037, 2038, 9999, 10000, 40000, 65534, 65535):
                for mo, d, h, mi in ((12, 31, 23, 30), (12, 31, 12, 0), (1, 1, 0, 30), (1, 1, 11, 0)):
                    r = datetime.datetime(2000, mo, d, h, mi)
                    cases += [("U", y, r), ("L", y, r)]
        for kind, y, r in cases:
            try:
                lines += vector(name, zone, kind, y, r)
            except OverflowError:  # the result leaves Python's years 1..9999
                pass
    lines = list(dict.fromkeys(lines))  # drop repeats, keep the order
    with open(tzrelease.output_path("zone_vectors.txt"), "w") as out:
        out.write(tzrelease.header("gen_zone_vectors.py", "see there for the line formats"))
        for line in lines:
            out.write(line + "\n")


if __name__ == "__main__":
    main()
