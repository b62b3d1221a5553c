// DynamicTime: moves of a date and resolution of every kind. Month and
// business-day moves, n-th weekdays and zone answers come from Python
// (dynamic_vectors.txt, written by tests/data/gen_dynamic_vectors.py); the
// resolutions below are worked out by hand from the header, with the
// failures and the limits.
#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "DataType/Calendar/TimeZone.h"
#include "DataType/DynamicTime/DynamicTime.h"
#include "support/Fields.h"
#include "support/ScopedTZ.h"
#include "support/ZoneVectors.h"

namespace QDataType {
namespace {

using testing_fields::Fields;
using testing_fields::FieldsOf;
using testing_zone::ScopedTZ;

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
  std::map<char, int> counts;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream s(line);
    char kind;
    std::string zone = "UTC";
    s >> kind;
    if (kind == 'R') s >> zone;
    std::vector<int> v;
    for (int x; s >> x;) v.push_back(x);
    size_t const need = kind == 'M' ? 7 : kind == 'B' ? 8 : kind == 'W' ? 5 : kind != 'R' ? 0 : v.size() == 19 ? 19 : 25;
    ASSERT_EQ(v.size(), need) << line;
    ScopedTZ tz(zone.c_str());
    DateTime d = kind == 'R' ? DateTime(v[11], v[12], v[13], v[14], v[15], v[16], v[17])
                             : DateTime(v[0], v[1], kind == 'W' ? 15 : v[2], 10, 20, 30, 400);
    Fields want = FieldsOf(d);
    int rc = 0, wantRc = 0;
    if (kind == 'M') {
      DynamicTime::MoveNthTimePointBefore(d, v[3], TG_MONTH);
      want = {v[4], v[5], v[6], 10, 20, 30, 400};
    } else if (kind == 'B') {
      DynamicTime().MoveNthTimePointBefore_BusinessDay(d, v[3], v[4] != 0);
      want = {v[5], v[6], v[7], 10, 20, 30, 400};
    } else if (kind == 'W') {  // the n-th weekday selection, through kind 5 with day 0
      rc = Describe(DT_RELATIVE_MONTH_DAY, 0, 0, 0, 0, 0, 9, 0, 0, v[2], v[3]).ToDateTime(d);
      if (v[4] == 0) wantRc = -1; else want = {v[0], v[1], v[4], 9, 0, 0, 0};
    } else {
      rc = Describe(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10]).ToDateTime(d);
      if (v.size() == 19) wantRc = -1; else want = {v[18], v[19], v[20], v[21], v[22], v[23], v[24]};
    }
    EXPECT_EQ(rc, wantRc) << line;
    EXPECT_EQ(FieldsOf(d), want) << line << "\n got " << Show(d);
    counts[kind]++;
  }
  EXPECT_TRUE(counts['M'] >= 1000 && counts['B'] >= 1000 && counts['W'] >= 2000 && counts['R'] >= 8);
}

