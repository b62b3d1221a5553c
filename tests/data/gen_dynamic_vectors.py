#!/usr/bin/env python3
# Writes the dynamic-date test vectors from Python's datetime, calendar and
# zoneinfo: dynamic_vectors.txt, one case a line.
#
#   M y m d n  ->  y m d
#       DynamicTime::MoveNthTimePointBefore(date, n, TG_MONTH): n months back
#       (forward for n < 0). The year moves before the month, so a 29 February
#       is first clamped in February of every year the value passes through.
#   B y m d n toward  ->  y m d
#       MoveNthTimePointBefore_BusinessDay(date, n, toward): counted one day at
#       a time over Monday..Friday, a weekend start counting as the following
#       Monday; n = 0 takes a weekend date to Monday (toward 1) or Friday.
#   W y m k wd  ->  day | 0
#       the n-th weekday selection: occurrence k of weekday wd in the month
#       (negative k: occurrence count + k, so -1 is the one before the last),
#       stepping k towards zero while it does not exist; 0 when it runs out.
#   R zone kind dayOffset monthOffset Y M D H N S K Wd  ref(y m d H M S ms)  ->  utc(y m d H M S ms)
#       kind 3 at H:N on the reference's day, around daylight-saving changes:
#       the local result converted to UTC by zoneinfo (fold=0: a skipped
#       reading uses the offset before the change, a repeated one the earlier
#       instant). Weekdays are 0 = Sunday .. 6 = Saturday.
#
# References lie in 1901..2199, most of them in 1975..2034.
# Run: python3 gen_dynamic_vectors.py [output file] (the build does, into its tree)
import calendar
import datetime
import random
from zoneinfo import ZoneInfo

import tzrelease

DAY = datetime.timedelta(days=1)


def dim(y, m):
    return calendar.monthrange(y, m)[1]


def weekday(d):  # 0 = Sunday .. 6 = Saturday
    return d.isoweekday() % 7


def months_back(t, n):
    """n calendar months back (forward for n < 0), the year first."""
    q, r = divmod(abs(n), 12)
    y, m, d = t.year, t.month, t.day
    visited = [y - q, y - q - 1] if n >= 0 and m <= r else [y + q, y + q + 1] if n < 0 and 12 - m < r else [y + (q if n < 0 else -q)]
    ty, tm = divmod(y * 12 + (m - 1) - n, 12)
    for vy in visited:
        d = min(d, dim(vy, m))
    return t.replace(year=ty, month=tm + 1, day=min(d, dim(ty, tm + 1)))


def business_back(t, n, toward_monday):
    w = weekday(t)
    if n == 0 and w in (0, 6):
        return t + DAY * ({6: 2, 0: 1}[w] if toward_monday else {6: -1, 0: -2}[w])
    t += DAY * {6: 2, 0: 1}.get(w, 0)
    for _ in range(abs(n)):
        t -= DAY if n > 0 else -DAY
        while weekday(t) in (0, 6):
            t -= DAY if n > 0 else -DAY
    return t


def nth_weekday(y, m, k, wd):
    """The day, 15 when wd < 0 or k == 0 (unchanged), 0 when none."""
    if wd < 0 or k == 0:
        return 15
    occ = [d for d in range(1, dim(y, m) + 1) if wd <= 6 and weekday(datetime.date(y, m, d)) == wd]
    while k != 0:
        index = k if k > 0 else len(occ) + k  # 1-based
        if 1 <= index <= len(occ):
            return occ[index - 1]
        k += -1 if k > 0 else 1
    return 0


def fields(t):
    return f"{t.year} {t.month} {t.day} {t.hour} {t.minute} {t.second} {t.microsecond // 1000}"


def random_reference(rng):
    first, last = (1975, 2034) if rng.random() < 0.8 else (1901, 2199)
    d = datetime.date.fromordinal(rng.randint(datetime.date(first, 1, 1).toordinal(), datetime.date(last, 12, 31).toordinal()))
    if rng.random() < 0.3:  # month ends and 29 February are where clamping shows
        y, m = rng.randint(1975, 2034), rng.randint(1, 12)
        d = datetime.date(y, m, dim(y, m) - rng.randint(0, 2))
    if rng.random() < 0.1:
        d = datetime.date(rng.choice([1976, 1996, 2000, 2024, 2028]), 2, 29)
    return datetime.datetime(d.year, d.month, d.day, rng.randrange(24), rng.randrange(60), rng.randrange(60))


def lines(rng):
    out = []
    for _ in range(1000):
        t = random_reference(rng)
        n = rng.choice([rng.randint(-30, 30), rng.randint(-400, 400), 12 * rng.randint(-5, 5)])
        r = months_back(t, n)
        out.append(f"M {t.year} {t.month} {t.day} {n} {r.year} {r.month} {r.day}")
    for _ in range(1000):
        t = random_reference(rng)
        n, toward = rng.choice([0, rng.randint(-12, 12), rng.randint(-200, 200)]), rng.randint(0, 1)
        r = business_back(t, n, toward)
        out.append(f"B {t.year} {t.month} {t.day} {n} {toward} {r.year} {r.month} {r.day}")
    out += [f"W {y} {m} {k} {wd} {nth_weekday(y, m, k, wd)}"
            for y in (2024, 2025) for m in range(1, 13) for k in range(-6, 7) for wd in range(-1, 8)]
    # Kind 3 ("today at hh:mm") with local readings around daylight-saving changes.
    for zone, y, m, d, hh, mm in [
            ("Europe/Berlin", 2024, 3, 31, 2, 30), ("Europe/Berlin", 2024, 10, 27, 2, 30),
            ("Europe/Berlin", 2024, 3, 31, 1, 59), ("Europe/Berlin", 2024, 10, 27, 3, 0),
            ("America/New_York", 2024, 3, 10, 2, 15), ("America/New_York", 2024, 11, 3, 1, 30),
            ("Australia/Sydney", 2024, 4, 7, 2, 30), ("Australia/Sydney", 2024, 10, 6, 2, 30)]:
        ref = datetime.datetime(y, m, d, 12, 0, 0)
        local = ref.replace(hour=hh, minute=mm, tzinfo=ZoneInfo(zone), fold=0)
        utc = local.astimezone(datetime.timezone.utc)
        out.append(f"R {zone} 3 0 0 0 0 0 {hh} {mm} 0 0 -1 {fields(ref)} {fields(utc)}")
    return out


if __name__ == "__main__":
    out = [tzrelease.header("gen_dynamic_vectors.py", "see its opening comment for the line formats").rstrip()]
    with open(tzrelease.output_path("dynamic_vectors.txt"), "w") as f:
        f.write("\n".join(out + lines(random.Random(20240615))) + "\n")
