// DynamicTime: moves of a date and resolution of every kind. Month and
// business-day moves, n-th weekdays and zone answers come from Python
// (tests/data/dynamic_vectors.txt, written by gen_dynamic_vectors.py); the
// resolutions below are worked out by hand from the header, with the
// failures and the limits.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "DataType/DynamicTime/DynamicTime.h"
#include "support/Fields.h"
#include "support/ScopedTZ.h"
#include "support/ZoneVectors.h"

namespace QDataType {
namespace {

using testing_zone::ScopedTZ;
using testing_fields::Fields;
using testing_fields::FieldsOf;


std::string Show(DateTime const& d) { return d.ToString().GetString(); }

// A description from its fields in the order of the vector lines.
DynamicTime Describe(int value, int dayOffset, int monthOffset, int y, int m, int d, int h, int n, int s, int k,
                     int wd) {
  DynamicTime t(static_cast<DYNAMIC_TIME>(value), dayOffset);
  t.PutDynamicMonthOffset(static_cast<short>(monthOffset));
  t.PutYear(y);
  t.PutMonth(m);
  t.PutDay(d);
  t.PutHour(h);
  t.PutMinute(n);
  t.PutSecond(s);
  t.PutWeek(k);
  t.PutDayOfWeek(wd);
  return t;
}

TEST(DynamicTimeVectors, MovesAndResolutionMatchPython) {
  std::ifstream in;
  ASSERT_TRUE(testing_zone::OpenZoneVectors("dynamic_vectors.txt", in));
  std::unique_ptr<ScopedTZ> tz(new ScopedTZ("UTC"));
  std::string zone = "UTC";
  int counts[4] = {0, 0, 0, 0};
  DynamicTime const mover;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream s(line);
    char kind;
    s >> kind;
    if (kind == 'R') {
      std::string z;
      s >> z;
      if (z != zone) {
        tz.reset();
        tz.reset(new ScopedTZ(z.c_str()));
        zone = z;
      }
    }
    std::vector<int> v;
    for (int x; s >> x;) v.push_back(x);
    switch (kind) {
      case 'M': {
        ASSERT_EQ(v.size(), 7u) << line;
        DateTime d(v[0], v[1], v[2], 10, 20, 30, 400);
        DynamicTime::MoveNthTimePointBefore(d, v[3], TG_MONTH);
        EXPECT_EQ(FieldsOf(d), (Fields{v[4], v[5], v[6], 10, 20, 30, 400})) << line;
        counts[0]++;
        break;
      }
      case 'B': {
        ASSERT_EQ(v.size(), 8u) << line;
        DateTime d(v[0], v[1], v[2], 10, 20, 30, 400);
        mover.MoveNthTimePointBefore_BusinessDay(d, v[3], v[4] != 0);
        EXPECT_EQ(FieldsOf(d), (Fields{v[5], v[6], v[7], 10, 20, 30, 400})) << line;
        counts[1]++;
        break;
      }
      case 'W': {  // the n-th weekday selection, through kind 5 with day 0, in UTC
        ASSERT_EQ(v.size(), 5u) << line;
        ASSERT_EQ(zone, "UTC");
        DynamicTime const t = Describe(DT_RELATIVE_MONTH_DAY, 0, 0, 0, 0, 0, 9, 0, 0, v[2], v[3]);
        DateTime d(v[0], v[1], 15, 12, 0, 0, 0);
        DateTime const before = d;
        if (v[4] == 0) {
          EXPECT_EQ(t.ToDateTime(d), -1) << line;
          EXPECT_EQ(FieldsOf(d), FieldsOf(before)) << line;
        } else {
          EXPECT_EQ(t.ToDateTime(d), 0) << line;
          EXPECT_EQ(FieldsOf(d), (Fields{v[0], v[1], v[4], 9, 0, 0, 0})) << line;
        }
        counts[2]++;
        break;
      }
      case 'R': {
        ASSERT_TRUE(v.size() == 19u || v.size() == 25u) << line;
        DynamicTime const t = Describe(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10]);
        DateTime d(v[11], v[12], v[13], v[14], v[15], v[16], v[17]);
        DateTime const before = d;
        if (v.size() == 19u) {
          EXPECT_EQ(t.ToDateTime(d), -1) << line;
          EXPECT_EQ(FieldsOf(d), FieldsOf(before)) << line;
        } else {
          EXPECT_EQ(t.ToDateTime(d), 0) << line;
          EXPECT_EQ(FieldsOf(d), (Fields{v[18], v[19], v[20], v[21], v[22], v[23], v[24]}))
              << line << "\n got " << Show(d);
        }
        counts[3]++;
        break;
      }
      default:
        FAIL() << line;
    }
  }
  EXPECT_GE(counts[0], 1000);
  EXPECT_GE(counts[1], 1000);
  EXPECT_GE(counts[2], 2000);
  EXPECT_GE(counts[3], 10);
}

