// DateTime and TimeSpan against std::chrono: instants checked against the
// C++20 calendar (sys_days of a year_month_day) and the C library's timegm,
// durations against std::chrono's own conversions.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <ctime>
#include <limits>

#include "DataType/Calendar/Chrono.h"

using namespace QDataType;
using namespace std::chrono;

namespace {

long long TimegmMs(int y, int mo, int d, int h, int mi, int s, int ms) {
  std::tm t{};
  t.tm_year = y - 1900;
  t.tm_mon = mo - 1;
  t.tm_mday = d;
  t.tm_hour = h;
  t.tm_min = mi;
  t.tm_sec = s;
  return static_cast<long long>(timegm(&t)) * 1000 + ms;
}

}  // namespace

TEST(Chrono, InstantsAgreeWithTheCLibraryCalendar) {
  struct Case {
    int y, mo, d, h, mi, s, ms;
  } const cases[] = {{1970, 1, 1, 0, 0, 0, 0},       {1969, 12, 31, 23, 59, 59, 999}, {1899, 12, 30, 0, 0, 0, 0},
                     {1, 1, 1, 0, 0, 0, 0},          {1600, 2, 29, 12, 0, 0, 1},      {2000, 2, 29, 23, 59, 59, 999},
                     {2024, 6, 5, 7, 8, 9, 45},      {2038, 1, 19, 3, 14, 8, 0},      {9999, 12, 31, 23, 59, 59, 999},
                     {65535, 12, 31, 23, 59, 59, 999}, {1582, 10, 10, 1, 2, 3, 4},    {2100, 3, 1, 0, 0, 0, 0}};
  for (Case const& c : cases) {
    DateTime const d(c.y, c.mo, c.d, c.h, c.mi, c.s, c.ms);
    long long const expected = TimegmMs(c.y, c.mo, c.d, c.h, c.mi, c.s, c.ms);
    EXPECT_EQ(ToSysTime(d).time_since_epoch().count(), expected) << d.ToString().GetString();
    DateTime const back = FromSysTime(SysMilliseconds(milliseconds(expected)));
    EXPECT_EQ(back, d) << d.ToString().GetString();
    EXPECT_EQ(back.GetBias(), 0);
  }
}

TEST(Chrono, EveryDayOfFourHundredYearsRoundTrips) {
  // One 400-year cycle day by day at a varying time of day: timegm agrees
  // and the conversion back gives the same fields.
  for (long long day = 0; day < 146097; ++day) {
    long long const ms = (day - 20000) * 86400000LL + (day * 7919) % 86400000LL;
    SysMilliseconds const t{milliseconds(ms)};
    DateTime const d = FromSysTime(t);
    ASSERT_EQ(TimegmMs(d.GetYear(), d.GetMonth(), d.GetDay(), d.GetHour(), d.GetMinute(), d.GetSecond(),
                       d.GetMillisecond()),
              ms);
    ASSERT_EQ(ToSysTime(d), t);
  }
}

TEST(Chrono, InstantsAgreeWithTheStandardCalendar) {
  // Every 37th day from 0001-01-01 to 65535-12-31 at a varying time of day.
  sys_days const first = sys_days{year{1} / January / 1}, last = sys_days{year{65535} / December / 31};
  for (sys_days day = first; day <= last; day += days{37}) {
    year_month_day const ymd{day};
    long long const tod = (day.time_since_epoch().count() * 7919LL) % 86400000LL;
    long long const ms = duration_cast<milliseconds>(day.time_since_epoch()).count() + (tod < 0 ? -tod : tod);
    DateTime const d = FromSysTime(SysMilliseconds(milliseconds(ms)));
    ASSERT_EQ(d.GetYear(), static_cast<int>(ymd.year()));
    ASSERT_EQ(d.GetMonth(), static_cast<int>(static_cast<unsigned>(ymd.month())));
    ASSERT_EQ(d.GetDay(), static_cast<int>(static_cast<unsigned>(ymd.day())));
    ASSERT_EQ(ToSysTime(d).time_since_epoch().count(), ms);
    ASSERT_EQ(d.GetDayOfWeek(), static_cast<int>(weekday{day}.c_encoding()));
  }
}

