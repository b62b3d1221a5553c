// The library's walk against the step-by-step walk (StepWalk.h) on random
// schedules: ordinary ones, odometers with steps in every unit, values out
// of their units' ranges, and windows; the routines one by one and the three
// computations whole, in UTC and in zones with daylight saving. Wherever the
// step-by-step walk finishes within its budget the results must be the same
// to the millisecond.
#include <gtest/gtest.h>

#include <time.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "DataType/TimeSeries/TimeSeries.h"
#include "Schedules.h"
#include "StepWalk.h"
#include "TimeSeriesTestPeer.h"
#include "support/ScopedTZ.h"

namespace QDataType {
namespace {

using namespace testing_series;
using testing_zone::ScopedTZ;

class RandomRules {
 public:
  explicit RandomRules(unsigned long long state) : rng_(state) {}

  int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  bool Chance(int percent) { return Int(1, 100) <= percent; }

  // A value for a unit of size `size`: mostly in range, sometimes not.
  int TimeValue(int size) {
    int const k = Int(0, 9);
    if (k < 7) return Int(0, size - 1);
    if (k == 7) return Int(-size, -1);
    if (k == 8) return Int(size, 2 * size);
    return Int(-3 * size, -size - 1);
  }
  int Step(int size) {
    int const k = Int(0, 9);
    if (k < 6) return Int(1, size / 2 > 1 ? size / 2 : 1);
    if (k < 8) return Int(1, size);
    if (k == 8) return 0;
    return Int(size + 1, 3 * size);
  }

  Rule Make(bool weird) {
    Rule r;
    // Date units.
    int const year = Int(0, 9), month = Int(0, 9), day = Int(0, 9);
    if (year == 0) r.Fixed(kYear, Int(2000, 2034));
    if (year == 1) r.Every(kYear, Int(1, 3));
    if (month < 2) r.Fixed(kMonth, weird && Chance(20) ? Int(-2, 14) : Int(1, 12));
    if (month == 2) r.Every(kMonth, Int(1, 7));
    if (day < 2) r.Fixed(kDay, weird && Chance(20) ? Int(-2, 33) : Int(1, 31));
    if (day == 2) r.Every(kDay, Int(1, 12));
    if (day > 2 && Chance(40)) r.Fixed(kDow, weird && Chance(20) ? Int(0, 300) : Int(1, 127));
    if (day > 2 && Chance(25)) {
      r.Fixed(kWeek, Int(-6, 6));
    } else if (day > 2 && Chance(15)) {
      r.Every(kWeek, Int(1, 4));
    }
    // Time units.
    int const sizes[4] = {24, 60, 60, 1000};
    Unit const units[4] = {kHour, kMinute, kSecond, kMs};
    for (int i = 0; i < 4; ++i) {
      int const k = Int(0, 9);
      if (k < 5) {
        r.Fixed(units[i], weird ? TimeValue(sizes[i]) : Int(0, sizes[i] - 1));
      } else if (k < 8) {
        int step = weird ? Step(sizes[i]) : Int(1, sizes[i] / 2);
        // Keep the step-by-step walk within reach: no millisecond steps
        // below 50 under a stepped second.
        if (i == 3 && step < 50) step = 50 + step;
        r.Every(units[i], step);
      }
    }
    if (Chance(15)) {
      r.Window(Int(0, 23), Int(0, 59), Int(0, 23), Int(0, 59), Chance(10) ? 0 : Int(1, 400));
    }
    return r;
  }

  DateTime Date(int fromYear, int toYear) {
    return DateTime(Int(fromYear, toYear), Int(1, 12), Int(1, 28), Int(0, 23), Int(0, 59), Int(0, 59), Int(0, 999));
  }
  DateTime Near(DateTime const& d, long long maxMs) {
    return d + TimeSpan(std::uniform_int_distribution<long long>(0, maxMs)(rng_));
  }