TEST(DynamicTimeModel, DefaultsAndAccessors) {
  DynamicTime t;
  EXPECT_EQ(t.GetDynamicTime(), DT_NONE);
  EXPECT_EQ(t.GetDayOfWeek(), -1);
  EXPECT_EQ(t.GetDynamicDayOffset() | t.GetDynamicMonthOffset() | t.GetYear() | t.GetWeek(), 0);
  t.PutDynamicTime(DT_RELATIVE_DAY | DT_FLAG_BUSINESS_DAYS);
  t.PutDynamicTime(DT_NONE);  // ignored
  EXPECT_EQ(t.GetDynamicTime(), 0x103);
  t.PutDynamicMonthOffset(-2);
  t.PutHour(-77);
  DynamicTime copy(DT_FIXED_DATE, 9);
  copy = t;
  EXPECT_EQ(copy.GetDynamicTime(), 0x103);
  EXPECT_EQ(copy.GetDynamicMonthOffset(), -2);
  EXPECT_EQ(copy.GetHour(), -77);
  EXPECT_EQ(copy.GetDynamicDayOffset(), 0);
  EXPECT_EQ(DynamicTime(DT_RELATIVE_WEEK_DAY, -4).GetDynamicDayOffset(), -4);
}

TEST(DynamicTimeMoves, UnitsMonthsYearsAndNothing) {
  auto moved = [](DateTime d, int n, int g) {
    DynamicTime::MoveNthTimePointBefore(d, n, static_cast<TIME_GRANULARITY>(g));
    return Show(d);
  };
  DateTime const d(2024, 3, 31, 10, 0, 0, 0);
  EXPECT_EQ(moved(d, 1, TG_MONTH), "2024-02-29 10:00:00.000");
  EXPECT_EQ(moved(d, 13, TG_MONTH), "2023-02-28 10:00:00.000");
  EXPECT_EQ(moved(DateTime(2024, 1, 31), -1, TG_MONTH), "2024-02-29 00:00:00.000");
  EXPECT_EQ(moved(DateTime(2024, 3, 15), -11, TG_MONTH), "2025-02-15 00:00:00.000");
  // The year moves first: 29 February passes 2023-02-28 on its way to January.
  EXPECT_EQ(moved(DateTime(2024, 2, 29), 13, TG_MONTH), "2023-01-28 00:00:00.000");
  EXPECT_EQ(moved(DateTime(2024, 2, 29), 1, TG_YEAR), "2023-02-28 00:00:00.000");
  EXPECT_EQ(moved(DateTime(5, 6, 1), 6, TG_YEAR), "0005-06-01 00:00:00.000");  // year -1: unchanged
  EXPECT_EQ(moved(DateTime(2024, 6, 15, 23, 0, 0), -2, TG_HOUR), "2024-06-16 01:00:00.000");
  EXPECT_EQ(moved(d, 90, TG_SECOND), "2024-03-31 09:58:30.000");
  EXPECT_EQ(moved(d, -61, TG_MINUTE), "2024-03-31 11:01:00.000");
  EXPECT_EQ(moved(d, 31, TG_DAY), "2024-02-29 10:00:00.000");
  EXPECT_EQ(moved(d, -2, TG_WEEK), "2024-04-14 10:00:00.000");
  EXPECT_EQ(moved(d, 3, 0), Show(d));
  EXPECT_EQ(moved(d, 3, 8), Show(d));
  // Counts of any size: the moves clamp or wrap, never overflow.
  for (int n : {INT_MIN, INT_MIN + 1, -1000000000, 1000000000, INT_MAX}) {
    for (int g = TG_SECOND; g <= TG_WEEK; ++g) {
      DateTime e = d;
      DynamicTime::MoveNthTimePointBefore(e, n, static_cast<TIME_GRANULARITY>(g));
      EXPECT_TRUE(e.GetMonth() >= 1 && e.GetMonth() <= 12 && e.GetDay() >= 1 && e.GetDay() <= e.GetDaysInMonth());
    }
  }
  DateTime far = d;
  DynamicTime::MoveNthTimePointBefore(far, INT_MIN, TG_DAY);
  EXPECT_EQ(Show(far).substr(0, 11), "65535-12-30");  // clamped (the time of day keeps ~20 ms there)
}

