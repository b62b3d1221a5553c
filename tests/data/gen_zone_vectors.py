#!/usr/bin/env python3
"""Writes the time-zone conversion vectors from Python's zoneinfo.

  zone_vectors.txt
    U zone  y mo d h mi s ms  y mo d h mi s ms  off
        a UTC reading and its local wall time (ToLocalTime)
    L zone  y mo d h mi s ms  y mo d h mi s ms  off
        a local wall-time reading and its UTC instant (ToUTCTime); a reading
        skipped by a transition takes the offset in effect before it, a
        repeated one the earlier instant (zoneinfo with fold=0)
    R zone  localSeconds instant off
        the same for readings in 1971..2037, as plain counts of seconds from
        1970-01-01 00:00 (wall clock, Unix time)
  `off` is local minus UTC of the conversion, in minutes (seconds on R lines).

Years outside 1971..2037 are converted as the library does: under the rules
of the year of the same pattern (same leap-ness and weekday of 1 January,
taken from the fixed table below), with the change of year carried back.
zoneinfo reads the same tz database as the C library (/usr/share/zoneinfo).

Run from this folder: python3 gen_zone_vectors.py
"""
import datetime
import random
import zoneinfo

UTC = datetime.timezone.utc
EPOCH = datetime.datetime(1970, 1, 1)

ZONES = [
    "Europe/Berlin",        # northern daylight saving
    "Australia/Sydney",     # southern daylight saving
    "America/Santiago",     # southern, transitions at odd local hours
    "Asia/Kolkata",         # half-hour offset, no daylight saving
    "Australia/Adelaide",   # half-hour offset with daylight saving
    "Australia/Lord_Howe",  # half-hour daylight step
    "Europe/Dublin",        # daylight saving flagged in winter (negative)
    "America/New_York",     # rules changed in 2007
    "America/St_Johns",     # -03:30 with daylight saving
    "Pacific/Apia",         # skipped a whole day (2011-12-30)
]

# Weekday of 1 January (0 = Sunday) -> (common year, leap year) in 1971..2037.
PATTERN = {
    0: (1978, 2012), 1: (1973, 1996), 2: (1974, 1980), 3: (1997, 1992),
    4: (1981, 1976), 5: (1971, 1988), 6: (1977, 1972),
}


def leap(y):
    return y % 4 == 0 and (y % 100 != 0 or y % 400 == 0)


def same_pattern(y):
    if 1971 <= y <= 2037:
        return y
    if y >= 2038:
        y = y % 400 + 400
    # The Gregorian calendar repeats every 400 years; date() has no year 0.
    jan1 = datetime.date(y if y > 0 else 400, 1, 1)
    return PATTERN[jan1.isoweekday() % 7][1 if leap(y) else 0]


def fields(y, dt):
    return f"{y} {dt.month} {dt.day} {dt.hour} {dt.minute} {dt.second} {dt.microsecond // 1000}"


def to_local(zone, y, mo, d, h, mi, s, ms):
    p = same_pattern(y)
    utc = datetime.datetime(p, mo, d, h, mi, s, ms * 1000, tzinfo=UTC)
    local = utc.astimezone(zone)
    off = local.utcoffset() // datetime.timedelta(minutes=1)
    return y + local.year - p, local, off


def to_utc(zone, y, mo, d, h, mi, s, ms):
    p = same_pattern(y)
    local = datetime.datetime(p, mo, d, h, mi, s, ms * 1000, tzinfo=zone, fold=0)
    utc = local.astimezone(UTC)
    off = local.utcoffset() // datetime.timedelta(seconds=1)
    return y + utc.year - p, utc, off, p, local.replace(tzinfo=None), utc.replace(tzinfo=None)


def offset_at(zone, t):
    return datetime.datetime.fromtimestamp(t, zone).utcoffset() // datetime.timedelta(seconds=1)


