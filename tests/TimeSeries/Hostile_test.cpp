// Schedules that a step-by-step walk would take hours, or forever, on: each
// computation must come back with the walk's answer where it has one, and in
// a plain release build within 100 ms of CPU time.
#include <gtest/gtest.h>
#include <time.h>

#include <climits>
#include <random>
#include <string>
#include <vector>

#include "DataType/TimeSeries/TimeSeries.h"
#include "Schedules.h"
#include "support/ScopedTZ.h"

namespace QDataType {
namespace {

using namespace testing_series;
using testing_zone::ScopedTZ;
using Strings = std::vector<std::string>;

// CPU time of this thread in milliseconds: the machine is shared, and wall
// time says more about the neighbours than about the walk.
double CpuMs() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// The bound holds for optimised native code alone: the build defines
// QDT_TEST_TIME_BOUNDS only for a plain release build (no sanitizer, no
// coverage, no emulator). Elsewhere the computations still have to finish
// and answer right, unbounded.
#if defined(QDT_TEST_TIME_BOUNDS)
constexpr double kBoundMs = 100;
#else
constexpr double kBoundMs = 1e12;
#endif

// Runs the three computations, each timed; returns their results.
struct Outcome {
  Strings next, afterStart, between;
  double slowest = 0;
};

Outcome RunAll(Series const& s, DateTime const& start, DateTime const& from, DateTime const& to, unsigned count) {
  Outcome o;
  std::vector<DateTime> out(count);
  auto timed = [&](auto&& f) {
    double const t0 = CpuMs();
    f();
    double const ms = CpuMs() - t0;
    if (ms > o.slowest) o.slowest = ms;
  };
  timed([&] { o.next = Texts(out.data(), s->GetNextOccurrences(from, count, out.data())); });
  timed([&] { o.afterStart = Texts(out.data(), s->GetNextOccurrencesAfterStart(start, from, count, out.data())); });
  timed([&] {
    DateTime* list = nullptr;
    unsigned const n = s->GetOccurrencesBetween(from, to, &list);
    o.between = Texts(list, n);
    delete[] list;
  });
  return o;
}

class Hostile : public ::testing::Test {
 protected:
  ScopedTZ utc_{"UTC"};
  DateTime const first_{1, 1, 1};
  DateTime const last_{65535, 12, 31, 23, 59, 59, 999};
};

TEST_F(Hostile, ImpossibleDatesUnderHugeYearSteps) {
  // February 30, never; the search limit is 2,928 x 10^9 days.
  for (int step : {1000000000, INT_MAX, 0}) {
    Series const s = Rule().At(9, 0).Every(kYear, step).Fixed(kMonth, 2).Fixed(kDay, 30).Make();
    Outcome const o = RunAll(s, first_, DateTime(2024, 6, 1), last_, 5);
    EXPECT_EQ(o.next, Strings{});
    EXPECT_EQ(o.afterStart, Strings{});
    EXPECT_EQ(o.between, Strings{});
    EXPECT_LT(o.slowest, kBoundMs) << step;
  }
  // February 29 every 10^9 years: the first one, then no other year can
  // come within the calendar.
  Series const leap = Rule().At(9, 0).Every(kYear, 1000000000).Fixed(kMonth, 2).Fixed(kDay, 29).Make();
  Outcome const o = RunAll(leap, DateTime(2021, 1, 1), DateTime(2021, 1, 1), last_, 3);
  EXPECT_EQ(o.next, Strings{"2024-02-29 09:00:00.000"});
  EXPECT_EQ(o.afterStart, Strings{"2024-02-29 09:00:00.000"});
  EXPECT_EQ(o.between, Strings{"2024-02-29 09:00:00.000"});
  EXPECT_LT(o.slowest, kBoundMs);
}

TEST_F(Hostile, StepsBeyondTheCalendar) {
  // Day and week steps that never come round again (a week step anchored on
  // a Saturday has no later weekday to fall back on), and a month step that
  // admits the rest of the anchor's month only. From Saturday 2024-06-15.
  struct Case {
    Rule rule;
    size_t count;
  } const cases[] = {{Rule().At(6, 0).Every(kDay, INT_MAX), 1},
                     {Rule().At(6, 0).Every(kWeek, INT_MAX).Fixed(kDow, 0x7F), 1},
                     {Rule().At(6, 0).Every(kWeek, 40000000).Fixed(kDow, 0x40), 1},
                     {Rule().At(6, 0).Every(kMonth, INT_MAX), 16}};
  for (Case const& c : cases) {
    Series const s = c.rule.Make();
    Outcome const o = RunAll(s, DateTime(2024, 6, 15), DateTime(2024, 6, 15), last_, 20);
    EXPECT_EQ(o.next.size(), c.count) << Describe(c.rule);
    EXPECT_EQ(o.afterStart, o.next);
    EXPECT_EQ(o.between, o.next);
    EXPECT_LT(o.slowest, kBoundMs);
  }
}

TEST_F(Hostile, EveryMillisecond) {
  Series const s = Rule().Every(kHour, 1).Every(kMinute, 1).Every(kSecond, 1).Every(kMs, 1).Make();
  // 86,399,998 odometer steps from midnight to the first occurrence.
  Outcome const o = RunAll(s, DateTime(2024, 6, 10, 23, 59, 59, 998), DateTime(2024, 6, 10, 23, 59, 59, 998),
                           DateTime(2024, 6, 11, 0, 0, 0, 1), 3);
  Strings const expected{"2024-06-10 23:59:59.998", "2024-06-10 23:59:59.999", "2024-06-11 00:00:00.000"};
  EXPECT_EQ(o.next, expected);
  EXPECT_EQ(o.afterStart, expected);
  EXPECT_EQ(o.between, (Strings{"2024-06-10 23:59:59.998", "2024-06-10 23:59:59.999", "2024-06-11 00:00:00.000",
                                "2024-06-11 00:00:00.001"}));
  EXPECT_LT(o.slowest, kBoundMs);
  // The whole calendar: the listing stops at 8,192 entries.
  double const t0 = CpuMs();
  DateTime* list = nullptr;
  EXPECT_EQ(s->GetOccurrencesBetween(first_, last_, &list), 8192u);
  EXPECT_EQ(Text(list[8191]), "0001-01-01 00:00:08.191");
  delete[] list;
  EXPECT_LT(CpuMs() - t0, kBoundMs);
}

TEST_F(Hostile, WalksFromAFarStart) {
  DateTime const start(1, 1, 1, 0, 0, 0, 7), from(65000, 6, 15, 12, 0, 0);
  struct Case {
    Rule rule;
    Strings expected;
  };
  Case const cases[] = {
      // Every millisecond: the walk from year 1 keeps its phase.
      {Rule().Every(kHour, 1).Every(kMinute, 1).Every(kSecond, 1).Every(kMs, 1),
       {"65000-06-15 12:00:00.000", "65000-06-15 12:00:00.001"}},
      // Every 7 ms from the first day's midnight, on through 65,000 years of
      // days that do not divide by 7 ms.
      {Rule().Every(kHour, 1).Every(kMinute, 1).Every(kSecond, 1).Every(kMs, 7),
       {"65000-06-15 12:00:00.004", "65000-06-15 12:00:00.011"}},
      // Every 25 minutes, drifting through the days.
      {Rule().Every(kHour, 1).Every(kMinute, 25).Fixed(kSecond, 0).Fixed(kMs, 0),
       {"65000-06-15 12:00:00.000", "65000-06-15 12:25:00.000"}},
      // Every other month on the 31st at 09:00: a 400-year cycle.
      {Rule().At(9, 0).Fixed(kDay, 31).Every(kMonth, 2), {"65000-07-31 09:00:00.000", "65001-01-31 09:00:00.000"}},
      // Every day of every other month (146,097-day period, one occurrence a
      // day), and the second Tuesday of each month.
      {Rule().At(9, 0).Every(kMonth, 2), {"65000-07-01 09:00:00.000", "65000-07-02 09:00:00.000"}},
      {Rule().At(9, 0).Fixed(kDow, 4).Fixed(kWeek, 2), {"65000-07-08 09:00:00.000", "65000-08-12 09:00:00.000"}},
      // A window every minute, 08:00 to 18:00, on weekdays (65000-06-15 is a
      // Sunday).
      {Rule().Window(8, 0, 18, 0, 1).Fixed(kDow, 62), {"65000-06-16 08:00:00.000", "65000-06-16 08:01:00.000"}},
  };
  // At the calendar's end moves stop on 65535-12-30, so a walk toward a
  // `from` on the 31st comes back to the same day for ever: it ends.
  Series const daily = Rule().At(9, 0).Make();
  std::vector<DateTime> end(2);
  double const t0 = CpuMs();
  EXPECT_EQ(daily->GetNextOccurrencesAfterStart(DateTime(64000, 1, 1), DateTime(65535, 12, 31, 12, 0, 0), 2,
                                                end.data()),
            0u);
  EXPECT_LT(CpuMs() - t0, kBoundMs);
  for (Case const& c : cases) {
    Series const s = c.rule.Make();
    std::vector<DateTime> out(2);
    double const t0 = CpuMs();
    unsigned const n = s->GetNextOccurrencesAfterStart(start, from, 2, out.data());
    double const ms = CpuMs() - t0;
    EXPECT_EQ(Texts(out.data(), n), c.expected) << Describe(c.rule);
    EXPECT_LT(ms, kBoundMs) << Describe(c.rule);
  }
}

TEST_F(Hostile, OdometersThatAreNoCounters) {
  DateTime const from(2024, 6, 10, 23, 59, 0);
  // An hour fixed above 23 says "later" on every step: the minutes cycle
  // through the first hour forever. Listed from inside the cycle it repeats;
  // walked toward a later time it can never arrive.
  Series const cycle = Rule().Fixed(kHour, 30).Every(kMinute, 20).Fixed(kSecond, 0).Fixed(kMs, 0).Make();
  Outcome const o = RunAll(cycle, DateTime(2024, 6, 10), from, from + TimeSpan(86400000), 4);
  EXPECT_EQ(o.next, Strings{});
  EXPECT_EQ(o.between, Strings{});
  std::vector<DateTime> out(4);
  EXPECT_EQ(Texts(out.data(),
                  cycle->GetNextOccurrencesAfterStart(DateTime(2024, 6, 10), DateTime(2024, 6, 10), 4, out.data())),
            (Strings{"2024-06-10 00:20:00.000", "2024-06-10 00:40:00.000", "2024-06-10 00:00:00.000",
                     "2024-06-10 00:20:00.000"}));
  EXPECT_LT(o.slowest, kBoundMs);
  // A millisecond step of 1,001 moves the time 1 ms and a second fixed at 75
  // says "later": from midnight the walk creeps forward 1 ms a step, and
  // reaches 23:59 after 86,340,000 of them.
  Series const creep = Rule().Every(kMs, 1001).Fixed(kSecond, 75).Make();
  Outcome const c = RunAll(creep, from, from, from + TimeSpan(5), 3);
  Strings const first{"2024-06-10 23:59:00.000", "2024-06-10 23:59:00.001", "2024-06-10 23:59:00.002"};
  EXPECT_EQ(c.next, first);
  EXPECT_EQ(c.afterStart, first);
  EXPECT_EQ(c.between.size(), 6u);
  EXPECT_LT(c.slowest, kBoundMs);
  // The same progression with a minute step of 1,949,922,387 (about 3,707
  // years): its first step leaves the calendar, and a move past the end
  // stops on 65535-12-30, however far it goes.
  Series const leap = Rule().Fixed(kHour, 36).Every(kMinute, 1949922387).Fixed(kSecond, 31).Make();
  DateTime const late(62762, 9, 5, 20, 4, 34, 957);
  unsigned const n = leap->GetNextOccurrences(late, 3, out.data());
  EXPECT_EQ(n, 3u);
  for (unsigned i = 0; i < n; ++i) EXPECT_EQ(out[i].GetYear() * 10000 + out[i].GetMonth() * 100 + out[i].GetDay(), 655351230);
}

TEST_F(Hostile, RandomExtremeFields) {
  std::mt19937_64 rng(77);
  auto pick = [&](std::initializer_list<int> values) {
    return values.begin()[std::uniform_int_distribution<size_t>(0, values.size() - 1)(rng)];
  };
  auto value = [&] {
    return pick({0,   1,    -1,   2,    7,     13,    24,      25,      31,      59,    60,  61,  99,
                 999, 1000, 1001, 1439, 65535, 65536, 1000000, INT_MAX, INT_MIN, -1000, -61, -25, -1001});
  };
  auto recurrence = [&] {
    return pick({RECURRENCE_FIXED, RECURRENCE_EVERY, RECURRENCE_EVERY, RECURRENCE_NONE, RECURRENCE_WINDOW, 5});
  };
  double slowest = 0;
  std::string which;
  for (int i = 0; i < Scaled(400); ++i) {
    Rule r;
    for (int u = 0; u < 9; ++u) r.Set(static_cast<Unit>(u), static_cast<RECURRENCE>(recurrence()), value());
    if (i % 3 == 0)
      r.Window(static_cast<int>(rng() % 24), static_cast<int>(rng() % 60), static_cast<int>(rng() % 24),
               static_cast<int>(rng() % 60), pick({1, 7, 60, 1439}));
    Series const s = r.Make();
    DateTime const from(static_cast<int>(1 + rng() % 65535), 1 + static_cast<int>(rng() % 12),
                        1 + static_cast<int>(rng() % 28), static_cast<int>(rng() % 24), static_cast<int>(rng() % 60));
    DateTime const start = i % 2 ? DateTime(1, 1, 1) : from - TimeSpan(static_cast<long long>(rng() % 1000000000000));
    Outcome const o = RunAll(s, start, from, i % 8 ? from + TimeSpan(86400000) : last_, 4);
    if (o.slowest > slowest) slowest = o.slowest, which = Describe(r) + Text(start) + " " + Text(from);
  }
  EXPECT_LT(slowest, kBoundMs) << which;
}

}  // namespace
}  // namespace QDataType