TEST(DynamicTimeMoves, BusinessDaysFromEveryWeekday) {
  DynamicTime const t;
  auto moved = [&t](int day, int n, bool towardMonday) {
    DateTime d(2024, 6, day, 10, 30, 0, 0);  // 2024-06-16 is a Sunday
    t.MoveNthTimePointBefore_BusinessDay(d, n, towardMonday);
    return Show(d).substr(0, 10);
  };
  EXPECT_EQ(moved(17, 1, true), "2024-06-14");   // Monday - 1
  EXPECT_EQ(moved(21, 5, true), "2024-06-14");   // Friday - 5
  EXPECT_EQ(moved(18, 2, true), "2024-06-14");   // Tuesday - 2
  EXPECT_EQ(moved(14, -1, true), "2024-06-17");  // Friday + 1
  EXPECT_EQ(moved(15, -1, true), "2024-06-18");  // Saturday + 1: counts from Monday
  EXPECT_EQ(moved(16, -5, true), "2024-06-24");  // Sunday + 5
  EXPECT_EQ(moved(15, 0, true), "2024-06-17");
  EXPECT_EQ(moved(15, 0, false), "2024-06-14");
  EXPECT_EQ(moved(16, 0, true), "2024-06-17");
  EXPECT_EQ(moved(16, 0, false), "2024-06-14");
  EXPECT_EQ(moved(12, 0, false), "2024-06-12");
  // Back from a weekend: the weekend counts as the following Monday.
  EXPECT_EQ(moved(15, 1, true), "2024-06-14");
  EXPECT_EQ(moved(16, 1, false), "2024-06-14");
  EXPECT_EQ(moved(15, 5, true), "2024-06-10");
  EXPECT_EQ(moved(16, 6, true), "2024-06-07");
  for (int n : {INT_MIN, INT_MAX}) {
    for (int day = 10; day <= 16; ++day) {
      DateTime d(2024, 6, day);
      t.MoveNthTimePointBefore_BusinessDay(d, n, true);
      EXPECT_EQ(d.GetYear(), n < 0 ? 65535 : 1);
    }
  }
}

class DynamicTimeUTC : public ::testing::Test {
 protected:
  ScopedTZ tz_{"UTC"};

  static std::string Resolve(DynamicTime const& t, DateTime reference) {
    int const rc = t.ToDateTime(reference);
    return rc == 0 ? Show(reference) : "failed";
  }
};