def transitions(zone, year):
    """(instant, offset before, offset after) of each change of offset in a year."""
    start = int((datetime.datetime(year, 1, 1) - EPOCH).total_seconds()) - 86400
    end = int((datetime.datetime(year + 1, 1, 1) - EPOCH).total_seconds()) + 86400
    found = []
    t, off = start, offset_at(zone, start)
    while t < end:
        n = t + 21600
        o = offset_at(zone, n)
        if o != off:
            lo, hi = t, n  # offset_at(lo) == off, offset_at(hi) != off
            while hi - lo > 1:
                mid = (lo + hi) // 2
                if offset_at(zone, mid) == off:
                    lo = mid
                else:
                    hi = mid
            found.append((hi, off, offset_at(zone, hi)))
            t, off = hi, offset_at(zone, hi)
            continue
        t = n
    return found


def readings_near(zone, year, real_year):
    """UTC and local readings (as naive datetimes in `year`) around the year's transitions."""
    utc, local = [], []
    for t, before, after in transitions(zone, year):
        at = EPOCH + datetime.timedelta(seconds=t)
        for dsec in (-3601, -1800, -1, 0, 1, 1800, 3600):
            utc.append(at + datetime.timedelta(seconds=dsec))
        lo, hi = sorted((before, after))
        wall_lo = at + datetime.timedelta(seconds=lo)  # the skipped/repeated span of wall time
        wall_hi = at + datetime.timedelta(seconds=hi)
        span = wall_hi - wall_lo
        for w in (wall_lo - datetime.timedelta(seconds=1801), wall_lo - datetime.timedelta(seconds=1),
                  wall_lo, wall_lo + span / 2, wall_hi - datetime.timedelta(seconds=1), wall_hi,
                  wall_hi + datetime.timedelta(seconds=1800)):
            local.append(w)
    out = []
    for r in utc:
        if r.year == year:
            out.append(("U", real_year, r))
    for r in local:
        if r.year == year:
            out.append(("L", real_year, r))
    return out


def main():
    rng = random.Random(20240615)
    lines = []
    for name in ZONES:
        zone = zoneinfo.ZoneInfo(name)
        cases = []
        # Transitions, in years of the table's span and, through their stand-in
        # years, in years outside it (before 1970 and far after 2037).
        for y in (1971, 1975, 1996, 2006, 2007, 2011, 2020, 2024, 2037):
            cases += readings_near(zone, y, y)
        for y in (1, 1900, 1960, 1969, 2100, 2500, 9999, 40000):
            cases += readings_near(zone, same_pattern(y), y)
        # New Year in both directions.
        for y in (0, 1899, 1969, 1970, 1971, 2024, 2037, 2038, 2099, 2500, 65534):
            for mo, d, h, mi in ((12, 31, 23, 30), (12, 31, 12, 0), (1, 1, 0, 30), (1, 1, 11, 0)):
                r = datetime.datetime(2000, mo, d, h, mi)
                cases.append(("U", y, r))
                cases.append(("L", y, r))
        # Anything at all.
        for _ in range(60):
            y = rng.choice((rng.randint(0, 65534), rng.randint(1900, 2100)))
            mo = rng.randint(1, 12)
            d = rng.randint(1, 29 if mo == 2 and leap(y) else (28 if mo == 2 else 30))
            r = datetime.datetime(2000, mo, d, rng.randint(0, 23), rng.randint(0, 59), rng.randint(0, 59),
                                  rng.randint(0, 999) * 1000)
            cases.append((rng.choice("UL"), y, r))

        for kind, y, r in cases:
            args = (y, r.month, r.day, r.hour, r.minute, r.second, r.microsecond // 1000)
            if kind == "U":
                oy, local, off = to_local(zone, *args)
                if 0 <= oy <= 65535:
                    lines.append(f"U {name} {fields(y, r)} {fields(oy, local)} {off}")
            else:
                oy, utc, off, p, wall, instant = to_utc(zone, *args)
                if 0 <= oy <= 65535:
                    lines.append(f"L {name} {fields(y, r)} {fields(oy, utc)} {off // 60}")
                if p == y and 1971 <= instant.year <= 2037:
                    ls = int((wall - EPOCH).total_seconds())
                    us = int((instant - EPOCH).total_seconds())
                    lines.append(f"R {name} {ls} {us} {off}")
    lines = list(dict.fromkeys(lines))  # drop repeats, keep the order
    with open("zone_vectors.txt", "w") as out:
        out.write("# generated by gen_zone_vectors.py; see there for the line formats\n")
        for line in lines:
            out.write(line + "\n")


if __name__ == "__main__":
    main()
