// VexTime: construction and modes, fields in both zones, conversions,
// comparison, expiration, the 44-byte record (words worked out from the
// documented layout) and the stream protocol. Zone-dependent cases run under
// central European rules (UTC+1, +2 in summer), written as a POSIX rule.
// (Reads from several threads: tests/Concurrency.)
#include <gtest/gtest.h>

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "DataType/Calendar/TimeZone.h"
#include "DataType/StoredTime/VexTime.h"
#include "support/ScopedTZ.h"

namespace QDataType {
namespace {

using testing_zone::ScopedTZ;

std::string Show(DateTime const& d) { return d.ToString().GetString(); }

// The value as a DateTime in its stored zone (ToDateTime in that zone).
std::string Stored(VexTime const& v) {
  DateTime d;
  if (v.ToDateTime(v.GetRealMode() == TIME_MODE_UTC, d) != 0) return "none";
  return Show(d);
}

VexTime Dynamic(int kind, short monthOffset = 0) {
  VexTime v;
  v.PutDynamicTime(kind);
  v.PutDynamicMonthOffset(monthOffset);
  return v;
}

class VexTimeBerlin : public ::testing::Test {
 protected:
  ScopedTZ tz_{testing_zone::kCentralEurope};
};

TEST_F(VexTimeBerlin, ConstructorsStoreInTheZoneOfTheMode) {
  DateTime const summer(2024, 7, 1, 10, 0, 0, 500);
  double const winter = DateTime(2024, 1, 15, 10, 0, 0, 0).ToDATE();
  VexTime relabelled(summer, TIME_MODE_UTC, true), converted(summer, TIME_MODE_UTC, true), odd(converted);
  relabelled.SetReadMode(TIME_MODE_LOCAL);  // relabels without converting
  converted.SetMode(TIME_MODE_LOCAL);
  odd.SetMode(static_cast<TIME_MODE>(9));  // taken as UTC
  struct {
    VexTime v;
    TIME_MODE mode;
    char const* stored;
  } const cases[] = {
      {VexTime(summer, TIME_MODE_UTC, true), TIME_MODE_UTC, "2024-07-01 10:00:00.500"},
      {VexTime(summer, TIME_MODE_UTC, false), TIME_MODE_UTC, "2024-07-01 08:00:00.500"},
      {VexTime(summer, TIME_MODE_LOCAL, true), TIME_MODE_LOCAL, "2024-07-01 12:00:00.500"},
      {VexTime(summer, TIME_MODE_LOCAL, false), TIME_MODE_LOCAL, "2024-07-01 10:00:00.500"},
      {VexTime(winter, 0, TIME_MODE_LOCAL, true), TIME_MODE_LOCAL, "2024-01-15 11:00:00.000"},
      {VexTime(winter, 250, static_cast<TIME_MODE>(7), true), TIME_MODE_UTC, "2024-01-15 10:00:00.250"},
      {VexTime(winter, 1000, TIME_MODE_DYNAMIC, true), TIME_MODE_UTC, "2024-01-15 10:00:00.000"},
      {relabelled, TIME_MODE_LOCAL, "2024-07-01 10:00:00.500"},
      {converted, TIME_MODE_LOCAL, "2024-07-01 12:00:00.500"},
      {odd, TIME_MODE_UTC, "2024-07-01 10:00:00.500"},
      {VexTime(), TIME_MODE_UNSET, "none"},
  };
  for (auto const& c : cases) {
    EXPECT_EQ(c.v.GetRealMode(), c.mode) << c.stored;
    EXPECT_EQ(Stored(c.v), c.stored);
  }
  VexTime unset, fixed(summer, TIME_MODE_UTC, true);
  int i = 11;
  EXPECT_EQ(unset.SetMode(TIME_MODE_LOCAL) | unset.PutHour(1, false) | unset.GetDynamicTime(i), E_TIME_NOT_SET);
  EXPECT_EQ(fixed.GetDynamicDayOffset(i) | fixed.PutDynamicMonthOffset(1), E_TIME_NOT_DYNAMIC);
  EXPECT_EQ(i, 11);
}

TEST_F(VexTimeBerlin, FieldsReadAndSetThroughTheZone) {
  VexTime const utc(DateTime(2024, 6, 30, 22, 30, 15, 250), TIME_MODE_UTC, true);  // local: Mon 07-01 00:30
  EXPECT_EQ((std::vector<int>{utc.GetDay(true, false), utc.GetDay(false, false), utc.GetMonth(false, false),
                              utc.GetDay(false, true), utc.GetHour(false, false), utc.GetWeek(true, true),
                              utc.GetWeek(false, false), utc.GetDayOfWeek(false, false)}),
            (std::vector<int>{30, 1, 7, 30, 0, 6, 1, 1}));
  // Each step acts on the reading in the zone named, then stores in the value's own.
  VexTime v(DateTime(2024, 7, 1, 22, 30, 0, 0), TIME_MODE_UTC, true);  // local 07-02 00:30
  using Put = int (*)(VexTime&);
  struct {
    Put put;
    int result;
    char const* stored;
  } const steps[] = {
      {[](VexTime& x) { return x.PutHour(8, false); }, 0, "2024-07-02 06:30:00.000"},
      {[](VexTime& x) { return x.PutMonth(1, false); }, 0, "2024-01-02 07:30:00.000"},  // winter
      {[](VexTime& x) { return x.PutYear(2023, false) | x.PutDay(-1, false); }, 0, "2023-01-31 07:30:00.000"},
      {[](VexTime& x) { return x.PutHour(24, false); }, 0, "2023-01-31 07:30:00.000"},  // refused by the date
      {[](VexTime& x) { return x.PutDay(15, true) | x.PutMonth(6, true) | x.PutYear(2024, true); }, 0,
       "2024-06-15 07:30:00.000"},  // Saturday, week 3
      {[](VexTime& x) { return x.PutWeek(1, false); }, 0, "2024-06-01 07:30:00.000"},
      {[](VexTime& x) { return x.PutDayOfWeek(0, true, true); }, E_TIME_FIELD_REJECTED, "2024-06-01 07:30:00.000"},
      {[](VexTime& x) { return x.PutDay(12, true) | x.PutDayOfWeek(5, false, false); }, 0, "2024-06-14 07:30:00.000"},
      {[](VexTime& x) { return x.PutActualHour(23) | x.PutSeconds(7) | x.PutMilliSeconds(8) | x.PutActualDay(-1); },
       0, "2024-06-30 23:30:07.008"},
      {[](VexTime& x) { return x.PutDay(10, false); }, 0, "2024-07-09 23:30:07.008"},  // local 07-01 01:30
      {[](VexTime& x) { return x.SetMode(TIME_MODE_LOCAL) | x.PutHour(5, true); }, 0, "2024-07-09 07:30:07.008"},
      {[](VexTime& x) { return x.PutMonth(1, true); }, 0, "2024-01-09 06:30:07.008"},
  };
  for (auto const& s : steps) {
    EXPECT_EQ(s.put(v), s.result) << s.stored;
    EXPECT_EQ(Stored(v), s.stored);
  }
}

TEST_F(VexTimeBerlin, ToDateTimeInEveryMode) {
  DateTime const winter(2024, 1, 10, 10, 0, 0, 0);
  // The first day of next month at 08:00: the reference is local wall time,
  // the resolution UTC, and local on request.
  VexTime typical = Dynamic(DT_RELATIVE_MONTH_DAY);
  typical.PutMonth(1, false);
  typical.PutDay(1, false);
  typical.PutHour(8, false);
  VexTime const bad = Dynamic(DT_FIXED_DATE);  // no absolute flag
  struct {
    VexTime v;
    bool utc;
    DateTime reference;
    int result;
    char const* want;
  } const cases[] = {
      {typical, true, DateTime(2024, 2, 20, 9), 0, "2024-03-01 07:00:00.000"},
      {typical, true, DateTime(2024, 3, 20, 9), 0, "2024-04-01 06:00:00.000"},
      {typical, false, DateTime(2024, 3, 20, 9), 0, "2024-04-01 08:00:00.000"},
      {bad, true, winter, E_TIME_RESOLVE_FAILED, "2024-01-10 10:00:00.000"},
  };
  for (auto const& c : cases) {
    DateTime r = c.reference;
    EXPECT_EQ(c.v.ToDateTime(c.utc, r), c.result) << c.want;
    EXPECT_EQ(Show(r), c.want);
  }
  // Double dates: now for TolocalDATE, a fixed Unix time for the other.
  double x = 0;
  EXPECT_EQ(VexTime(winter, TIME_MODE_LOCAL, false).TolocalDATE(x, true), 0);
  EXPECT_EQ(Show(DateTime(x)), "2024-01-10 09:00:00.000");
  VexTime tomorrow = Dynamic(DT_RELATIVE_DAY);
  tomorrow.PutDay(1, false);
  tomorrow.PutHour(9, false);
  // 1718445600 is 2024-06-15 10:00 UTC, taken as the local reference.
  EXPECT_EQ(tomorrow.TolocalDATEWithFixedTime(x, true, 1718445600), 0);
  EXPECT_EQ(Show(DateTime(x)), "2024-06-16 07:00:00.000");
  EXPECT_EQ(tomorrow.TolocalDATEWithFixedTime(x, false, 1718445600), 0);
  EXPECT_EQ(Show(DateTime(x)), "2024-06-16 09:00:00.000");
  EXPECT_EQ(bad.TolocalDATE(x, true), 0);
  EXPECT_EQ(x, 0.0);
  DateTime n;
  EXPECT_EQ(VexTime(winter, TIME_MODE_LOCAL, false).GetNthTimePointBefore(2, TG_MONTH, n), 0);
  EXPECT_EQ(bad.GetNthTimePointBefore(2, TG_MONTH, n), E_TIME_RESOLVE_FAILED);
  EXPECT_EQ(Show(n), "2023-11-10 10:00:00.000");
}

TEST_F(VexTimeBerlin, EqualityAndOrder) {
  DateTime const instant(2024, 7, 1, 10, 0, 0, 0);
  VexTime const utc(instant, TIME_MODE_UTC, true);
  EXPECT_TRUE(utc == VexTime(instant, TIME_MODE_LOCAL, true) && VexTime(instant, TIME_MODE_LOCAL, true) == utc);
  EXPECT_FALSE(utc == VexTime(instant, TIME_MODE_LOCAL, false) || utc == VexTime() || VexTime() == utc);
  VexTime a = Dynamic(DT_RELATIVE_DAY), b = Dynamic(DT_RELATIVE_DAY);
  a.PutDynamicDayOffset(3);
  b.PutHour(5, true);
  EXPECT_TRUE(a == b && VexTime() == VexTime());  // kinds only
  EXPECT_FALSE(a == Dynamic(DT_RELATIVE_DAY | DT_FLAG_RELATIVE_HOUR));

  // In increasing order: unset first, kind 1 before every value, a failed
  // resolution as 1899-12-30, dates as instants, now (kind 2), kind 0 last.
  VexTime const order[] = {VexTime(),
                           Dynamic(1),
                           Dynamic(1 | DT_FLAG_BUSINESS_DAYS),
                           VexTime(DateTime(2000, 1, 1, 0, 30), TIME_MODE_LOCAL, false),  // 1999-12-31 23:30 UTC
                           VexTime(DateTime(2000, 1, 1), TIME_MODE_UTC, true),
                           Dynamic(DT_RELATIVE_DATE_TIME),
                           Dynamic(0)};
  for (size_t i = 0; i < std::size(order); ++i)
    for (size_t j = 0; j < std::size(order); ++j) {
      EXPECT_EQ(order[i] < order[j], i < j) << i << " " << j;
      EXPECT_EQ(order[i] > order[j], i > j) << i << " " << j;
    }
}

// --- Expiration ----------------------------------------------------------------------------------

// The expected expirations, from the header's words with std::chrono's
// calendar and the C library's mktime, no call into the library: local
// midnight of the day that local today, moved by the offsets, leads to, moved
// back by them again.
namespace cr = std::chrono;

cr::year_month_day Clamped(cr::year y, cr::month m, cr::day d) {
  cr::day const last = cr::year_month_day_last{y, cr::month_day_last{m}}.day();
  return {y, m, d > last ? last : d};
}

// Forward by n months (back for n < 0): the year first, then the month, each
// clamping the day (DynamicTime::MoveNthTimePointBefore).
cr::year_month_day AddMonths(cr::year_month_day t, int n) {
  int const to = static_cast<int>(t.year()) * 12 + static_cast<int>(static_cast<unsigned>(t.month())) - 1 + n;
  cr::year const y1 = t.year() + cr::years{n / 12}, y2{to / 12};
  cr::year_month_day r = Clamped(y1, t.month(), t.day());
  r = Clamped(y2, t.month(), r.day());
  return Clamped(y2, cr::month{static_cast<unsigned>(to % 12 + 1)}, r.day());
}

long long LocalMidnight(cr::year_month_day d) {
  struct tm t {};
  t.tm_year = static_cast<int>(d.year()) - 1900;
  t.tm_mon = static_cast<int>(static_cast<unsigned>(d.month())) - 1;
  t.tm_mday = static_cast<int>(static_cast<unsigned>(d.day()));
  t.tm_isdst = -1;
  return mktime(&t);
}

// Seconds of the expected expiration when local today is `today`.
long long ExpectedExpiration(int kind, cr::year_month_day today, int dayOffset, int monthOffset) {
  if (kind == DT_RELATIVE_DAY) return LocalMidnight(cr::sys_days(today) + cr::days{1});
  cr::sys_days const moved = cr::sys_days(AddMonths(today, monthOffset)) + cr::days{dayOffset};
  cr::year_month_day const m(moved);
  cr::sys_days day;
  switch (kind) {
    case DT_RELATIVE_MONTH_DAY: day = cr::sys_days(cr::year_month_day(m.year() / m.month() / 1) + cr::months{1}); break;
    case DT_RELATIVE_YEAR_DATE: day = cr::sys_days((m.year() + cr::years{1}) / 1 / 1); break;
    case DT_RELATIVE_QUARTER_DAY:
      day = cr::sys_days(m.year() / cr::month{(static_cast<unsigned>(m.month()) - 1) / 3 * 3 + 1} / 1);
      break;
    default:  // the Sunday that starts the next week
      day = moved + cr::days{7 - static_cast<int>(cr::weekday(moved).c_encoding())};
  }
  return LocalMidnight(AddMonths(cr::year_month_day(day - cr::days{dayOffset}), -monthOffset));
}

cr::year_month_day LocalToday() {
  time_t const now = time(nullptr);
  struct tm t;
  localtime_r(&now, &t);
  return cr::year{t.tm_year + 1900} / cr::month{static_cast<unsigned>(t.tm_mon + 1)} /
         cr::day{static_cast<unsigned>(t.tm_mday)};
}

// The expiration is about now itself: the answer must be the one for the
// day (or second) before the call or the one after it.
TEST_F(VexTimeBerlin, ExpirationOfEveryKind) {
  struct {
    int kind, dayOffset, monthOffset;
  } const cases[] = {
      {DT_RELATIVE_DATE_TIME, 0, 0}, {DT_RELATIVE_DAY, 0, 0},       {DT_RELATIVE_DAY, 5, -3},
      {DT_RELATIVE_WEEK_DAY, 0, 0},  {DT_RELATIVE_WEEK_DAY, 3, 0},  {DT_THIS_WEEK_SUNDAY, 0, 0},
      {DT_THIS_WEEK_SATURDAY, 0, 0}, {DT_THIS_WEEK_TUESDAY, -9, 1}, {DT_RELATIVE_MONTH_DAY, 0, 0},
      {DT_RELATIVE_MONTH_DAY, 3, 2}, {DT_RELATIVE_MONTH_DAY, -20, -1}, {DT_RELATIVE_YEAR_DATE, 0, 0},
      {DT_RELATIVE_YEAR_DATE, 40, 7}, {DT_RELATIVE_QUARTER_DAY, 0, 0}, {DT_RELATIVE_QUARTER_DAY, 10, -4},
  };
  for (auto const& c : cases) {
    bool const two = c.kind == DT_RELATIVE_DATE_TIME;
    for (int flags : std::initializer_list<int>{0, two ? DT_FLAG_RELATIVE_HOUR
                             : DT_FLAG_RELATIVE_HOUR | DT_FLAG_RELATIVE_MINUTE_SECOND | DT_FLAG_ABSOLUTE_DATE}) {
      VexTime v = Dynamic(c.kind | flags);
      v.PutDynamicDayOffset(c.dayOffset);
      v.PutDynamicMonthOffset(static_cast<short>(c.monthOffset));
      if (!two) {  // the fields of kinds 3 to 14 take no part
        v.PutHour(13, false);
        v.PutDay(9, false);
      }
      VexTime e(DateTime(1990, 1, 1), TIME_MODE_LOCAL, false);
      long long const before = time(nullptr);
      cr::year_month_day const todayBefore = LocalToday();
      ASSERT_EQ(v.GetExpiration(e), 0) << c.kind;
      cr::year_month_day const todayAfter = LocalToday();
      long long const after = time(nullptr);
      EXPECT_EQ(e.GetRealMode(), TIME_MODE_UTC);
      DateTime got;
      e.ToDateTime(true, got);
      long long const seconds = got.Totime_t();
      EXPECT_EQ(got.GetMillisecond(), 0);
      if (two) {  // the next whole second after now
        EXPECT_TRUE(seconds >= before + 1 && seconds <= after + 1) << seconds - before;
      } else {
        long long const a = ExpectedExpiration(c.kind, todayBefore, c.dayOffset, c.monthOffset),
                        b = ExpectedExpiration(c.kind, todayAfter, c.dayOffset, c.monthOffset);
        EXPECT_TRUE(seconds == a || seconds == b)
            << c.kind << " " << c.dayOffset << " " << c.monthOffset << ": " << Show(got) << " vs " << a;
      }
    }
  }
}

TEST_F(VexTimeBerlin, ExpirationRefusals) {
  VexTime e(DateTime(1990, 1, 1), TIME_MODE_LOCAL, false);
  for (VexTime const& v : {Dynamic(0), Dynamic(1), Dynamic(15), Dynamic(-5), VexTime(),
                           Dynamic(DT_RELATIVE_DATE_TIME | DT_FLAG_BUSINESS_DAYS),
                           Dynamic(DT_RELATIVE_MONTH_DAY | DT_FLAG_BUSINESS_DAYS),
                           VexTime(DateTime(2024, 1, 1), TIME_MODE_UTC, true)})
    EXPECT_EQ(v.GetExpiration(e), 1);
  EXPECT_EQ(e.GetRealMode(), TIME_MODE_LOCAL);
  EXPECT_EQ(Stored(e), "1990-01-01 00:00:00.000");
}

// A local-mode value is wall time of the zone given.
TEST(VexTimeZones, LocalValuesAreWallTimeOfTheZoneGiven) {
  VexTime const local(DateTime(2026, 7, 1, 9, 30), TIME_MODE_LOCAL, false);
  VexTime const utc(DateTime(2026, 7, 1, 12, 0), TIME_MODE_UTC, true);
  struct {
    char const* zone;
    DateTime localInUtc, utcInLocal;
  } const cases[] = {
      {testing_zone::kJapan, DateTime(2026, 7, 1, 0, 30), DateTime(2026, 7, 1, 21, 0)},
      {testing_zone::kUSEastern, DateTime(2026, 7, 1, 13, 30), DateTime(2026, 7, 1, 8, 0)},
  };
  for (auto const& c : cases) {
    TimeZone const* const zone = TimeZone::Find(c.zone);
    ASSERT_NE(zone, nullptr);
    DateTime r1, r2;
    ASSERT_EQ(local.ToDateTime(true, r1, *zone) | utc.ToDateTime(false, r2, *zone), 0);
    EXPECT_TRUE(r1 == c.localInUtc && r2 == c.utcInLocal) << c.zone;
  }
  // Tomorrow's midnight in Tokyo is a whole hour 15:00 UTC, whatever TZ says.
  ScopedTZ tz(testing_zone::kUSEastern);
  VexTime e;
  ASSERT_EQ(Dynamic(DT_RELATIVE_DAY).GetExpiration(e, *TimeZone::Find(testing_zone::kJapan)), 0);
  DateTime d;
  ASSERT_EQ(e.ToDateTime(true, d), 0);
  EXPECT_EQ(Show(d).substr(11), "15:00:00.000");
  long long const now = DateTime::NowUTC().Totime_t();
  EXPECT_TRUE(d.Totime_t() > now && d.Totime_t() <= now + 86400);
}

using Words = std::vector<int32_t>;

Words Save(VexTime const& v) {
  unsigned char record[44];
  EXPECT_EQ(v.SaveObj(sizeof record, record), 0);
  Words words(11);
  for (int i = 0; i < 44; ++i) words[i / 4] = static_cast<int32_t>(static_cast<uint32_t>(words[i / 4]) | uint32_t{record[i]} << 8 * (i % 4));
  return words;
}

void Load(VexTime& v, Words const& words) {
  unsigned char record[44];
  for (int i = 0; i < 44; ++i) record[i] = static_cast<unsigned char>(static_cast<uint32_t>(words[i / 4]) >> 8 * (i % 4));
  ASSERT_EQ(v.LoadObj(sizeof record, record), 0);
}

TEST(VexTimeRecord, SavedWordsLoadBackToTheSameValue) {
  VexTime dyn = Dynamic(DT_RELATIVE_MONTH_DAY, -2);
  dyn.PutDynamicDayOffset(3);
  dyn.PutYear(-1, true);
  dyn.PutMonth(2, true);
  dyn.PutDay(-3, true);
  dyn.PutHour(4, true);
  dyn.PutMinutes(5, true);
  dyn.PutSeconds(6);
  dyn.PutWeek(-2, true);
  dyn.PutDayOfWeek(5, true, true);
  struct {
    VexTime v;
    Words words;
  } const cases[] = {
      {VexTime(), {-101, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {VexTime(DateTime(2024, 3, 5, 14, 7, 9, 123), TIME_MODE_UTC, true), {-100, 2024, 3, 5, 14, 7, 9, 123, 2, 2, 0}},
      {dyn, {static_cast<int32_t>(0xFFFE0005u), -1, 2, -3, 4, 5, 6, 3, -2, 5, 1}},
      {Dynamic(DT_RELATIVE_DAY | DT_FLAG_BUSINESS_DAYS | DT_FLAG_RELATIVE_HOUR, 0x7FFF),
       {0x7FFF0143, 0, 0, 0, 0, 0, 0, 0, 0, -1, 1}}  // weekday -1: none,
  };
  for (auto const& c : cases) {
    EXPECT_EQ(Save(c.v), c.words);
    VexTime back(DateTime(2000, 1, 1), TIME_MODE_UTC, true);
    Load(back, c.words);
    EXPECT_EQ(back.GetRealMode(), c.v.GetRealMode());
    EXPECT_EQ(Save(back), c.words);
  }
  VexTime back;
  Load(back, Save(dyn));
  int kind = 0, dayOffset = 0;
  short monthOffset = 0;
  EXPECT_EQ(back.GetDynamicTime(kind) | back.GetDynamicDayOffset(dayOffset) | back.GetDynamicMonthOffset(monthOffset), 0);
  EXPECT_EQ(kind * 10000 + dayOffset * 100 + monthOffset, DT_RELATIVE_MONTH_DAY * 10000 + 300 - 2);
}

TEST(VexTimeRecord, LoadedFieldsAreClampedAndOddModesAreUTC) {
  testing_zone::ScopedTZ tz("UTC");
  VexTime none = Dynamic(DT_NONE, 5);  // a DT_NONE description saves as static local
  none.SetReadMode(TIME_MODE_DYNAMIC);
  none.PutYear(2024, true);
  none.PutMonth(6, true);
  none.PutDay(7, true);
  none.PutHour(8, true);
  struct {
    Words words;
    TIME_MODE mode;
    char const* stored;
  } const cases[] = {
      {{-100, 2023, 13, 40, 24, 0, 0, 0, 77, 77, 1}, TIME_MODE_LOCAL, "2024-01-01 00:00:00.000"},
      {{-100, 65536 + 2024, 2, 30, -5, 75, 61, 5000, 0, 0, 1}, TIME_MODE_LOCAL, "2024-02-29 00:59:59.999"},
      {{-100, 2024, 1, 2, 3, 4, 5, 6, 0, 0, 2}, TIME_MODE_UTC, "2024-01-02 03:04:05.006"},
      {{-100, 2024, 1, 2, 3, 4, 5, 6, 0, 0, -1}, TIME_MODE_UTC, "2024-01-02 03:04:05.006"},
      {{-101, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, TIME_MODE_UNSET, "none"},
      {Save(none), TIME_MODE_LOCAL, "2024-06-07 08:00:00.000"},
  };
  for (auto const& c : cases) {
    VexTime v;
    Load(v, c.words);
    EXPECT_EQ(v.GetRealMode(), c.mode) << c.stored;
    EXPECT_EQ(Stored(v), c.stored);
  }
  // Refusals: short or null buffers, nothing read or written; exactly 44 bytes written.
  unsigned char record[48];
  std::fill(record, record + 48, 0xAB);
  VexTime const date(DateTime(2024, 1, 1), TIME_MODE_UTC, true);
  VexTime w;
  EXPECT_EQ(date.SaveObj(43, record), -1);
  EXPECT_EQ(w.LoadObj(44, nullptr) + date.SaveObj(44, nullptr) + w.LoadObj(43, record), -3);
  EXPECT_EQ(record[0], 0xAB);
  EXPECT_EQ(w.GetRealMode(), TIME_MODE_UNSET);
  EXPECT_EQ(date.SaveObj(48, record), 0);
  EXPECT_EQ(record[44], 0xAB);
}

// Records every call and hands the items back in order.
struct Tape : QSerialization::WriteDataStream, QSerialization::ReadDataStream {
  std::vector<std::string> log;
  std::vector<int> ints;
  std::vector<DateTime> dates;
  std::vector<DynamicTime> descriptions;
  size_t i = 0, t = 0, d = 0;
  int WriteDynamicTime(DynamicTime const* value) override { return Put("WriteDynamicTime", descriptions, *value); }
  int WriteDateTime(DateTime const* value) override { return Put("WriteDateTime", dates, *value); }
  int WriteInt(int value) override { return Put("WriteInt " + std::to_string(value), ints, value); }
  int ReadDynamicTime(DynamicTime* value) override { return Get("ReadDynamicTime", descriptions, d, *value); }
  int ReadDateTime(DateTime* value) override { return Get("ReadDateTime", dates, t, *value); }
  int ReadInt(int* value) override { return Get("ReadInt", ints, i, *value); }
  template <class T>
  int Put(std::string what, std::vector<T>& items, T const& value) {
    log.push_back(what);
    items.push_back(value);
    return -7;  // results are not looked at
  }
  template <class T>
  int Get(std::string what, std::vector<T> const& items, size_t& at, T& value) {
    log.push_back(what);
    value = items.at(at++);
    return -7;
  }
};

using Log = std::vector<std::string>;

TEST(VexTimeStream, CallSequencesAndRoundTrips) {
  Tape tape;
  VexTime const local(DateTime(2024, 3, 5, 14, 7, 9, 123), TIME_MODE_LOCAL, false);
  VexTime dyn = Dynamic(DT_THIS_WEEK_FRIDAY, -4);
  dyn.PutHour(17, false);
  for (VexTime const& v : {VexTime(), local, dyn}) EXPECT_EQ(v.SaveToStream(&tape), 0);
  EXPECT_EQ(VexTime().SaveToStream(nullptr), 0);
  EXPECT_EQ(tape.log, (Log{"WriteInt -101", "WriteInt 1", "WriteDateTime", "WriteInt 2", "WriteDynamicTime"}));
  tape.log.clear();
  VexTime v(DateTime(2000, 1, 1), TIME_MODE_UTC, true);
  EXPECT_EQ(v.LoadFromStream(&tape), 0);
  EXPECT_EQ(v.GetRealMode(), TIME_MODE_UNSET);
  EXPECT_EQ(v.LoadFromStream(&tape), 0);
  EXPECT_EQ(v.GetRealMode(), TIME_MODE_LOCAL);
  EXPECT_EQ(Stored(v), "2024-03-05 14:07:09.123");
  EXPECT_EQ(v.LoadFromStream(&tape) + v.LoadFromStream(nullptr), 0);
  EXPECT_EQ(Save(v), Save(dyn));
  EXPECT_EQ(tape.log, (Log{"ReadInt", "ReadInt", "ReadDateTime", "ReadInt", "ReadDynamicTime"}));
  Tape odd;  // an int outside -101 and 0..2 changes nothing
  odd.ints = {7};
  EXPECT_EQ(v.LoadFromStream(&odd), 0);
  EXPECT_EQ(Save(v), Save(dyn));
}

TEST(VexTimeArena, AnExhaustedArenaLeavesTheValueUnset) {
  VexTime const date(DateTime(2024, 1, 1), TIME_MODE_UTC, true);
  // An arena that cannot hold either object: the value stays unset through
  // every operation, and a stream load still reads its items.
  QBase::Arena full(sizeof(DateTime) - 1);
  VexTime u(&full), e(&full);
  u.PutDynamicTime(DT_RELATIVE_DAY);
  u.SetToCurrentTime();
  EXPECT_EQ(u.SetReadMode(TIME_MODE_UTC), 0);
  u = date;
  Load(u, Save(date));
  EXPECT_EQ(Dynamic(DT_RELATIVE_MONTH_DAY, 0).GetExpiration(e), 0);
  Tape tape;
  date.SaveToStream(&tape);
  tape.log.clear();
  u.LoadFromStream(&tape);
  VexTime fromDouble(45000.5, 10, TIME_MODE_UTC, true, &full);
  for (VexTime const* x : {&u, &e, &fromDouble}) {
    EXPECT_EQ(x->GetRealMode(), TIME_MODE_UNSET);
    EXPECT_EQ(x->GetYear(true, false), E_TIME_NOT_SET);
    EXPECT_EQ(Save(*x)[0], -101);
  }
  EXPECT_EQ(tape.log, (Log{"ReadInt", "ReadDateTime"}));
}

}  // namespace
}  // namespace QDataType