TEST_F(DynamicTimeUTC, DocumentedExamples) {
  DateTime const saturday(2024, 6, 15, 14, 20, 5, 123);
  EXPECT_EQ(Resolve(Describe(DT_RELATIVE_DAY, 0, 0, 0, 0, -1, 8, 30, 0, 0, -1), saturday), "2024-06-14 08:30:00.000");
  EXPECT_EQ(Resolve(Describe(DT_RELATIVE_DATE_TIME, 0, 0, 0, 0, -3, 0, 0, 0, 0, -1), saturday),
            "2024-06-12 14:20:05.000");
  EXPECT_EQ(Resolve(Describe(DT_RELATIVE_MONTH_DAY | DT_FLAG_BUSINESS_DAYS, 0, 0, 0, 1, 1, 9, 0, 0, 0, -1),
                    DateTime(2024, 8, 10)),
            "2024-09-02 09:00:00.000");
  DateTime const wednesday(2024, 6, 12, 10, 0, 0, 0);
  EXPECT_EQ(Resolve(Describe(DT_THIS_WEEK_FRIDAY, 0, 0, 0, 0, 0, 17, 0, 0, 0, -1), wednesday),
            "2024-06-14 17:00:00.000");
  EXPECT_EQ(Resolve(Describe(DT_THIS_WEEK_FRIDAY | DT_FLAG_RELATIVE_HOUR, 0, 0, 0, 0, 0, 0, 0, 0, 0, -1), wednesday),
            "2024-06-14 10:00:00.000");
  EXPECT_EQ(Resolve(Describe(DT_RELATIVE_QUARTER_DAY, 0, 0, 0, 0, -1, 0, 0, 0, 0, -1), DateTime(2024, 5, 20)),
            "2024-06-30 00:00:00.000");
  EXPECT_EQ(Resolve(Describe(DT_RELATIVE_QUARTER_DAY, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1), DateTime(2024, 5, 20)),
            "2024-04-01 00:00:00.000");
  DYNAMIC_TIME const fixed = DT_FIXED_DATE | DT_FLAG_ABSOLUTE_DATE;
  EXPECT_EQ(Resolve(Describe(fixed, 0, 0, 2024, 2, 0, 0, 0, 0, 5, 1), saturday), "2024-02-26 00:00:00.000");
  EXPECT_EQ(Resolve(Describe(fixed, 0, 0, 2024, 2, 0, 0, 0, 0, 5, 4), saturday), "2024-02-29 00:00:00.000");
  // One of each other kind, worked out by hand from the header's steps.
  DateTime const wed(2024, 6, 12, 10, 0, 0, 0);
  EXPECT_EQ(Resolve(Describe(DT_RELATIVE_WEEK_DAY, 0, 0, 0, 0, 0, 9, 0, 0, 1, 1), wed), "2024-06-17 09:00:00.000");
  EXPECT_EQ(Resolve(Describe(DT_RELATIVE_YEAR_DATE, 0, 0, 1, 3, 0, 9, 0, 0, 2, 0), wed), "2025-03-09 09:00:00.000");
  EXPECT_EQ(Resolve(Describe(DT_THIS_WEEK_MONDAY, 0, 0, 0, 0, 0, 9, 0, 0, -1, -1), wed), "2024-06-03 09:00:00.000");
  EXPECT_EQ(Resolve(Describe(DT_RELATIVE_QUARTER_DAY, 0, 0, 0, 2, 0, 0, 0, 0, 1, 1), wed), "2024-05-06 00:00:00.000");
  EXPECT_EQ(Resolve(Describe(DT_RELATIVE_DATE_TIME, 0, 0, 1, -2, 2, 3, -30, 15, 1, -1), wed),
            "2025-04-21 12:30:15.000");
  EXPECT_EQ(Resolve(Describe(DT_RELATIVE_DAY, 3, 1, 0, 0, 0, 9, 0, 0, 0, -1), DateTime(2024, 1, 31, 10)),
            "2024-03-03 09:00:00.000");  // the offsets first: +1 month (clamped to 02-29), +3 days
  // The typical request: first day of next month at 08:00.
  EXPECT_EQ(Resolve(Describe(DT_RELATIVE_MONTH_DAY, 0, 0, 0, 1, 1, 8, 0, 0, 0, -1), DateTime(2024, 1, 31, 23, 59)),
            "2024-02-01 08:00:00.000");
}

