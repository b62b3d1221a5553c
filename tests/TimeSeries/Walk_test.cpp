// The library's walk against the step-by-step walk (StepWalk.h) on random
// schedules: ordinary ones, odometers with steps in every unit, values out
// of their units' ranges, and windows; the routines one by one and the three
// computations whole, in UTC and in zones with daylight saving. Wherever the
// step-by-step walk finishes within its budget the results must be the same
// to the millisecond.
#include <gtest/gtest.h>

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
    switch (Int(0, 9)) {
      case 0:
        r.Fixed(kYear, Int(2000, 2034));
        break;
      case 1:
        r.Every(kYear, Int(1, 3));
        break;
      default:
        break;
    }
    switch (Int(0, 9)) {
      case 0:
      case 1:
        r.Fixed(kMonth, weird && Chance(20) ? Int(-2, 14) : Int(1, 12));
        break;
      case 2:
        r.Every(kMonth, Int(1, 7));
        break;
      default:
        break;
    }
    switch (Int(0, 9)) {
      case 0:
      case 1:
        r.Fixed(kDay, weird && Chance(20) ? Int(-2, 33) : Int(1, 31));
        break;
      case 2:
        r.Every(kDay, Int(1, 12));
        break;
      default:
        if (Chance(40)) r.Fixed(kDow, weird && Chance(20) ? Int(0, 300) : Int(1, 127));
        if (Chance(25))
          r.Fixed(kWeek, Int(-6, 6));
        else if (Chance(15))
          r.Every(kWeek, Int(1, 4));
        break;
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
    {
      StepWalk ref(*s, 150000);
      unsigned const n = s->GetNextOccurrences(from, count, out.data());
      unsigned const m = ref.Next(from, count, expected);
      if (!ref.Overrun()) {
        EXPECT_EQ(Texts(out.data(), n), Texts(expected.data(), m)) << "GetNextOccurrences";
        ++compared;
      }
    }
    {
      StepWalk ref(*s, 150000);
      unsigned const n = s->GetNextOccurrencesAfterStart(start, from, count, out.data());
      unsigned const m = ref.AfterStart(start, from, count, expected);
      if (!ref.Overrun()) {
        EXPECT_EQ(Texts(out.data(), n), Texts(expected.data(), m)) << "GetNextOccurrencesAfterStart";
        ++compared;
      }
    }
    {
      StepWalk ref(*s, 150000);
      DateTime* sentinel = reinterpret_cast<DateTime*>(0x10);
      DateTime* list = sentinel;
      unsigned const n = s->GetOccurrencesBetween(from, to, &list);
      bool const listed = ref.Between(from, to, expected);
      if (!ref.Overrun()) {
        EXPECT_EQ(list != sentinel, listed) << "GetOccurrencesBetween array";
        EXPECT_EQ(Texts(list == sentinel ? nullptr : list, n), Texts(expected)) << "GetOccurrencesBetween";
        ++compared;
      }
      if (list != sentinel) delete[] list;
    }
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