TEST(DynamicTimeMoves, UnitsAndCountsOfAnySize) {
  DateTime const d(2024, 3, 31, 10, 0, 0, 0);
  struct {
    DateTime from;
    int n, unit;
    char const* want;
  } const cases[] = {
      {DateTime(2024, 2, 29), 1, TG_YEAR, "2023-02-28 00:00:00.000"},
      {DateTime(5, 6, 1), 6, TG_YEAR, "0005-06-01 00:00:00.000"},  // year -1: unchanged
      {DateTime(2024, 6, 15, 23, 0, 0), -2, TG_HOUR, "2024-06-16 01:00:00.000"},
      {d, 90, TG_SECOND, "2024-03-31 09:58:30.000"},
      {d, -61, TG_MINUTE, "2024-03-31 11:01:00.000"},
      {d, 31, TG_DAY, "2024-02-29 10:00:00.000"},
      {d, -2, TG_WEEK, "2024-04-14 10:00:00.000"},
      {d, 3, 0, "2024-03-31 10:00:00.000"},
      {d, 3, 8, "2024-03-31 10:00:00.000"},
  };
  for (auto const& c : cases) {
    DateTime e = c.from;
    DynamicTime::MoveNthTimePointBefore(e, c.n, static_cast<TIME_GRANULARITY>(c.unit));
    EXPECT_EQ(Show(e), c.want);
  }
  // Counts of any size clamp at the calendar's ends.
  for (int n : {INT_MIN, INT_MAX}) {
    for (int day = 10; day <= 16; ++day) {
      DateTime e(2024, 6, day);
      DynamicTime().MoveNthTimePointBefore_BusinessDay(e, n, true);
      EXPECT_EQ(e.GetYear(), n < 0 ? 65535 : 1);
    }
  }
  DateTime far = d;
  DynamicTime::MoveNthTimePointBefore(far, INT_MIN, TG_DAY);
  EXPECT_EQ(Show(far).substr(0, 11), "65535-12-30");  // clamped (the time of day keeps ~20 ms there)
}

