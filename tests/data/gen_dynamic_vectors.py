#!/usr/bin/env python3
"""Writes the dynamic-date test vectors from Python's datetime, calendar and
zoneinfo.

dynamic_vectors.txt, one case a line:

  M y m d n  ->  y m d
      DynamicTime::MoveNthTimePointBefore(date, n, TG_MONTH): n months back
      (forward for n < 0). The year moves before the month, so a 29 February
      is first clamped in February of every year the value passes through.
  B y m d n toward  ->  y m d
      MoveNthTimePointBefore_BusinessDay(date, n, toward): counted one day at
      a time over Monday..Friday, a weekend start counting as the following
      Monday; n = 0 takes a weekend date to Monday (toward 1) or Friday.
  W y m k wd  ->  day | 0
      the n-th weekday selection: occurrence k of weekday wd in the month
      (negative k: occurrence count + k, so -1 is the one before the last),
      stepping k towards zero while it does not exist; 0 when it runs out.
  R zone kind dayOffset monthOffset Y M D H N S K Wd  ref(y m d H M S ms)
      ->  utc(y m d H M S ms)
      kind 3 at H:N on the reference's day, around daylight-saving changes:
      the local result converted to UTC by zoneinfo (fold=0: a skipped
      reading uses the offset before the change, a repeated one the earlier
      instant). Weekdays are 0 = Sunday .. 6 = Saturday.

References lie in 1901..2199, most of them in 1975..2034.
Run: python3 gen_dynamic_vectors.py [output file] (the build does, into its tree)
"""
import calendar
import datetime
import random
from zoneinfo import ZoneInfo

import tzrelease

UTC = datetime.timezone.utc


def dim(y, m):
    return calendar.monthrange(y, m)[1]


def weekday(d):
    """0 = Sunday .. 6 = Saturday."""
    return d.isoweekday() % 7


# --- Building blocks, on naive datetimes ------------------------------------

def put_year(t, y):
    if y < 0:
        return t
    return t.replace(year=y, day=min(t.day, dim(y, t.month)))


def put_month(t, m):
    if not 1 <= m <= 12:
        return t
    return t.replace(month=m, day=min(t.day, dim(t.year, m)))


def put_day(t, d):
    if d == 0 or not -31 <= d <= 31:
        return t
    n = dim(t.year, t.month)
    d = min(d, n) if d > 0 else max(n + 1 + d, 1)
    return t.replace(day=d)


def months_back(t, n):
    """n calendar months back (forward for n < 0), the year first."""
    y, m, d = t.year, t.month, t.day
    if n >= 0:
        q, r = divmod(n, 12)
        visited = [y - q] + ([y - q - 1] if m <= r else [])
    else:
        q, r = divmod(-n, 12)
        visited = [y + q] + ([y + q + 1] if 12 - m < r else [])
    ty, tm = divmod(y * 12 + (m - 1) - n, 12)
    tm += 1
    for vy in visited:
        d = min(d, dim(vy, m))
    return t.replace(year=ty, month=tm, day=min(d, dim(ty, tm)))


def business_back(t, n, toward_monday):
    w = weekday(t)
    if n == 0:
        if w == 6:
            return t + datetime.timedelta(days=2 if toward_monday else -1)
        if w == 0:
            return t + datetime.timedelta(days=1 if toward_monday else -2)
        return t
    if w == 6:
        t += datetime.timedelta(days=2)
    elif w == 0:
        t += datetime.timedelta(days=1)
    step = datetime.timedelta(days=-1 if n > 0 else 1)
    for _ in range(abs(n)):
        t += step
        while weekday(t) in (0, 6):
            t += step
    return t


def nth_weekday(t, k, wd):
    """(moved, ok); unchanged when wd < 0 or k == 0."""
    if wd < 0 or k == 0:
        return t, True
    if wd > 6:
        return t, False
    occ = [d for d in range(1, dim(t.year, t.month) + 1) if weekday(t.replace(day=d)) == wd]
    while k != 0:
        index = k if k > 0 else len(occ) + k  # 1-based
        if 1 <= index <= len(occ):
            return t.replace(day=occ[index - 1]), True
        k += -1 if k > 0 else 1
    return t, False