TEST(Chrono, FromSysTimeSaturatesAtTheCalendarsEnds) {
  DateTime const late = FromSysTime(SysMilliseconds(milliseconds(LLONG_MAX)));
  EXPECT_EQ(late.GetYear(), 65535);
  EXPECT_EQ(late.GetMonth(), 12);
  EXPECT_EQ(late.GetDay(), 31);
  EXPECT_EQ(late.GetHour(), 23);
  DateTime const early = FromSysTime(SysMilliseconds(milliseconds(LLONG_MIN)));
  EXPECT_EQ(early.GetYear(), 1);
  EXPECT_EQ(early.GetMonth(), 1);
  EXPECT_EQ(early.GetDay(), 1);
  // Just before the epoch: the floor of the seconds.
  EXPECT_EQ(FromSysTime(SysMilliseconds(milliseconds(-1))), DateTime(1969, 12, 31, 23, 59, 59, 999));
}

TEST(Chrono, DurationsBecomeMillisecondsTruncatedTowardZero) {
  EXPECT_EQ(TimeSpan(hours(2)).GetTotalMilliseconds(), duration_cast<milliseconds>(hours(2)).count());
  EXPECT_EQ(TimeSpan(minutes(-90)).GetTotalMilliseconds(), -5400000);
  EXPECT_EQ(TimeSpan(microseconds(1999)).GetTotalMilliseconds(), 1);
  EXPECT_EQ(TimeSpan(microseconds(-1999)).GetTotalMilliseconds(), -1);
  EXPECT_EQ(TimeSpan(nanoseconds(LLONG_MIN)).GetTotalMilliseconds(),
            duration_cast<milliseconds>(nanoseconds(LLONG_MIN)).count());
  EXPECT_EQ(TimeSpan(duration<double>(1.9999)).GetTotalMilliseconds(), 1999);
  EXPECT_EQ(TimeSpan(duration<double>(-0.0015)).GetTotalMilliseconds(), -1);
  EXPECT_EQ(TimeSpan(duration<int, std::ratio<1, 3>>(10)).GetTotalMilliseconds(), 3333);
  // Saturation and NaN.
  EXPECT_EQ(TimeSpan(seconds(LLONG_MAX)).GetTotalMilliseconds(), LLONG_MAX);
  EXPECT_EQ(TimeSpan(hours(LLONG_MIN / 2)).GetTotalMilliseconds(), LLONG_MIN);
  EXPECT_EQ(TimeSpan(duration<double>(1e300)).GetTotalMilliseconds(), LLONG_MAX);
  EXPECT_EQ(TimeSpan(duration<double>(-std::numeric_limits<double>::infinity())).GetTotalMilliseconds(), LLONG_MIN);
  EXPECT_EQ(TimeSpan(duration<double>(std::numeric_limits<double>::quiet_NaN())).GetTotalMilliseconds(), 0);
  EXPECT_EQ(TimeSpan(duration<unsigned long long>(ULLONG_MAX)).GetTotalMilliseconds(), LLONG_MAX);
  static_assert(TimeSpan(seconds(3)).GetTotalMilliseconds() == 3000, "constexpr");
}

TEST(Chrono, SpansGoBackAndMoveDates) {
  for (long long ms : {0LL, 1LL, -1LL, 86400000LL, LLONG_MAX, LLONG_MIN}) {
    EXPECT_EQ(TimeSpan(ms).ToChrono().count(), ms);
    EXPECT_EQ(TimeSpan(TimeSpan(ms).ToChrono()), TimeSpan(ms));
  }
  DateTime const d(2024, 2, 28, 23, 0, 0);
  EXPECT_EQ(d + hours(2), DateTime(2024, 2, 29, 1, 0, 0));
  EXPECT_EQ(d - minutes(90), DateTime(2024, 2, 28, 21, 30, 0));
  EXPECT_EQ(ToSysTime(d + hours(49)) - ToSysTime(d), hours(49));
}