TEST_F(DynamicTimeUTC, TimeOfDayAndWeekendRule) {
  DateTime const ref(2024, 6, 12, 1, 15, 0, 0);  // a Wednesday
  // An hour out of range keeps the reference's hour; a relative one may cross midnight.
  EXPECT_EQ(Resolve(Describe(DT_RELATIVE_DAY, 0, 0, 0, 0, 0, 25, 5, 6, 0, -1), ref), "2024-06-12 01:05:06.000");
  EXPECT_EQ(Resolve(Describe(DT_RELATIVE_DAY | DT_FLAG_RELATIVE_HOUR, 0, 0, 0, 0, 0, -3, 0, 0, 0, -1), ref),
            "2024-06-11 22:00:00.000");
  EXPECT_EQ(Resolve(Describe(DT_RELATIVE_DAY | DT_FLAG_RELATIVE_MINUTE_SECOND, 0, 0, 0, 0, 0, 4, -90, 30, 0, -1),
                    ref),
            "2024-06-12 02:45:30.000");
  // The weekend rule reads the day-of-week field, not the date's weekday.
  DYNAMIC_TIME const base = DT_RELATIVE_DAY | DT_FLAG_BUSINESS_DAYS;
  struct {
    DYNAMIC_TIME value;
    int h, n, wd;
    char const* want;
  } const cases[] = {
      {base | DT_FLAG_RELATIVE_HOUR, 1, 0, 6, "2024-06-14 02:00:00.000"},     // forward from Saturday: +2
      {base | DT_FLAG_RELATIVE_HOUR, 1, 0, 0, "2024-06-13 02:00:00.000"},     // forward from Sunday: +1
      {base | DT_FLAG_RELATIVE_HOUR, -1, 0, 6, "2024-06-11 00:00:00.000"},    // back from Saturday: -1
      {base | DT_FLAG_RELATIVE_HOUR, 0, 0, 0, "2024-06-10 01:00:00.000"},     // H 0 without minutes flag: back -2
      {base | DT_FLAG_RELATIVE_HOUR | DT_FLAG_RELATIVE_MINUTE_SECOND, 0, 0, 0, "2024-06-13 01:15:00.000"},
      {base | DT_FLAG_RELATIVE_HOUR | DT_FLAG_RELATIVE_MINUTE_SECOND, 0, -1, 6, "2024-06-11 01:14:00.000"},
      {base | DT_FLAG_RELATIVE_MINUTE_SECOND, 5, 0, 6, "2024-06-11 05:15:00.000"},  // no hour flag: back
      {base | DT_FLAG_RELATIVE_HOUR, 1, 0, 3, "2024-06-12 02:00:00.000"},     // not a weekend day
      {DT_RELATIVE_DAY | DT_FLAG_RELATIVE_HOUR, 1, 0, 6, "2024-06-12 02:00:00.000"},  // no business flag
  };
  for (auto const& c : cases) {
    EXPECT_EQ(Resolve(Describe(c.value, 0, 0, 0, 0, 0, c.h, c.n, 0, 0, c.wd), ref), c.want) << c.value << " " << c.wd;
  }
}

TEST_F(DynamicTimeUTC, MonthDayInBusinessDaysTakesItsDirectionFromTheDay) {
  DYNAMIC_TIME const kind = DT_RELATIVE_MONTH_DAY | DT_FLAG_BUSINESS_DAYS;
  // August 2024 ends on a Saturday, June 2024 begins on one.
  EXPECT_EQ(Resolve(Describe(kind, 0, 0, 0, 0, -1, 0, 0, 0, 0, -1), DateTime(2024, 8, 10)), "2024-08-30 00:00:00.000");
  EXPECT_EQ(Resolve(Describe(kind, 0, 0, 0, -2, -1, 0, 0, 0, 0, -1), DateTime(2024, 10, 10)),
            "2024-08-30 00:00:00.000");
  EXPECT_EQ(Resolve(Describe(kind, 0, 0, 0, -1, 1, 0, 0, 0, 0, -1), DateTime(2024, 7, 10)), "2024-06-03 00:00:00.000");
  EXPECT_EQ(Resolve(Describe(kind, 0, 0, 0, 0, 2, 0, 0, 0, 0, -1), DateTime(2024, 6, 20)), "2024-06-04 00:00:00.000");
  EXPECT_EQ(Resolve(Describe(kind, 0, 0, 0, 0, -2, 0, 0, 0, 0, -1), DateTime(2024, 8, 1)), "2024-08-30 00:00:00.000");
  EXPECT_EQ(Resolve(Describe(kind, 0, 0, 0, 0, -3, 0, 0, 0, 0, -1), DateTime(2024, 8, 1)), "2024-08-29 00:00:00.000");
}