 private:
  std::mt19937_64 rng_;
};

// The schedule's rules checked against a model that enumerates them day by
// day, from the header's words alone, with the C library's calendar (gmtime_r,
// timegm): schedules whose time units are all fixed (or a daily window, or
// one step every K minutes with no date rule), walked from a start at
// midnight in UTC. A day passes when every date rule admits it: a fixed year,
// month or day equals it; a day step counts whole days from the start's;
// while the day is neither fixed nor stepped, week k is days 7k-6..7k (-k:
// the k-th block of seven back from the month's last day) and the weekday
// mask holds its bit.
struct CivilDay {
  int y, m, d, wday, dim;
};
CivilDay Civil(long long day) {
  time_t const t = static_cast<time_t>(day * 86400);
  struct tm g, last {};
  gmtime_r(&t, &g);
  last.tm_year = g.tm_year, last.tm_mon = g.tm_mon + 1, last.tm_mday = 0;  // the month's last day
  time_t const lt = timegm(&last);
  gmtime_r(&lt, &last);
  return {g.tm_year + 1900, g.tm_mon + 1, g.tm_mday, g.tm_wday, last.tm_mday};
}

bool DayPasses(Rule const& r, CivilDay const& c, long long days) {
  if (r.r[kYear] == RECURRENCE_FIXED && c.y != r.v[kYear]) return false;
  if (r.r[kMonth] == RECURRENCE_FIXED && c.m != r.v[kMonth]) return false;
  if (r.r[kDay] == RECURRENCE_FIXED) return c.d == r.v[kDay];
  if (r.r[kDay] == RECURRENCE_EVERY) return days % r.v[kDay] == 0;
  if (r.r[kDow] == RECURRENCE_FIXED && ((r.v[kDow] >> c.wday) & 1) == 0) return false;
  int const k = r.v[kWeek];
  int const first = k > 0 ? 7 * k - 6 : c.dim + 7 * k + 1;
  return r.r[kWeek] != RECURRENCE_FIXED || (k != 0 && c.d >= first && c.d <= first + 6);
}

TEST(WalkRules, AgreeWithADayByDayEnumeration) {
  ScopedTZ tz("UTC");
  RandomRules random(8);
  constexpr long long kDayMs = 86400000;
  int compared = 0;
  for (int i = 0; i < 400; ++i) {
    Rule r;
    long long const startDay = random.Int(0, 25000);  // days since 1970
    CivilDay const s = Civil(startDay);
    int const kind = random.Int(0, 9);
    int minutes = 0;
    if (kind == 0) {  // every K minutes, every day
      minutes = random.Int(1, 59);
      r.Every(kHour, 1).Every(kMinute, minutes).Fixed(kSecond, 0).Fixed(kMs, 0);
    } else {
      // A step counts from the previous occurrence: alone, every day from
      // the start's passes, so that is the start's day and then every N-th.
      if (random.Chance(20)) {
        r.Every(kDay, random.Int(1, 10));
      } else {
        if (random.Chance(30)) r.Fixed(kYear, s.y + random.Int(0, 2));
        if (random.Chance(30)) r.Fixed(kMonth, random.Int(1, 12));
        if (random.Chance(25)) r.Fixed(kDay, random.Int(1, 31));
        if (random.Chance(50)) r.Fixed(kDow, random.Int(1, 127));
        if (random.Chance(40)) r.Fixed(kWeek, random.Int(-5, 5));
      }
      if (kind < 4) {
        r.Fixed(kSecond, 0).Fixed(kMs, 0).Window(random.Int(0, 23), random.Int(0, 59), random.Int(0, 23),
                                                 random.Int(0, 59), random.Int(1, 300));
      } else {
        r.At(random.Int(0, 23), random.Int(0, 59), random.Int(0, 59)).Fixed(kMs, random.Int(0, 999));
      }
    }
    // The model's occurrences: the day's times on every day that passes,
    // until a search would have to go past 2,928 days.
    std::vector<long long> want;
    long long const from = startDay * kDayMs + random.Int(0, 90) * kDayMs + random.Int(0, 86399999);
    unsigned const count = 10;
    if (minutes > 0) {
      for (long long t = startDay * kDayMs; want.size() < count; t += minutes * 60000LL)
        if (t >= from) want.push_back(t);
    }
    // A fixed year later than the start's moves the search to the start's
    // month and day in that year and resumes it the day after.
    long long firstDay = startDay;
    if (r.r[kYear] == RECURRENCE_FIXED && r.v[kYear] > s.y) {
      struct tm j {};
      j.tm_year = r.v[kYear] - 1900, j.tm_mon = s.m - 1, j.tm_mday = 1;
      long long const first = timegm(&j) / 86400;
      firstDay = first + std::min(s.d, Civil(first).dim);
    }
    for (long long day = firstDay, last = firstDay; minutes == 0 && want.size() < count && day - last < 2000; ++day) {
      if (!DayPasses(r, Civil(day), day - startDay)) continue;
      last = day;
      std::vector<long long> times;
      if (r.w[0] >= 0) {
        int const a = r.w[0] * 60 + r.w[1], b = r.w[2] * 60 + r.w[3];
        for (int m = a; m == a || m <= b; m += r.w[4]) times.push_back(m * 60000LL);
      } else {
        times.push_back(((r.v[kHour] * 60LL + r.v[kMinute]) * 60 + r.v[kSecond]) * 1000 + r.v[kMs]);
      }
      for (long long t : times)
        if (day * kDayMs + t >= from && want.size() < count) want.push_back(day * kDayMs + t);
    }
    auto instant = [](long long ms) { return DateTime(ms / 1000, 0) + TimeSpan(ms % 1000); };
    Series const series = r.Make();
    std::vector<DateTime> out(count);
    unsigned const n =
        series->GetNextOccurrencesAfterStart(instant(startDay * kDayMs), instant(from), count, out.data());
    std::vector<std::string> expected;
    for (long long t : want) expected.push_back(Text(instant(t)));
    std::vector<std::string> got = Texts(out.data(), n);
    if (got.size() > expected.size()) got.resize(expected.size());  // past the model's horizon
    ASSERT_EQ(got, expected) << Describe(r) << " from " << Text(instant(from));
    compared += !expected.empty();
  }
  EXPECT_GT(compared, 250);
}

TEST(WalkRoutines, MatchTheStepByStepRoutines) {
  ScopedTZ utc("UTC");
  RandomRules rng(20240611);
  int searches = 0;
  for (int i = 0; i < Scaled(2000); ++i) {
    Rule const rule = rng.Make(i % 2 == 1);
    Series const s = rule.Make();
    StepWalk ref(*s, 100000);
    DateTime const a = rng.Date(1990, 2040);
    DateTime const c = rng.Near(a, 400LL * 86400000);
    SCOPED_TRACE(Describe(rule) + Text(a) + " " + Text(c));

    EXPECT_EQ(TimeSeriesTestPeer::DateMatches(s.get(), &a, c), ref.DateMatches(&a, c));
    EXPECT_EQ(TimeSeriesTestPeer::DateMatches(s.get(), nullptr, c), ref.DateMatches(nullptr, c));
    EXPECT_EQ(TimeSeriesTestPeer::TimeMatches(s.get(), &a, c), ref.TimeMatches(&a, c));
    EXPECT_EQ(TimeSeriesTestPeer::TimeMatches(s.get(), nullptr, c), ref.TimeMatches(nullptr, c));

    DateTime mine, theirs;
    EXPECT_EQ(TimeSeriesTestPeer::NextTime(s.get(), a, mine), ref.NextTime(a, theirs));
    EXPECT_EQ(Text(mine), Text(theirs));

    DateTime d1 = a, d2 = a;
    bool const found = TimeSeriesTestPeer::FindFirstDay(s.get(), d1);
    bool const refFound = ref.FindFirstDay(d2);
    if (!ref.Overrun()) {
      EXPECT_EQ(found, refFound);
      EXPECT_EQ(Text(d1), Text(d2));
      ++searches;
    }
    StepWalk ref2(*s, 100000);
    DateTime n1(1999, 1, 1), n2(1999, 1, 1);
    bool const next = TimeSeriesTestPeer::NextDay(s.get(), a, n1);
    bool const refNext = ref2.NextDay(a, n2);
    if (!ref2.Overrun()) {
      EXPECT_EQ(next, refNext);
      EXPECT_EQ(Text(n1), Text(n2));
    }
  }
  EXPECT_GT(searches, Scaled(2000) * 8 / 10);
}

// The three computations on random schedules and dates; `weird` admits
// values outside their units' ranges.
void CompareComputations(char const* zone, unsigned long long state, int cases, bool weird, int fromYear = 1995,
                         int toYear = 2030) {
  ScopedTZ tz(zone);
  RandomRules rng(state);
  int compared = 0;
  cases = Scaled(cases);
  for (int i = 0; i < cases; ++i) {
    Rule const rule = rng.Make(weird);
    Series const s = rule.Make();
    // Near the end: the calendar's last 40 days.
    DateTime const from = fromYear > 60000 ? DateTime(65535, 12, 31) - TimeSpan(rng.Int(0, 40 * 1440) * 60000LL)
                                           : rng.Date(fromYear, toYear);
    DateTime const start = from - TimeSpan(rng.Int(0, 3 * 366) * 86400000LL + rng.Int(0, 86399999));
    DateTime const to = fromYear > 60000 ? DateTime(65535, 12, 31, 23, 59, 59, 999)
                                         : rng.Near(from, rng.Chance(50) ? 86400000LL : 20LL * 86400000);
    unsigned const count = static_cast<unsigned>(rng.Int(1, 6));
    SCOPED_TRACE(Describe(rule) + Text(start) + " " + Text(from) + " " + Text(to) + " " + std::to_string(count));

    std::vector<DateTime> out(count), expected;
    DateTime* sentinel = reinterpret_cast<DateTime*>(0x10);
    DateTime* list = sentinel;
    for (int which = 0; which < 3; ++which) {
      StepWalk ref(*s, 150000);
      unsigned n = 0, m = 0;
      bool listed = true;
      if (which == 0) {
        n = s->GetNextOccurrences(from, count, out.data());
        m = ref.Next(from, count, expected);
      } else if (which == 1) {
        n = s->GetNextOccurrencesAfterStart(start, from, count, out.data());
        m = ref.AfterStart(start, from, count, expected);
      } else {
        n = s->GetOccurrencesBetween(from, to, &list);
        listed = ref.Between(from, to, expected);
        m = static_cast<unsigned>(expected.size());
      }
      DateTime const* got = which < 2 ? out.data() : list == sentinel ? nullptr : list;
      if (!ref.Overrun()) {
        EXPECT_EQ(which < 2 || list != sentinel, listed) << "GetOccurrencesBetween array";
        EXPECT_EQ(Texts(got, n), Texts(expected.data(), m)) << which;
        ++compared;
      }
    }
    if (list != sentinel) delete[] list;
  }
  EXPECT_GT(compared, cases * 3 * 8 / 10);
}

TEST(WalkComputations, OrdinarySchedulesInUtc) { CompareComputations("UTC", 1, 600, false); }
TEST(WalkComputations, OrdinarySchedulesAcrossDaylightSaving) {
  CompareComputations("Europe/Berlin", 2, 400, false);
  CompareComputations("America/New_York", 3, 400, false);
}
// Moves stop at 65535-12-30: days past it are that day again.
TEST(WalkComputations, AtTheCalendarsEnd) {
  CompareComputations("UTC", 6, 60, false, 65535, 65535);
  CompareComputations("UTC", 7, 60, true, 65535, 65535);
}
TEST(WalkComputations, OutOfRangeValues) {
  CompareComputations("UTC", 4, 600, true);
  CompareComputations("Australia/Lord_Howe", 5, 200, true);  // a half-hour change
}

}  // namespace
}  // namespace QDataType