def to_utc(local, zone):
    aware = local.replace(tzinfo=ZoneInfo(zone), fold=0)
    return aware.astimezone(UTC).replace(tzinfo=None)


def fields(t):
    return f"{t.year} {t.month} {t.day} {t.hour} {t.minute} {t.second} {t.microsecond // 1000}"


# --- Cases ------------------------------------------------------------------

def random_date(rng, first=1975, last=2034):
    o = rng.randint(datetime.date(first, 1, 1).toordinal(), datetime.date(last, 12, 31).toordinal())
    return datetime.date.fromordinal(o)


def random_reference(rng):
    d = random_date(rng) if rng.random() < 0.8 else random_date(rng, 1901, 2199)
    if rng.random() < 0.3:  # month ends and 29 February are where clamping shows
        y = rng.randint(1975, 2034)
        m = rng.randint(1, 12)
        d = datetime.date(y, m, dim(y, m) - rng.randint(0, 2))
    if rng.random() < 0.1:
        y = rng.choice([1976, 1996, 2000, 2024, 2028])
        d = datetime.date(y, 2, 29)
    return datetime.datetime(d.year, d.month, d.day, rng.randrange(24), rng.randrange(60), rng.randrange(60),
                             rng.randrange(1000) * 1000)


def month_lines(rng):
    lines = []
    for _ in range(1000):
        t = random_reference(rng)
        n = rng.choice([rng.randint(-30, 30), rng.randint(-400, 400), 12 * rng.randint(-5, 5)])
        r = months_back(t, n)
        lines.append(f"M {t.year} {t.month} {t.day} {n} {r.year} {r.month} {r.day}")
    return lines


def business_lines(rng):
    lines = []
    for _ in range(1000):
        t = random_reference(rng)
        n = rng.choice([0, rng.randint(-12, 12), rng.randint(-200, 200)])
        toward = rng.randint(0, 1)
        r = business_back(t, n, toward)
        lines.append(f"B {t.year} {t.month} {t.day} {n} {toward} {r.year} {r.month} {r.day}")
    return lines


def weekday_lines(rng):
    lines = []
    for y in (2024, 2025):
        for m in range(1, 13):
            for k in range(-6, 7):
                for wd in range(-1, 8):
                    t, ok = nth_weekday(datetime.datetime(y, m, 15), k, wd)
                    lines.append(f"W {y} {m} {k} {wd} {t.day if ok else 0}")
    return lines


# Kind 3 ("today at hh:mm") with local readings around daylight-saving
# changes: the conversion of the local result to UTC is what is tested.
def transition_lines():
    lines = []
    cases = [("Europe/Berlin", 2024, 3, 31, 2, 30), ("Europe/Berlin", 2024, 10, 27, 2, 30),
             ("Europe/Berlin", 2024, 3, 31, 1, 59), ("Europe/Berlin", 2024, 10, 27, 3, 0),
             ("America/New_York", 2024, 3, 10, 2, 15), ("America/New_York", 2024, 11, 3, 1, 30),
             ("Australia/Sydney", 2024, 4, 7, 2, 30), ("Australia/Sydney", 2024, 10, 6, 2, 30),
             ("Europe/Berlin", 1980, 4, 6, 2, 30), ("Europe/Berlin", 2037, 10, 25, 2, 30)]
    for zone, y, m, d, hh, mm in cases:
        ref = datetime.datetime(y, m, d, 12, 0, 0)
        local = ref.replace(hour=hh, minute=mm)  # "today at hh:mm"
        lines.append(f"R {zone} 3 0 0 0 0 0 {hh} {mm} 0 0 -1 {fields(ref)} {fields(to_utc(local, zone))}")
    return lines


if __name__ == "__main__":
    rng = random.Random(20240615)
    out = [tzrelease.header("gen_dynamic_vectors.py", "see its docstring for the line formats").rstrip()]
    out += month_lines(rng) + business_lines(rng) + weekday_lines(rng) + transition_lines()
    with open(tzrelease.output_path("dynamic_vectors.txt"), "w") as f:
        f.write("\n".join(out) + "\n")
