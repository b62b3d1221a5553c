// The schedule as a value: what CreateTimeSeries stores (steps made
// positive), the putters and what they refuse, and Clone.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "DataType/TimeSeries/TimeSeries.h"
#include "DataType/TimeSeries/TimeSeriesImpl.h"
#include "Schedules.h"
#include "support/ScopedTZ.h"

namespace QDataType {
namespace {

using namespace testing_series;
using Ints = std::vector<int>;

Ints WindowOf(TimeSeries& s) {
  return {s.GetWindowStartHour(), s.GetWindowStartMinute(), s.GetWindowEndHour(), s.GetWindowEndMinute(),
          s.GetWindowInterval()};
}

// The nine values, then the nine recurrences.
Ints PairsOf(TimeSeries& s) {
  return {s.GetYear(), s.GetMonth(), s.GetDay(), s.GetWeek(), s.GetDayOfWeek(), s.GetHour(), s.GetMinute(),
          s.GetSecond(), s.GetMillisecond(), s.GetYearRecurrence(), s.GetMonthRecurrence(), s.GetDayRecurrence(),
          s.GetWeekRecurrence(), s.GetDayOfWeekRecurrence(), s.GetHourRecurrence(), s.GetMinuteRecurrence(),
          s.GetSecondRecurrence(), s.GetMillisecondRecurrence()};
}

TEST(Model, CreationStoresThePairsWithPositiveSteps) {
  int const F = RECURRENCE_FIXED, E = RECURRENCE_EVERY, N = RECURRENCE_NONE;
  Series const s(CreateTimeSeries(RECURRENCE_FIXED, 2024, RECURRENCE_EVERY, 2, RECURRENCE_FIXED, 15, RECURRENCE_FIXED,
                                  -1, RECURRENCE_FIXED, 62, RECURRENCE_EVERY, 3, RECURRENCE_FIXED, 75,
                                  static_cast<RECURRENCE>(7), -9, RECURRENCE_NONE, 1234, 1, 2, 3, 4, 5));
  EXPECT_EQ(PairsOf(*s), (Ints{2024, 2, 15, -1, 62, 3, 75, -9, 1234, F, E, F, F, F, E, F, 7, N}));  // unchecked
  EXPECT_EQ(WindowOf(*s), (Ints{-1, -1, -1, -1, -1}));  // hour not RECURRENCE_WINDOW
  Rule r;
  for (int u = 0; u < 9; ++u) r.Every(static_cast<Unit>(u), -3);
  Series const steps = r.Fixed(kSecond, -3).Every(kMs, INT_MIN).Make();
  EXPECT_EQ(PairsOf(*steps), (Ints{3, 3, 3, 3, 3, 3, 3, -3, INT_MAX, E, E, E, E, E, E, E, F, E}));
  // The nine-pair constructor normalises the same way and has no window.
  TimeSeriesImpl impl(RECURRENCE_EVERY, -5, RECURRENCE_NONE, -5, RECURRENCE_NONE, 0, RECURRENCE_NONE, 0,
                      RECURRENCE_NONE, 0, RECURRENCE_WINDOW, 0, RECURRENCE_WINDOW, 0, RECURRENCE_NONE, 0,
                      RECURRENCE_NONE, 0);
  EXPECT_EQ(impl.GetYear() * 100 + impl.GetMonth(), 495);
  EXPECT_EQ(WindowOf(impl), (Ints{-1, -1, -1, -1, -1}));
  // A window is kept with hour and minute RECURRENCE_WINDOW, dropped
  // otherwise; a field out of range is unset alone, the others stay.
  EXPECT_EQ(WindowOf(*Rule().Window(9, 0, 17, 0, 30).Make()), (Ints{9, 0, 17, 0, 30}));
  EXPECT_EQ(WindowOf(*Rule().Window(9, 0, 17, 0, 30).Fixed(kHour, 9).Make()), (Ints{-1, -1, -1, -1, -1}));
  EXPECT_EQ(WindowOf(*Rule().Window(24, 0, 17, 0, 30).Make()), (Ints{-1, 0, 17, 0, 30}));
  EXPECT_EQ(WindowOf(*Rule().Window(9, 60, 17, -2, 1440).Fixed(kHour, 9).Make()), (Ints{9, -1, 17, -1, -1}));
}

TEST(Model, PuttersAcceptAndRefuse) {
  Series const every = Rule().Every(kYear, 1).Every(kMonth, 1).Every(kDay, 1).Every(kWeek, 1).Make();
  Series const free = Rule().Make();
  TimeSeries& e = *every;
  TimeSeries& f = *free;
  // Steps must be positive; otherwise negative values pass; 0 never does for
  // month, day, week and the weekday mask; time units take 0..max.
  std::vector<bool> const results = {
      e.PutYear(0),         e.PutMonth(-1),       e.PutDay(-1),        e.PutWeek(-1),       e.PutYear(7),
      f.PutYear(0),         f.PutYear(-4),        f.PutMonth(-1),      f.PutDay(-1),        f.PutWeek(-2),
      e.PutMonth(0),        e.PutDay(0),          e.PutWeek(0),        f.PutMonth(0),       f.PutDay(0),
      f.PutWeek(0),         f.PutDayOfWeek(0),    f.PutDayOfWeek(1000), f.PutHour(23),      f.PutHour(24),
      f.PutHour(-1),        f.PutMinute(59),      f.PutMinute(60),     f.PutSecond(59),     f.PutSecond(-1),
      f.PutMillisecond(999), f.PutMillisecond(1000), f.PutMillisecond(-1)};
  EXPECT_EQ(results, (std::vector<bool>{false, false, false, false, true, true, true, true, true, true, false, false,
                                        false, false, false, false, false, true, true, false, false, true, false, true,
                                        false, true, false, false}));
  EXPECT_EQ(PairsOf(f), (Ints{-4, -1, -1, -2, 1000, 23, 59, 59, 999, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(e.GetYear(), 7);
  // Recurrence putters: a step is raised to at least 1; the weekday mask
  // cannot be stepped; any other value is stored.
  Series const s = Rule().Make();
  EXPECT_TRUE(s->PutMinuteRecurrence(RECURRENCE_EVERY) && s->PutYear(-5) && s->PutYearRecurrence(RECURRENCE_EVERY));
  EXPECT_TRUE(s->PutHour(5) && s->PutHourRecurrence(RECURRENCE_EVERY));
  EXPECT_TRUE(s->PutSecondRecurrence(static_cast<RECURRENCE>(12345)));
  EXPECT_FALSE(s->PutDayOfWeekRecurrence(RECURRENCE_EVERY));
  EXPECT_EQ(PairsOf(*s), (Ints{1, 0, 0, 0, 0, 5, 1, 0, 0, RECURRENCE_EVERY, 0, 0, 0, 0, RECURRENCE_EVERY,
                               RECURRENCE_EVERY, 12345, 0}));
}

TEST(Model, WindowPuttersAndClone) {
  Series const s = Rule().At(9, 0).Make();
  EXPECT_FALSE(s->PutWindowInterval(1440) || s->PutWindowStartHour(24) || s->PutWindowEndMinute(60) ||
               s->PutWindowStartMinute(-2));
  EXPECT_TRUE(s->PutWindowInterval(-1));
  ASSERT_TRUE(s->PutWindowStartHour(9) && s->PutWindowStartMinute(0) && s->PutWindowEndHour(9) &&
              s->PutWindowEndMinute(40) && s->PutWindowInterval(20));
  EXPECT_EQ(WindowOf(*s), (Ints{9, 0, 9, 40, 20}));
  // A window set through the putters is in effect, whatever the hour and
  // minute recurrences...
  testing_zone::ScopedTZ utc("UTC");
  DateTime out[4];
  ASSERT_EQ(s->GetNextOccurrences(DateTime(2024, 6, 10, 9, 10, 0), 4, out), 4u);
  EXPECT_EQ(Texts(out, 4), (std::vector<std::string>{"2024-06-10 09:20:00.000", "2024-06-10 09:40:00.000",
                                                     "2024-06-11 09:00:00.000", "2024-06-11 09:20:00.000"}));
  // ... until a Clone rebuilds the schedule, a separate one.
  Series const c(s->Clone());
  EXPECT_EQ(WindowOf(*c), (Ints{-1, -1, -1, -1, -1}));
  EXPECT_TRUE(c->GetHour() == 9 && c->GetHourRecurrence() == RECURRENCE_FIXED && c->PutHour(10));
  EXPECT_EQ(s->GetHour(), 9);
}

TEST(Model, StepOfZeroStepsByOne) {
  testing_zone::ScopedTZ utc("UTC");
  // CreateTimeSeries stores 0 under RECURRENCE_EVERY.
  Series const zero = Rule().Every(kHour, 0).Every(kMinute, 0).Fixed(kSecond, 0).Fixed(kMs, 0).Every(kDay, 0).Make();
  Series const one = Rule().Every(kHour, 1).Every(kMinute, 1).Fixed(kSecond, 0).Fixed(kMs, 0).Every(kDay, 1).Make();
  EXPECT_EQ(zero->GetMinute(), 0);
  DateTime a[5], b[5];
  DateTime const from(2024, 6, 10, 23, 58, 0);
  ASSERT_EQ(zero->GetNextOccurrences(from, 5, a) + one->GetNextOccurrences(from, 5, b), 10u);
  EXPECT_EQ(Texts(a, 5), Texts(b, 5));
  ASSERT_EQ(zero->GetNextOccurrencesAfterStart(from, from, 5, a) + one->GetNextOccurrencesAfterStart(from, from, 5, b),
            10u);
  EXPECT_EQ(Texts(a, 5), Texts(b, 5));
}

}  // namespace
}  // namespace QDataType
