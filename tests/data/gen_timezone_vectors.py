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
#     U y mo d h mi s ms  y mo d h mi s ms  off
#         a UTC reading and its local wall time (ToLocalTime)
#     L y mo d h mi s ms  y mo d h mi s ms  off
#         a local wall-time reading and its UTC instant (ToUTCTime); a reading
#         skipped by a transition takes the offset in effect before it, a
#         repeated one the earlier instant (zoneinfo with fold=0)
#         `off` is local minus UTC of the conversion in minutes, truncated
#         toward zero (so a local mean time of -4:56:02 is -296).
#
# Every zone of the machine's tz database (one name for each distinct file:
# links repeat their target), every transition from 1900 to 2400: those listed
# in the zone's file, then those of its closing rule, year by year; and a few
# random U and L readings in 1900..2400. A short list of zones with unusual
# rules gets New Year (U and L) in years from 0 to 65535, those that Python's
# calendar cannot hold (0, 10000 and later) taken from the year 400 years away
# on the same clock: the Gregorian calendar and a zone's closing rule repeat
# every 400 years, and before its first transition a zone keeps one offset.
#
# Run: python3 gen_timezone_vectors.py [output file] (the build does, into its tree)
import datetime
import hashlib
import os
import random
import zoneinfo
from zoneinfo import _zoneinfo

import tzrelease

UTC = datetime.timezone.utc
EPOCH = datetime.datetime(1970, 1, 1)
FIRST = int((datetime.datetime(1900, 1, 1) - EPOCH).total_seconds())
LAST = int((datetime.datetime(2401, 1, 1) - EPOCH).total_seconds())
SECOND = datetime.timedelta(seconds=1)

DETAILED = [
    "Europe/Berlin",        # northern daylight saving
    "Australia/Sydney",     # southern daylight saving
    "Australia/Lord_Howe",  # half-hour daylight step
    "Europe/Dublin",        # daylight saving flagged in winter (negative)
    "America/New_York",     # local mean time before 1883
    "America/St_Johns",     # -03:30 with daylight saving
]


def transitions(name):
    """The zone's transition instants in FIRST..LAST, ascending: those listed
    in its file, then those of its closing rule."""
    with open(os.path.join(tzrelease.TZDIR, name), "rb") as f:
        rules = _zoneinfo.ZoneInfo.from_file(f, key=name)  # the same reader, its lists open to view
    listed = [t for t in rules._trans_utc if FIRST <= t < LAST]
    after = rules._tz_after
    if not isinstance(after, _zoneinfo._TZStr):
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


def fields(y, dt):
    return f"{y} {dt.month} {dt.day} {dt.hour} {dt.minute} {dt.second} {dt.microsecond // 1000}"


def conversion(zone, kind, y, r):
    """The U or L line of reading r taken in year y (none when the answer leaves 0..65535)."""
    p = y + 400 if y < 1 else 2400 + y % 400 if y > 9999 else y  # a year Python holds, same calendar and clock
    r = r.replace(year=p)
    if kind == "U":
        out = r.replace(tzinfo=UTC).astimezone(zone)
        off = int(out.utcoffset().total_seconds())
    else:
        local = r.replace(tzinfo=zone, fold=0)
        out, off = local.astimezone(UTC), int(local.utcoffset().total_seconds())
    minutes = -(-off // 60) if off < 0 else off // 60
    oy = y + out.year - p
    return [f"{kind} {fields(y, r)} {fields(oy, out)} {minutes}"] if 0 <= oy <= 65535 else []


def conversions(name, zone, detailed):
    rng = random.Random(name)
    start = datetime.datetime(1900, 1, 1)
    span = int((datetime.datetime(2401, 1, 1) - start).total_seconds())
    cases = []
    for kind in "UUUULLLL":
        r = start + datetime.timedelta(seconds=rng.randrange(span), milliseconds=rng.randrange(1000))
        cases.append((kind, r.year, r))
    for y in (0, 1, 1899, 1969, 1970, 2037, 2038, 9999, 10000, 40000, 65534, 65535) if detailed else ():
        for mo, d, h, mi in ((12, 31, 23, 30), (12, 31, 12, 0), (1, 1, 0, 30), (1, 1, 11, 0)):
            cases += [("U", y, datetime.datetime(2000, mo, d, h, mi)), ("L", y, datetime.datetime(2000, mo, d, h, mi))]
    out = []
    for kind, y, r in cases:
        try:
            out += conversion(zone, kind, y, r)
        except OverflowError:  # the result leaves Python's years 1..9999
            pass
    return out


def main():
    names = sorted(n for n in zoneinfo.available_timezones() if n not in ("Factory", "localtime"))

    def digest(name):
        with open(os.path.join(tzrelease.TZDIR, name), "rb") as f:
            return hashlib.sha1(f.read()).digest()

    detailed = {digest(n) for n in DETAILED if n in names}
    seen = set()
    out = [tzrelease.header("gen_timezone_vectors.py", "see there for the line formats")]
    for name in names:
        key = digest(name)
        if key in seen:
            continue
        seen.add(key)
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
        out += [line + "\n" for line in conversions(name, zone, key in detailed)]
    with open(tzrelease.output_path("timezone_vectors.txt"), "w") as f:
        f.writelines(out)


if __name__ == "__main__":
    main()