TEST(DynamicTimeUTC, ResolutionsWorkedOutByHand) {
  ScopedTZ tz("UTC");
  DateTime const sat(2024, 6, 15, 14, 20, 5, 123), wed(2024, 6, 12, 10, 0, 0, 0), early(2024, 6, 12, 1, 15);
  int const bd = DT_FLAG_BUSINESS_DAYS, rh = DT_FLAG_RELATIVE_HOUR, rm = DT_FLAG_RELATIVE_MINUTE_SECOND;
  int const fixed = DT_FIXED_DATE | DT_FLAG_ABSOLUTE_DATE, month = DT_RELATIVE_MONTH_DAY, day = DT_RELATIVE_DAY;
  struct {
    DynamicTime t;
    DateTime reference;
    char const* want;
  } const cases[] = {
      {Describe(day, 0, 0, 0, 0, -1, 8, 30, 0, 0, -1), sat, "2024-06-14 08:30:00.000"},
      {Describe(DT_RELATIVE_DATE_TIME, 0, 0, 0, 0, -3, 0, 0, 0, 0, -1), sat, "2024-06-12 14:20:05.000"},
      {Describe(DT_RELATIVE_DATE_TIME, 0, 0, 1, -2, 2, 3, -30, 15, 1, -1), wed, "2025-04-21 12:30:15.000"},
      {Describe(month | bd, 0, 0, 0, 1, 1, 9, 0, 0, 0, -1), DateTime(2024, 8, 10), "2024-09-02 09:00:00.000"},
      {Describe(DT_THIS_WEEK_FRIDAY | rh, 0, 0, 0, 0, 0, 0, 0, 0, 0, -1), wed, "2024-06-14 10:00:00.000"},
      {Describe(DT_THIS_WEEK_MONDAY, 0, 0, 0, 0, 0, 9, 0, 0, -1, -1), wed, "2024-06-03 09:00:00.000"},
      {Describe(DT_RELATIVE_QUARTER_DAY, 0, 0, 0, 0, -1, 0, 0, 0, 0, -1), DateTime(2024, 5, 20), "2024-06-30 00:00:00.000"},
      {Describe(DT_RELATIVE_QUARTER_DAY, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1), DateTime(2024, 5, 20), "2024-04-01 00:00:00.000"},
      {Describe(DT_RELATIVE_QUARTER_DAY, 0, 0, 0, 2, 0, 0, 0, 0, 1, 1), wed, "2024-05-06 00:00:00.000"},
      {Describe(fixed, 0, 0, 2024, 2, 0, 0, 0, 0, 5, 1), sat, "2024-02-26 00:00:00.000"},
      {Describe(fixed, 0, 0, 2024, 2, 0, 0, 0, 0, 5, 4), sat, "2024-02-29 00:00:00.000"},
      {Describe(DT_RELATIVE_WEEK_DAY, 0, 0, 0, 0, 0, 9, 0, 0, 1, 1), wed, "2024-06-17 09:00:00.000"},
      {Describe(DT_RELATIVE_YEAR_DATE, 0, 0, 1, 3, 0, 9, 0, 0, 2, 0), wed, "2025-03-09 09:00:00.000"},
      // The offsets first: +1 month (clamped to 02-29), +3 days.
      {Describe(day, 3, 1, 0, 0, 0, 9, 0, 0, 0, -1), DateTime(2024, 1, 31, 10), "2024-03-03 09:00:00.000"},
      {Describe(month, 0, 0, 0, 1, 1, 8, 0, 0, 0, -1), DateTime(2024, 1, 31, 23, 59), "2024-02-01 08:00:00.000"},
      // Business month days take their direction from the day: August 2024
      // ends on a Saturday, June 2024 begins on one.
      {Describe(month | bd, 0, 0, 0, -2, -1, 0, 0, 0, 0, -1), DateTime(2024, 10, 10), "2024-08-30 00:00:00.000"},
      {Describe(month | bd, 0, 0, 0, -1, 1, 0, 0, 0, 0, -1), DateTime(2024, 7, 10), "2024-06-03 00:00:00.000"},
      {Describe(month | bd, 0, 0, 0, 0, 2, 0, 0, 0, 0, -1), DateTime(2024, 6, 20), "2024-06-04 00:00:00.000"},
      {Describe(month | bd, 0, 0, 0, 0, -3, 0, 0, 0, 0, -1), DateTime(2024, 8, 1), "2024-08-29 00:00:00.000"},
      // An hour out of range keeps the reference's; a relative one may cross midnight.
      {Describe(day, 0, 0, 0, 0, 0, 25, 5, 6, 0, -1), early, "2024-06-12 01:05:06.000"},
      {Describe(day | rh, 0, 0, 0, 0, 0, -3, 0, 0, 0, -1), early, "2024-06-11 22:00:00.000"},
      {Describe(day | rm, 0, 0, 0, 0, 0, 4, -90, 30, 0, -1), early, "2024-06-12 02:45:30.000"},
      // The weekend rule reads the day-of-week field, not the date's weekday.
      {Describe(day | bd | rh, 0, 0, 0, 0, 0, 1, 0, 0, 0, 6), early, "2024-06-14 02:00:00.000"},  // Saturday: +2
      {Describe(day | bd | rh, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0), early, "2024-06-13 02:00:00.000"},  // Sunday: +1
      {Describe(day | bd | rh, 0, 0, 0, 0, 0, -1, 0, 0, 0, 6), early, "2024-06-11 00:00:00.000"},  // back: -1
      {Describe(day | bd | rh, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0), early, "2024-06-10 01:00:00.000"},  // H 0: back -2
      {Describe(day | bd | rh | rm, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0), early, "2024-06-13 01:15:00.000"},
      {Describe(day | bd | rh | rm, 0, 0, 0, 0, 0, 0, -1, 0, 0, 6), early, "2024-06-11 01:14:00.000"},
      {Describe(day | bd | rm, 0, 0, 0, 0, 0, 5, 0, 0, 0, 6), early, "2024-06-11 05:15:00.000"},  // no hour flag
      {Describe(day | bd | rh, 0, 0, 0, 0, 0, 1, 0, 0, 0, 3), early, "2024-06-12 02:00:00.000"},  // a weekday
      {Describe(day | rh, 0, 0, 0, 0, 0, 1, 0, 0, 0, 6), early, "2024-06-12 02:00:00.000"},  // no business flag
      // A K past the end steps back to the last.
      {Describe(month, 0, 0, 0, 0, 0, 0, 0, 0, INT_MAX, 3), wed, "2024-06-26 00:00:00.000"},
      // Failures leave the reference: kinds 0, 1 and beyond 14, no weekday 7.
      {Describe(0, 0, 0, 2024, 1, 1, 0, 0, 0, 0, -1), wed, "failed"},
      {Describe(1 | 0x20, 0, 0, 2024, 1, 1, 0, 0, 0, 0, -1), wed, "failed"},
      {Describe(15, 0, 0, 2024, 1, 1, 0, 0, 0, 0, -1), wed, "failed"},
      {Describe(DT_NONE, 0, 0, 2024, 1, 1, 0, 0, 0, 0, -1), wed, "failed"},
      {Describe(DT_RELATIVE_QUARTER_DAY, 0, 0, 0, 2, 0, 0, 0, 0, INT_MIN, 7), wed, "failed"},
  };
  for (auto const& c : cases) {
    DateTime d = c.reference;
    bool const ok = c.t.ToDateTime(d) == 0;
    EXPECT_EQ(ok ? Show(d) : Show(d) == Show(c.reference) ? "failed" : "failed, moved", c.want) << c.t.GetDynamicTime();
  }
}

