// The schedule as a value: what CreateTimeSeries stores, the putters and
// what they refuse, Clone, and the interface's special members.
#include <gtest/gtest.h>

#include <climits>
#include <type_traits>
#include <vector>

#include "DataType/TimeSeries/TimeSeries.h"
#include "DataType/TimeSeries/TimeSeriesImpl.h"
#include "Schedules.h"
#include "support/ScopedTZ.h"

namespace QDataType {
namespace {

using namespace testing_series;

std::vector<int> WindowOf(TimeSeries& s) {
  return {s.GetWindowStartHour(), s.GetWindowStartMinute(), s.GetWindowEndHour(), s.GetWindowEndMinute(),
          s.GetWindowInterval()};
}

TEST(Model, EnumerationAndInterface) {
  static_assert(sizeof(RECURRENCE) == 4, "a 32-bit enumeration");
  static_assert(RECURRENCE_FIXED == -3 && RECURRENCE_EVERY == -2 && RECURRENCE_WINDOW == -100, "values");
  static_assert(RECURRENCE_NONE == 0, "the free value");
  static_assert(std::is_abstract<TimeSeries>::value, "an interface");
  // Assignment through the interface copies nothing; deleting through it is
  // refused (Destroy releases).
  static_assert(std::is_copy_assignable<TimeSeries>::value && std::is_move_assignable<TimeSeries>::value,
                "copy and move assignment");
  static_assert(!std::is_destructible<TimeSeries>::value, "released with Destroy");
}

TEST(Model, CreationStoresThePairs) {
  Series const s(CreateTimeSeries(RECURRENCE_FIXED, 2024, RECURRENCE_EVERY, 2, RECURRENCE_FIXED, 15, RECURRENCE_FIXED,
                                  -1, RECURRENCE_FIXED, 62, RECURRENCE_EVERY, 3, RECURRENCE_FIXED, 75,
                                  static_cast<RECURRENCE>(7), -9, RECURRENCE_NONE, 1234, 1, 2, 3, 4, 5));
  EXPECT_EQ(s->GetYear(), 2024);
  EXPECT_EQ(s->GetMonth(), 2);
  EXPECT_EQ(s->GetDay(), 15);
  EXPECT_EQ(s->GetWeek(), -1);
  EXPECT_EQ(s->GetDayOfWeek(), 62);
  EXPECT_EQ(s->GetHour(), 3);
  EXPECT_EQ(s->GetMinute(), 75);  // unchecked
  EXPECT_EQ(s->GetSecond(), -9);
  EXPECT_EQ(s->GetMillisecond(), 1234);
  EXPECT_EQ(s->GetYearRecurrence(), RECURRENCE_FIXED);
  EXPECT_EQ(s->GetMonthRecurrence(), RECURRENCE_EVERY);
  EXPECT_EQ(s->GetDayRecurrence(), RECURRENCE_FIXED);
  EXPECT_EQ(s->GetWeekRecurrence(), RECURRENCE_FIXED);
  EXPECT_EQ(s->GetDayOfWeekRecurrence(), RECURRENCE_FIXED);
  EXPECT_EQ(s->GetHourRecurrence(), RECURRENCE_EVERY);
  EXPECT_EQ(s->GetMinuteRecurrence(), RECURRENCE_FIXED);
  EXPECT_EQ(s->GetSecondRecurrence(), static_cast<RECURRENCE>(7));
  EXPECT_EQ(s->GetMillisecondRecurrence(), RECURRENCE_NONE);
  EXPECT_EQ(WindowOf(*s), (std::vector<int>{-1, -1, -1, -1, -1}));  // hour not RECURRENCE_WINDOW
}

TEST(Model, NegativeStepsBecomePositive) {
  Rule r;
  for (int u = 0; u < 9; ++u) r.Every(static_cast<Unit>(u), -3);
  r.Fixed(kSecond, -3).Every(kMs, INT_MIN);
  Series const s = r.Make();
  EXPECT_EQ(s->GetYear(), 3);
  EXPECT_EQ(s->GetMonth(), 3);
  EXPECT_EQ(s->GetDay(), 3);
  EXPECT_EQ(s->GetWeek(), 3);
  EXPECT_EQ(s->GetDayOfWeek(), 3);  // the day-of-week pair too
  EXPECT_EQ(s->GetHour(), 3);
  EXPECT_EQ(s->GetMinute(), 3);
  EXPECT_EQ(s->GetSecond(), -3);  // fixed: kept
  EXPECT_EQ(s->GetMillisecond(), INT_MAX);
  // The nine-pair constructor normalises the same way and has no window.
  TimeSeriesImpl impl(RECURRENCE_EVERY, -5, RECURRENCE_NONE, -5, RECURRENCE_NONE, 0, RECURRENCE_NONE, 0,
                      RECURRENCE_NONE, 0, RECURRENCE_WINDOW, 0, RECURRENCE_WINDOW, 0, RECURRENCE_NONE, 0,
                      RECURRENCE_NONE, 0);
  EXPECT_EQ(impl.GetYear(), 5);
  EXPECT_EQ(impl.GetMonth(), -5);
  EXPECT_EQ(WindowOf(impl), (std::vector<int>{-1, -1, -1, -1, -1}));
}

TEST(Model, WindowRule) {
  // Kept with hour and minute RECURRENCE_WINDOW, dropped otherwise.
  EXPECT_EQ(WindowOf(*Rule().Window(9, 0, 17, 0, 30).Make()), (std::vector<int>{9, 0, 17, 0, 30}));
  EXPECT_EQ(WindowOf(*Rule().Window(9, 0, 17, 0, 30).Fixed(kHour, 9).Make()), (std::vector<int>{-1, -1, -1, -1, -1}));
  // A field out of range is unset alone; the others stay, out of effect.
  EXPECT_EQ(WindowOf(*Rule().Window(24, 0, 17, 0, 30).Make()), (std::vector<int>{-1, 0, 17, 0, 30}));
  EXPECT_EQ(WindowOf(*Rule().Window(9, 60, 17, -2, 1440).Fixed(kHour, 9).Make()),
            (std::vector<int>{9, -1, 17, -1, -1}));
}

TEST(Model, ValuePutters) {
  Series const s = Rule().Every(kYear, 1).Every(kMonth, 1).Every(kDay, 1).Every(kWeek, 1).Make();
  // Under RECURRENCE_EVERY.
  EXPECT_FALSE(s->PutYear(0));
  EXPECT_FALSE(s->PutMonth(-1));
  EXPECT_FALSE(s->PutDay(-1));
  EXPECT_FALSE(s->PutWeek(-1));
  EXPECT_TRUE(s->PutYear(7));
  EXPECT_EQ(s->GetYear(), 7);
  // Otherwise negative values pass; 0 never does for month, day and week.
  Series const f = Rule().Make();
  EXPECT_TRUE(f->PutYear(0));
  EXPECT_TRUE(f->PutYear(-4));
  EXPECT_TRUE(f->PutMonth(-1));
  EXPECT_TRUE(f->PutDay(-1));
  EXPECT_TRUE(f->PutWeek(-2));
  EXPECT_EQ(f->GetWeek(), -2);
  for (TimeSeries* t : {s.get(), f.get()}) {
    EXPECT_FALSE(t->PutMonth(0));
    EXPECT_FALSE(t->PutDay(0));
    EXPECT_FALSE(t->PutWeek(0));
  }
  EXPECT_FALSE(f->PutDayOfWeek(0));
  EXPECT_TRUE(f->PutDayOfWeek(1000));  // bits above 6 are kept, and ignored
  EXPECT_EQ(f->GetDayOfWeek(), 1000);
  struct Range {
    bool (TimeSeries::*put)(int);
    int (TimeSeries::*get)();
    int hi;
  } const ranges[] = {{&TimeSeries::PutHour, &TimeSeries::GetHour, 23},
                      {&TimeSeries::PutMinute, &TimeSeries::GetMinute, 59},
                      {&TimeSeries::PutSecond, &TimeSeries::GetSecond, 59},
                      {&TimeSeries::PutMillisecond, &TimeSeries::GetMillisecond, 999}};
  for (Range const& r : ranges) {
    EXPECT_TRUE((f.get()->*r.put)(r.hi));
    EXPECT_FALSE((f.get()->*r.put)(r.hi + 1));
    EXPECT_FALSE((f.get()->*r.put)(-1));
    EXPECT_EQ((f.get()->*r.get)(), r.hi);
    EXPECT_TRUE((f.get()->*r.put)(0));  // 0 whatever the recurrence
  }
}

TEST(Model, RecurrencePutters) {
  Series const s = Rule().Make();
  EXPECT_TRUE(s->PutMinuteRecurrence(RECURRENCE_EVERY));
  EXPECT_EQ(s->GetMinute(), 1);  // raised from 0
  EXPECT_TRUE(s->PutYear(-5));
  EXPECT_TRUE(s->PutYearRecurrence(RECURRENCE_EVERY));
  EXPECT_EQ(s->GetYear(), 1);
  EXPECT_TRUE(s->PutHour(5));
  EXPECT_TRUE(s->PutHourRecurrence(RECURRENCE_EVERY));
  EXPECT_EQ(s->GetHour(), 5);  // already 1 or more
  EXPECT_TRUE(s->PutSecondRecurrence(static_cast<RECURRENCE>(12345)));
  EXPECT_EQ(s->GetSecondRecurrence(), static_cast<RECURRENCE>(12345));
  EXPECT_FALSE(s->PutDayOfWeekRecurrence(RECURRENCE_EVERY));
  EXPECT_EQ(s->GetDayOfWeekRecurrence(), RECURRENCE_NONE);
  EXPECT_TRUE(s->PutDayOfWeekRecurrence(RECURRENCE_FIXED));
  EXPECT_EQ(s->GetDayOfWeekRecurrence(), RECURRENCE_FIXED);
}

TEST(Model, WindowPuttersAndClone) {
  Series const s = Rule().At(9, 0).Make();
  EXPECT_FALSE(s->PutWindowInterval(1440));
  EXPECT_TRUE(s->PutWindowInterval(-1));
  EXPECT_FALSE(s->PutWindowStartHour(24));
  EXPECT_FALSE(s->PutWindowEndMinute(60));
  EXPECT_FALSE(s->PutWindowStartMinute(-2));
  ASSERT_TRUE(s->PutWindowStartHour(9) && s->PutWindowStartMinute(0) && s->PutWindowEndHour(9) &&
              s->PutWindowEndMinute(40) && s->PutWindowInterval(20));
  EXPECT_EQ(WindowOf(*s), (std::vector<int>{9, 0, 9, 40, 20}));
  // A window set through the putters is in effect, whatever the hour and
  // minute recurrences...
  testing_zone::ScopedTZ utc("UTC");
  DateTime out[4];
  ASSERT_EQ(s->GetNextOccurrences(DateTime(2024, 6, 10, 9, 10, 0), 4, out), 4u);
  EXPECT_EQ(Texts(out, 4), (std::vector<std::string>{"2024-06-10 09:20:00.000", "2024-06-10 09:40:00.000",
                                                     "2024-06-11 09:00:00.000", "2024-06-11 09:20:00.000"}));
  // ... until a Clone rebuilds the schedule.
  Series const c(s->Clone());
  EXPECT_EQ(WindowOf(*c), (std::vector<int>{-1, -1, -1, -1, -1}));
  EXPECT_EQ(c->GetHour(), 9);
  EXPECT_EQ(c->GetHourRecurrence(), RECURRENCE_FIXED);
  // A clone is a separate schedule.
  EXPECT_TRUE(c->PutHour(10));
  EXPECT_EQ(s->GetHour(), 9);
}

TEST(Model, StepOfZeroStepsByOne) {
  testing_zone::ScopedTZ utc("UTC");
  // CreateTimeSeries stores 0 under RECURRENCE_EVERY; PutMinute accepts it.
  Series const zero = Rule().Every(kHour, 0).Every(kMinute, 0).Fixed(kSecond, 0).Fixed(kMs, 0).Every(kDay, 0).Make();
  Series const one = Rule().Every(kHour, 1).Every(kMinute, 1).Fixed(kSecond, 0).Fixed(kMs, 0).Every(kDay, 1).Make();
  EXPECT_EQ(zero->GetMinute(), 0);
  DateTime a[5], b[5];
  DateTime const from(2024, 6, 10, 23, 58, 0);
  ASSERT_EQ(zero->GetNextOccurrences(from, 5, a), 5u);
  ASSERT_EQ(one->GetNextOccurrences(from, 5, b), 5u);
  EXPECT_EQ(Texts(a, 5), Texts(b, 5));
  ASSERT_EQ(zero->GetNextOccurrencesAfterStart(from, from, 5, a), 5u);
  ASSERT_EQ(one->GetNextOccurrencesAfterStart(from, from, 5, b), 5u);
  EXPECT_EQ(Texts(a, 5), Texts(b, 5));
}

}  // namespace
}  // namespace QDataType