TEST_F(DynamicTimeUTC, FailuresLeaveTheReference) {
  DateTime const ref(2024, 6, 12, 10, 0, 0, 0);
  for (int value : {0, 1, 1 | 0x20, 15, 0x7FFFFFFF, int{DT_NONE}, -1, INT_MIN}) {
    DateTime d = ref;
    EXPECT_EQ(Describe(value, 0, 0, 2024, 1, 1, 0, 0, 0, 0, -1).ToDateTime(d), -1) << value;
    EXPECT_EQ(Show(d), Show(ref));
  }
  // An n-th weekday whose fallback runs out: no weekday 7, and K = 0 with
  // Wd >= 0 does nothing (the day stays).
  DateTime d = ref;
  EXPECT_EQ(Describe(DT_RELATIVE_MONTH_DAY, 0, 0, 0, 0, 0, 0, 0, 0, 1, 7).ToDateTime(d), -1);
  EXPECT_EQ(Describe(DT_RELATIVE_QUARTER_DAY, 0, 0, 0, 2, 0, 0, 0, 0, INT_MIN, 7).ToDateTime(d), -1);
  EXPECT_EQ(Show(d), Show(ref));
  EXPECT_EQ(Resolve(Describe(DT_RELATIVE_MONTH_DAY, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3), ref), "2024-06-12 00:00:00.000");
  EXPECT_EQ(Resolve(Describe(DT_RELATIVE_MONTH_DAY, 0, 0, 0, 0, 0, 0, 0, 0, INT_MAX, 3), ref),
            "2024-06-26 00:00:00.000");
}

TEST_F(DynamicTimeUTC, DefaultReferenceIsNow) {
  // Kind 2 with no offsets is the current moment truncated to the second.
  DynamicTime const t(DT_RELATIVE_DATE_TIME, 0);
  DateTime const before = DateTime::NowUTC();
  DateTime d;
  ASSERT_EQ(t.ToDateTime(d), 0);
  DateTime const after = DateTime::NowUTC();
  DateTime b = before, a = after;
  b.PutMillisecond(0);
  a.PutMillisecond(0);
  EXPECT_TRUE(d == b || d == a) << Show(d);
}

TEST_F(DynamicTimeUTC, ExtremeFieldsResolveOrFailQuickly) {
  int const extremes[] = {INT_MIN, -1000000, -13, -1, 0, 1, 7, 13, 1000000, INT_MAX};
  DateTime const refs[] = {DateTime(2024, 2, 29, 12), DateTime(0, 1, 1), DateTime(65535, 12, 31, 23, 59, 59, 999)};
  int resolved = 0;
  for (int kind = 0; kind <= 14; ++kind)
    for (int flags = 0; flags < 16; ++flags)
      for (int x : extremes) {
        DynamicTime t = Describe(kind | flags << 5, x, static_cast<short>(x), x, x, x, x, x, x, x, x);
        for (DateTime const& ref : refs) {
          DateTime d = ref;
          if (t.ToDateTime(d) == 0) {
            ++resolved;
            ASSERT_TRUE(d.GetMonth() >= 1 && d.GetMonth() <= 12 && d.GetDay() >= 1 &&
                        d.GetDay() <= d.GetDaysInMonth() && d.GetHour() <= 23 && d.GetMinute() <= 59 &&
                        d.GetSecond() <= 59 && d.GetMillisecond() == 0);
          }
        }
      }
  EXPECT_GT(resolved, 1000);
}

}  // namespace
}  // namespace QDataType
