#!/usr/bin/env python3
# Writes the schedule vectors from Python's datetime and zoneinfo.
#
#   timeseries_vectors.txt, one case a line:
#     zone rule op args : expected...
#   rule (local wall time; date units as named, everything else free)
#     D hh mm ss              every day
#     W hh mm ss mask         days whose weekday bit is set (bit 0 = Sunday)
#     M hh mm ss week dow     the week-th weekday dow of each month (week -1:
#                             the last one, i.e. within the month's last 7 days)
#     F hh mm ss day          that day of each month (months without it skipped)
#   op and args (all instants UTC, as y mo d h mi s)
#     N from count            GetNextOccurrences
#     A start from count      GetNextOccurrencesAfterStart
#     B from to               GetOccurrencesBetween
#   expected: the occurrences in UTC, y mo d h mi s each.
#
# The occurrences are the schedule's local wall times not earlier than
# local(from) (and up to local(to)), converted to UTC with zoneinfo and fold=0:
# a wall time skipped by a transition takes the offset in effect before it, a
# repeated one the earlier instant. GetNextOccurrences moves an occurrence
# whose UTC form is earlier than `from` one hour later (local), converting
# again; with every time unit fixed the walk goes on as if unmoved.
#
# Cases cluster around the daylight-saving changes of years between 1950 and
# 2100 in zones of both hemispheres and with a half-hour change (later years
# follow the zone's closing rule).
#
# Run: python3 gen_timeseries_vectors.py [output file] (the build does, into its tree)
import datetime as dt
import random
from zoneinfo import ZoneInfo

import tzrelease
from gen_timezone_vectors import EPOCH, transitions

UTC = dt.timezone.utc
ZONES = ["Europe/Berlin", "America/New_York", "Australia/Sydney", "Australia/Lord_Howe", "America/Sao_Paulo"]


def to_local(zone, utc):
    return utc.replace(tzinfo=UTC).astimezone(zone).replace(tzinfo=None)


def to_utc(zone, local):
    return local.replace(tzinfo=zone, fold=0).astimezone(UTC).replace(tzinfo=None)


def matches(rule, day):
    kind = rule[0]
    if kind == "D":
        return True
    if kind == "W":
        return (rule[4] >> ((day.weekday() + 1) % 7)) & 1 == 1
    if kind == "M":
        week, dow = rule[4], rule[5]
        if (day.weekday() + 1) % 7 != dow:
            return False
        if week > 0:
            return (day.day + 6) // 7 == week
        nxt = (day.replace(day=28) + dt.timedelta(days=4)).replace(day=1)
        dim = (nxt - dt.timedelta(days=1)).day
        return (dim - day.day + 1 + 6) // 7 == -week
    if kind == "F":
        return day.day == rule[4]
    raise ValueError(kind)


def occurrences(rule, local_from):
    """Local wall times of the schedule, in order, from local_from's day on."""
    day = local_from.date()
    while True:
        if matches(rule, day):
            yield dt.datetime(day.year, day.month, day.day, rule[1], rule[2], rule[3])
        day += dt.timedelta(days=1)


def expect_next(zone, rule, frm, count):
    out = []
    for local in occurrences(rule, to_local(zone, frm)):
        if local < to_local(zone, frm):
            continue
        u = to_utc(zone, local)
        if u < frm:
            u = to_utc(zone, local + dt.timedelta(hours=1))
        out.append(u)
        if len(out) == count:
            return out


def expect_after(zone, rule, frm, count):
    lf = to_local(zone, frm)
    out = []
    for local in occurrences(rule, lf):
        if local >= lf:
            out.append(to_utc(zone, local))
            if len(out) == count:
                return out


def expect_between(zone, rule, frm, to):
    lf, lt = to_local(zone, frm), to_local(zone, to)
    out = []
    for local in occurrences(rule, lf):
        if local > lt:
            return out
        if local >= lf:
            out.append(to_utc(zone, local))


def changes(zone, name, year):
    """UTC instants in `year` where the zone's offset changes (the file's and its rule's transitions)."""
    at = [EPOCH + dt.timedelta(seconds=t) for t in transitions(name)]
    second = dt.timedelta(seconds=1)
    return [t for t in at if t.year == year and to_local(zone, t - second) - (t - second) != to_local(zone, t) - t]


def fields(d):
    return f"{d.year} {d.month} {d.day} {d.hour} {d.minute} {d.second}"


def main():
    rng = random.Random(9)
    lines = []
    for name in ZONES:
        zone = ZoneInfo(name)
        for year in rng.sample(range(1950, 2100), 8):
            for change in changes(zone, name, year):
                local_change = to_local(zone, change)
                before = to_local(zone, change - dt.timedelta(minutes=1)) + dt.timedelta(minutes=1)
                if local_change < before:
                    # Clocks go back: from `from`, 10 minutes into the
                    # repeated wall times, today's occurrence 30 minutes into
                    # them comes out earlier than `from` in UTC, and is moved.
                    frm = change + dt.timedelta(minutes=10)
                    at = local_change + dt.timedelta(minutes=30)
                    rule = ("D", at.hour, at.minute, 0)
                    out = expect_next(zone, rule, frm, 3)
                    lines.append(f"{name} {' '.join(str(x) for x in rule)} N {fields(frm)} 3 : "
                                 f"{' '.join(fields(d) for d in out)}")
                for _ in range(4):
                    # Times of day near the change's wall time, on either side.
                    base = local_change + dt.timedelta(minutes=rng.choice([-90, -60, -30, 0, 30, 60, 90]))
                    hh, mm, ss = base.hour, base.minute, rng.choice([0, 0, 30])
                    kind = rng.choice("DWMF")
                    extra = {"D": lambda: (), "W": lambda: (rng.randint(1, 127),), "F": lambda: (rng.randint(1, 31),),
                             "M": lambda: (rng.choice([1, 2, 3, 4, -1]), rng.randint(0, 6))}[kind]()
                    rule = (kind, hh, mm, ss) + extra
                    frm = (change + dt.timedelta(minutes=rng.randint(-3 * 1440, 90))).replace(second=0)
                    text = f"{name} {' '.join(str(x) for x in rule)}"
                    count = rng.randint(1, 5)
                    op = rng.choice("NAB")
                    if op == "N":
                        out = expect_next(zone, rule, frm, count)
                        args = f"N {fields(frm)} {count}"
                    elif op == "A":
                        start = frm - dt.timedelta(days=rng.randint(0, 40), minutes=rng.randint(0, 1440))
                        out = expect_after(zone, rule, frm, count)
                        args = f"A {fields(start)} {fields(frm)} {count}"
                    else:
                        to = frm + dt.timedelta(days=rng.randint(1, 70), minutes=rng.randint(0, 1440))
                        if to_local(zone, to) < to_local(zone, frm):
                            continue
                        out = expect_between(zone, rule, frm, to)
                        args = f"B {fields(frm)} {fields(to)}"
                    lines.append(f"{text} {args} : {' '.join(fields(d) for d in out)}".rstrip())
    with open(tzrelease.output_path("timeseries_vectors.txt"), "w") as f:
        f.write(tzrelease.header("gen_timeseries_vectors.py", "see there for the line format"))
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