TEST(DynamicTimeUTC, ExtremeFieldsResolveOrFailQuickly) {
  ScopedTZ tz("UTC");
  int const extremes[] = {INT_MIN, -1000000, -13, -1, 0, 1, 7, 13, 1000000, INT_MAX};
  DateTime const refs[] = {DateTime(2024, 2, 29, 12), DateTime(0, 1, 1), DateTime(65535, 12, 31, 23, 59, 59, 999)};
  int resolved = 0;
  for (int kind = 0; kind <= 14; ++kind)
    for (int flags = 0; flags < 16; ++flags)
      for (int x : extremes)
        for (DateTime const& ref : refs) {
          DateTime d = ref;
          if (Describe(kind | flags << 5, x, static_cast<short>(x), x, x, x, x, x, x, x, x).ToDateTime(d) != 0) continue;
          ++resolved;
          ASSERT_TRUE(d.GetMonth() >= 1 && d.GetMonth() <= 12 && d.GetDay() >= 1 && d.GetDay() <= d.GetDaysInMonth() &&
                      d.GetHour() <= 23 && d.GetMinute() <= 59 && d.GetSecond() <= 59 && d.GetMillisecond() == 0);
        }
  EXPECT_GT(resolved, 1000);
}

// "The first day of next month at 08:00" in a zone named per call; the
// default reference is now in that zone.
TEST(DynamicTimeZones, FirstOfNextMonthAtEightInThreeZones) {
  DynamicTime const first = Describe(DT_RELATIVE_MONTH_DAY, 0, 0, 0, 1, 1, 8, 0, 0, 0, -1);
  struct {
    char const* zone;
    DateTime utc;  // 2026-04-01 08:00 there
  } const cases[] = {
      {testing_zone::kJapan, DateTime(2026, 3, 31, 23, 0)},
      {testing_zone::kCentralEurope, DateTime(2026, 4, 1, 6, 0)},  // summer time since March 29
      {testing_zone::kUSEastern, DateTime(2026, 4, 1, 12, 0)},
  };
  for (auto const& c : cases) {
    TimeZone const* const zone = TimeZone::Find(c.zone);
    ASSERT_NE(zone, nullptr);
    DateTime d(2026, 3, 15, 12, 0);  // the reference, in that zone's wall time
    ASSERT_EQ(first.ToDateTime(d, *zone), 0);
    EXPECT_EQ(d, c.utc) << c.zone;
  }
  DateTime d;  // today at 00:00 in Tokyo: 15:00 UTC, within a day before now
  ASSERT_EQ(Describe(DT_RELATIVE_DAY, 0, 0, 0, 0, 0, 0, 0, 0, 0, -1).ToDateTime(d, *TimeZone::Find(testing_zone::kJapan)), 0);
  long long const now = DateTime::NowUTC().Totime_t();
  EXPECT_TRUE(d.Totime_t() <= now && d.Totime_t() > now - 86400 && Show(d).substr(11) == "15:00:00.000") << Show(d);
}

}  // namespace
}  // namespace QDataType
