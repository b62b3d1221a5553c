// VexTime: construction and modes, result codes, fields in both zones,
// conversions, comparison and expiration. Zone-dependent cases run under
// central European rules (UTC+1, +2 in summer), written as a POSIX rule.
#include <gtest/gtest.h>

#include <time.h>

#include <chrono>
#include <climits>
#include <initializer_list>
#include <string>

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

VexTime Dynamic(int kind) {
  VexTime v;
  v.PutDynamicTime(kind);
  return v;
}

class VexTimeBerlin : public ::testing::Test {
 protected:
  ScopedTZ tz_{testing_zone::kCentralEurope};
};

// --- Construction and modes -----------------------------------------------------

TEST_F(VexTimeBerlin, ConstructorsStoreInTheZoneOfTheMode) {
  DateTime const summer(2024, 7, 1, 10, 0, 0, 500);
  EXPECT_EQ(Stored(VexTime(summer, TIME_MODE_UTC, true)), "2024-07-01 10:00:00.500");
  EXPECT_EQ(Stored(VexTime(summer, TIME_MODE_UTC, false)), "2024-07-01 08:00:00.500");
  EXPECT_EQ(Stored(VexTime(summer, TIME_MODE_LOCAL, true)), "2024-07-01 12:00:00.500");
  EXPECT_EQ(Stored(VexTime(summer, TIME_MODE_LOCAL, false)), "2024-07-01 10:00:00.500");

  double const winter = DateTime(2024, 1, 15, 10, 0, 0, 0).ToDATE();
  VexTime const local(winter, 0, TIME_MODE_LOCAL, true);
  EXPECT_EQ(local.GetRealMode(), TIME_MODE_LOCAL);
  EXPECT_EQ(Stored(local), "2024-01-15 11:00:00.000");
  VexTime const odd(winter, 250, static_cast<TIME_MODE>(7), true);  // any other mode is UTC
  EXPECT_EQ(odd.GetRealMode(), TIME_MODE_UTC);
  EXPECT_EQ(Stored(odd), "2024-01-15 10:00:00.250");
  EXPECT_EQ(Stored(VexTime(winter, 1000, TIME_MODE_DYNAMIC, true)), "2024-01-15 10:00:00.000");

  EXPECT_EQ(VexTime().GetRealMode(), TIME_MODE_UNSET);
  EXPECT_EQ(VexTime().GetMode(), TIME_MODE_LOCAL);
  EXPECT_EQ(Dynamic(DT_RELATIVE_DAY).GetMode(), TIME_MODE_LOCAL);
  EXPECT_EQ(Dynamic(DT_RELATIVE_DAY).GetRealMode(), TIME_MODE_DYNAMIC);
  EXPECT_EQ(odd.GetMode(), TIME_MODE_UTC);
}

TEST_F(VexTimeBerlin, CopiesAndAssignmentsOwnTheirObject) {
  VexTime const utc(DateTime(2024, 3, 5, 14, 7, 9, 123), TIME_MODE_UTC, true);
  VexTime const dyn = [] {
    VexTime v = Dynamic(DT_RELATIVE_MONTH_DAY);
    v.PutDay(3, false);
    return v;
  }();
  VexTime a(utc);
  a.PutHour(1, true);
  EXPECT_EQ(Stored(utc), "2024-03-05 14:07:09.123");
  EXPECT_EQ(Stored(a), "2024-03-05 01:07:09.123");
  a = dyn;  // static to dynamic
  EXPECT_EQ(a.GetDay(true, true), 3);
  a.PutDay(9, true);
  EXPECT_EQ(dyn.GetDay(true, true), 3);
  VexTime const& same = a;
  a = same;
  EXPECT_EQ(a.GetDay(true, true), 9);
  a = utc;  // dynamic to static
  EXPECT_EQ(Stored(a), "2024-03-05 14:07:09.123");
  a = VexTime();
  EXPECT_EQ(a.GetRealMode(), TIME_MODE_UNSET);
  VexTime b(dyn, nullptr);
  EXPECT_TRUE(b == dyn);
}

TEST_F(VexTimeBerlin, SetModeAndSetReadMode) {
  VexTime v(DateTime(2024, 7, 1, 10, 0, 0, 0), TIME_MODE_UTC, true);
  EXPECT_EQ(v.SetMode(TIME_MODE_LOCAL), 0);
  EXPECT_EQ(v.GetRealMode(), TIME_MODE_LOCAL);
  EXPECT_EQ(Stored(v), "2024-07-01 12:00:00.000");
  EXPECT_EQ(v.SetMode(TIME_MODE_LOCAL), 0);
  EXPECT_EQ(Stored(v), "2024-07-01 12:00:00.000");
  EXPECT_EQ(v.SetMode(static_cast<TIME_MODE>(9)), 0);  // taken as UTC
  EXPECT_EQ(v.GetRealMode(), TIME_MODE_UTC);
  EXPECT_EQ(Stored(v), "2024-07-01 10:00:00.000");

  VexTime d = Dynamic(DT_RELATIVE_DAY);
  EXPECT_EQ(d.SetMode(TIME_MODE_LOCAL), 0);
  EXPECT_EQ(d.GetRealMode(), TIME_MODE_DYNAMIC);
  VexTime unset;
  EXPECT_EQ(unset.SetMode(TIME_MODE_LOCAL), E_TIME_NOT_SET);

  // SetReadMode relabels without converting.
  EXPECT_EQ(v.SetReadMode(TIME_MODE_LOCAL), 0);
  EXPECT_EQ(v.GetRealMode(), TIME_MODE_LOCAL);
  EXPECT_EQ(Stored(v), "2024-07-01 10:00:00.000");
  EXPECT_EQ(unset.SetReadMode(TIME_MODE_LOCAL), 0);
  EXPECT_EQ(Stored(unset), "1899-12-30 00:00:00.000");
  EXPECT_EQ(unset.SetReadMode(static_cast<TIME_MODE>(5)), 0);
  EXPECT_EQ(unset.GetRealMode(), TIME_MODE_LOCAL);
  EXPECT_EQ(unset.SetReadMode(TIME_MODE_DYNAMIC), 0);
  int kind = 0;
  EXPECT_EQ(unset.GetDynamicTime(kind), 0);
  EXPECT_EQ(kind, DT_NONE);
  d.PutDynamicDayOffset(4);
  EXPECT_EQ(d.SetReadMode(TIME_MODE_DYNAMIC), 0);  // keeps the description
  int offset = 0;
  EXPECT_EQ(d.GetDynamicDayOffset(offset), 0);
  EXPECT_EQ(offset, 4);
  EXPECT_EQ(d.SetReadMode(TIME_MODE_UNSET), 0);
  EXPECT_EQ(d.GetRealMode(), TIME_MODE_UNSET);

  VexTime now = Dynamic(DT_RELATIVE_DAY);
  DateTime const before = DateTime::NowUTC();
  now.SetToCurrentTime();
  DateTime const after = DateTime::NowUTC();
  EXPECT_EQ(now.GetRealMode(), TIME_MODE_UTC);
  DateTime got;
  now.ToDateTime(true, got);
  EXPECT_TRUE(before <= got && got <= after);
}

// --- Result codes ------------------------------------------------------------------

TEST_F(VexTimeBerlin, UnsetStaticAndDynamicAnswers) {
  VexTime unset;
  int i = 11;
  short s = 12;
  double x = 13;
  DateTime d(2001, 1, 1);
  EXPECT_EQ(unset.GetDynamicTime(i), E_TIME_NOT_SET);
  EXPECT_EQ(unset.GetDynamicDayOffset(i), E_TIME_NOT_SET);
  EXPECT_EQ(unset.PutDynamicDayOffset(1), E_TIME_NOT_SET);
  EXPECT_EQ(unset.GetDynamicMonthOffset(s), E_TIME_NOT_SET);
  EXPECT_EQ(unset.PutDynamicMonthOffset(1), E_TIME_NOT_SET);
  EXPECT_EQ(unset.GetNthTimePointBefore(1, TG_DAY, d), E_TIME_NOT_SET);
  EXPECT_EQ(unset.TolocalDATE(x, true), E_TIME_NOT_SET);
  EXPECT_EQ(unset.TolocalDATEWithFixedTime(x, true, 0), E_TIME_NOT_SET);
  EXPECT_EQ(unset.ToDateTime(true, d), 1);
  EXPECT_TRUE(i == 11 && s == 12 && x == 13 && Show(d) == "2001-01-01 00:00:00.000");
  for (bool utc : {false, true})
    for (bool actual : {false, true}) {
      EXPECT_EQ(unset.GetYear(utc, actual), E_TIME_NOT_SET);
      EXPECT_EQ(unset.GetMonth(utc, actual), E_TIME_NOT_SET);
      EXPECT_EQ(unset.GetDay(utc, actual), E_TIME_NOT_SET);
      EXPECT_EQ(unset.GetWeek(utc, actual), E_TIME_NOT_SET);
      EXPECT_EQ(unset.GetDayOfWeek(utc, actual), E_TIME_NOT_SET);
      EXPECT_EQ(unset.GetHour(utc, actual), E_TIME_NOT_SET);
      EXPECT_EQ(unset.GetMinutes(utc, actual), E_TIME_NOT_SET);
      EXPECT_EQ(unset.GetSeconds(actual), E_TIME_NOT_SET);
      EXPECT_EQ(unset.PutYear(2000, utc), E_TIME_NOT_SET);
      EXPECT_EQ(unset.PutMonth(1, utc), E_TIME_NOT_SET);
      EXPECT_EQ(unset.PutDay(1, utc), E_TIME_NOT_SET);
      EXPECT_EQ(unset.PutHour(1, utc), E_TIME_NOT_SET);
      EXPECT_EQ(unset.PutMinutes(1, utc), E_TIME_NOT_SET);
      EXPECT_EQ(unset.PutWeek(1, utc), E_TIME_NOT_SET);
      EXPECT_EQ(unset.PutDayOfWeek(1, utc, actual), E_TIME_NOT_SET);
    }
  EXPECT_EQ(unset.GetMilliSeconds(), E_TIME_NOT_SET);
  EXPECT_EQ(unset.PutSeconds(1), E_TIME_NOT_SET);
  EXPECT_EQ(unset.PutMilliSeconds(1), E_TIME_NOT_SET);
  for (int (VexTime::*put)(int) : {&VexTime::PutActualYear, &VexTime::PutActualMonth, &VexTime::PutActualDay,
                                   &VexTime::PutActualWeek, &VexTime::PutActualDayOfWeek, &VexTime::PutActualHour,
                                   &VexTime::PutActualMinutes})
    EXPECT_EQ((unset.*put)(1), E_TIME_NOT_SET);
  EXPECT_EQ(unset.PutDynamicTime(DT_NONE), 0);
  EXPECT_EQ(unset.GetRealMode(), TIME_MODE_UNSET);

  VexTime fixed(DateTime(2024, 6, 15), TIME_MODE_UTC, true);
  EXPECT_EQ(fixed.GetDynamicTime(i), 0);
  EXPECT_EQ(i, DT_NONE);
  EXPECT_EQ(fixed.GetDynamicDayOffset(i), E_TIME_NOT_DYNAMIC);
  EXPECT_EQ(fixed.PutDynamicDayOffset(1), E_TIME_NOT_DYNAMIC);
  EXPECT_EQ(fixed.GetDynamicMonthOffset(s), E_TIME_NOT_DYNAMIC);
  EXPECT_EQ(fixed.PutDynamicMonthOffset(1), E_TIME_NOT_DYNAMIC);

  // PutDynamicTime makes a static value dynamic; a second call keeps the fields.
  EXPECT_EQ(fixed.PutDynamicTime(DT_RELATIVE_DAY), 0);
  EXPECT_EQ(fixed.PutDynamicMonthOffset(-3), 0);
  EXPECT_EQ(fixed.PutDynamicTime(DT_RELATIVE_WEEK_DAY), 0);
  EXPECT_EQ(fixed.PutDynamicTime(DT_NONE), 0);
  EXPECT_EQ(fixed.GetDynamicTime(i), 0);
  EXPECT_EQ(i, DT_RELATIVE_WEEK_DAY);
  EXPECT_EQ(fixed.GetDynamicMonthOffset(s), 0);
  EXPECT_EQ(s, -3);
}

// --- Fields --------------------------------------------------------------------------

TEST_F(VexTimeBerlin, GettersReadStoredOrConvertedFields) {
  VexTime const utc(DateTime(2024, 6, 30, 22, 30, 15, 250), TIME_MODE_UTC, true);  // local: 07-01 00:30
  EXPECT_EQ(utc.GetDay(true, false), 30);
  EXPECT_EQ(utc.GetDay(false, false), 1);
  EXPECT_EQ(utc.GetMonth(false, false), 7);
  EXPECT_EQ(utc.GetDay(false, true), 30);  // actual: stored, whatever the zone
  EXPECT_EQ(utc.GetHour(false, false), 0);
  EXPECT_EQ(utc.GetHour(true, false), 22);
  EXPECT_EQ(utc.GetMinutes(false, false), 30);
  EXPECT_EQ(utc.GetWeek(true, true), 6);       // June 2024 has six weeks
  EXPECT_EQ(utc.GetWeek(false, false), 1);     // 1 July
  EXPECT_EQ(utc.GetDayOfWeek(false, false), 1);  // Monday
  EXPECT_EQ(utc.GetYear(false, false), 2024);
  EXPECT_EQ(utc.GetSeconds(false), 15);
  EXPECT_EQ(utc.GetMilliSeconds(), 250);

  VexTime const local(DateTime(2024, 1, 1, 0, 30, 0, 0), TIME_MODE_LOCAL, false);
  EXPECT_EQ(local.GetYear(true, false), 2023);
  EXPECT_EQ(local.GetYear(true, true), 2024);
  EXPECT_EQ(local.GetHour(true, false), 23);

  // A dynamic value's fields are the description's, unvalidated.
  VexTime d = Dynamic(DT_RELATIVE_DAY);
  d.PutHour(33, true);
  d.PutDayOfWeek(9, true, false);
  d.PutActualDay(-40);
  d.PutSeconds(77);
  EXPECT_EQ(d.GetHour(false, true), 33);
  EXPECT_EQ(d.GetDayOfWeek(true, true), 9);
  EXPECT_EQ(d.GetDay(false, true), -40);
  EXPECT_EQ(d.GetSeconds(true), 77);
  EXPECT_EQ(d.PutMilliSeconds(5), 0);
  EXPECT_EQ(d.GetMilliSeconds(), 0);
  // A failed resolution reads the fields of 1899-12-30.
  VexTime bad = Dynamic(1);
  EXPECT_EQ(bad.GetYear(true, false), 1899);
  EXPECT_EQ(bad.GetDay(false, false), 30);
}

TEST_F(VexTimeBerlin, SettersRoundTripThroughTheZone) {
  // A UTC value set in local time: the local reading is changed, then stored in UTC.
  VexTime utc(DateTime(2024, 7, 1, 22, 30, 0, 0), TIME_MODE_UTC, true);  // local 07-02 00:30
  EXPECT_EQ(utc.PutHour(8, false), 0);
  EXPECT_EQ(Stored(utc), "2024-07-02 06:30:00.000");
  EXPECT_EQ(utc.PutMonth(1, false), 0);  // local 2024-01-02 08:30, winter
  EXPECT_EQ(Stored(utc), "2024-01-02 07:30:00.000");
  EXPECT_EQ(utc.PutMinutes(5, true), 0);
  EXPECT_EQ(Stored(utc), "2024-01-02 07:05:00.000");
  EXPECT_EQ(utc.PutYear(2023, false), 0);
  EXPECT_EQ(utc.PutDay(-1, false), 0);
  EXPECT_EQ(Stored(utc), "2023-01-31 07:05:00.000");
  EXPECT_EQ(utc.PutHour(24, false), 0);  // refused by the date, not reported
  EXPECT_EQ(Stored(utc), "2023-01-31 07:05:00.000");

  // A local value set in UTC.
  VexTime local(DateTime(2024, 3, 31, 1, 30, 0, 0), TIME_MODE_LOCAL, false);  // UTC 00:30
  EXPECT_EQ(local.PutHour(5, true), 0);  // UTC 05:30 is 07:30 summer time
  EXPECT_EQ(Stored(local), "2024-03-31 07:30:00.000");
  EXPECT_EQ(local.PutDay(1, true), 0);
  EXPECT_EQ(Stored(local), "2024-03-01 06:30:00.000");

  // Weeks and weekdays report a refusal and leave the date alone.
  VexTime june(DateTime(2024, 6, 15, 12, 0, 0, 0), TIME_MODE_UTC, true);  // Saturday, week 3
  EXPECT_EQ(june.PutWeek(6, true), E_TIME_FIELD_REJECTED);
  EXPECT_EQ(june.PutWeek(6, false), E_TIME_FIELD_REJECTED);
  EXPECT_EQ(Stored(june), "2024-06-15 12:00:00.000");
  EXPECT_EQ(june.PutActualWeek(6), 0);
  EXPECT_EQ(Stored(june), "2024-06-15 12:00:00.000");
  EXPECT_EQ(june.PutWeek(1, false), 0);
  EXPECT_EQ(Stored(june), "2024-06-01 12:00:00.000");
  EXPECT_EQ(june.PutDayOfWeek(0, true, true), E_TIME_FIELD_REJECTED);  // 2024-05-26: another month
  EXPECT_EQ(june.PutActualDayOfWeek(0), 0);
  EXPECT_EQ(Stored(june), "2024-06-01 12:00:00.000");
  EXPECT_EQ(june.PutDayOfWeek(3, false, false), E_TIME_FIELD_REJECTED);  // 2024-05-29
  EXPECT_EQ(june.PutDay(12, true), 0);
  EXPECT_EQ(june.PutDayOfWeek(5, false, false), 0);
  EXPECT_EQ(Stored(june), "2024-06-14 12:00:00.000");
  EXPECT_EQ(june.PutActualHour(23), 0);
  EXPECT_EQ(june.PutSeconds(7), 0);
  EXPECT_EQ(june.PutMilliSeconds(8), 0);
  EXPECT_EQ(june.PutActualMinutes(9), 0);
  EXPECT_EQ(june.PutActualDay(-1), 0);
  EXPECT_EQ(june.PutActualMonth(2), 0);
  EXPECT_EQ(june.PutActualYear(2023), 0);
  EXPECT_EQ(Stored(june), "2023-02-28 23:09:07.008");

  // Between zones a date near midnight changes day: PutDay acts on the local day.
  VexTime late(DateTime(2024, 5, 31, 23, 0, 0, 0), TIME_MODE_UTC, true);  // local 06-01 01:00
  EXPECT_EQ(late.PutDay(10, false), 0);
  EXPECT_EQ(Stored(late), "2024-06-09 23:00:00.000");
}

// --- Conversions -------------------------------------------------------------------------

TEST_F(VexTimeBerlin, ToDateTimeInEveryMode) {
  DateTime const winter(2024, 1, 10, 10, 0, 0, 0);
  DateTime r;
  EXPECT_EQ(VexTime(winter, TIME_MODE_UTC, true).ToDateTime(false, r), 0);
  EXPECT_EQ(Show(r), "2024-01-10 11:00:00.000");
  EXPECT_EQ(VexTime(winter, TIME_MODE_LOCAL, false).ToDateTime(true, r), 0);
  EXPECT_EQ(Show(r), "2024-01-10 09:00:00.000");

  // The first day of next month at 08:00: the reference is local wall time,
  // the resolution UTC, and local on request.
  VexTime typical = Dynamic(DT_RELATIVE_MONTH_DAY);
  typical.PutMonth(1, false);
  typical.PutDay(1, false);
  typical.PutHour(8, false);
  r = DateTime(2024, 2, 20, 9, 0, 0, 0);
  EXPECT_EQ(typical.ToDateTime(true, r), 0);
  EXPECT_EQ(Show(r), "2024-03-01 07:00:00.000");
  r = DateTime(2024, 3, 20, 9, 0, 0, 0);
  EXPECT_EQ(typical.ToDateTime(true, r), 0);
  EXPECT_EQ(Show(r), "2024-04-01 06:00:00.000");
  r = DateTime(2024, 3, 20, 9, 0, 0, 0);
  EXPECT_EQ(typical.ToDateTime(false, r), 0);
  EXPECT_EQ(Show(r), "2024-04-01 08:00:00.000");

  VexTime bad = Dynamic(DT_FIXED_DATE);  // no absolute flag
  r = winter;
  EXPECT_EQ(bad.ToDateTime(true, r), E_TIME_RESOLVE_FAILED);
  EXPECT_EQ(Show(r), Show(winter));

  // Double dates: now for TolocalDATE, a fixed Unix time for the other.
  double x = 0;
  EXPECT_EQ(VexTime(winter, TIME_MODE_LOCAL, false).TolocalDATE(x, true), 0);
  EXPECT_EQ(Show(DateTime(x)), "2024-01-10 09:00:00.000");
  EXPECT_EQ(VexTime(winter, TIME_MODE_LOCAL, false).TolocalDATEWithFixedTime(x, false, 12345), 0);
  EXPECT_EQ(Show(DateTime(x)), "2024-01-10 10:00:00.000");
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
  EXPECT_EQ(Show(n), "2023-11-10 10:00:00.000");
  EXPECT_EQ(bad.GetNthTimePointBefore(2, TG_MONTH, n), E_TIME_RESOLVE_FAILED);
  EXPECT_EQ(Show(n), "2023-11-10 10:00:00.000");
  // A dynamic value resolves against now: tomorrow 09:00 local, one day back.
  auto expected = [] {
    DateTime const next = DateTime::Now() + TimeSpan(TimeSpan::kDay);
    return Show(DateTime(next.GetYear(), next.GetMonth(), next.GetDay(), 9).ToUTCTime() - TimeSpan(TimeSpan::kDay));
  };
  std::string const before = expected();
  EXPECT_EQ(tomorrow.GetNthTimePointBefore(1, TG_DAY, n), 0);
  EXPECT_TRUE(Show(n) == before || Show(n) == expected()) << Show(n);
}

// --- Comparison ------------------------------------------------------------------------------

TEST_F(VexTimeBerlin, EqualityRules) {
  DateTime const instant(2024, 7, 1, 10, 0, 0, 0);
  VexTime const utc(instant, TIME_MODE_UTC, true);
  VexTime const local(instant, TIME_MODE_LOCAL, true);  // the same instant, stored as 12:00 local
  EXPECT_TRUE(utc == local);
  EXPECT_TRUE(local == utc);
  EXPECT_FALSE(utc == VexTime(instant, TIME_MODE_LOCAL, false));
  EXPECT_TRUE(VexTime() == VexTime());
  EXPECT_FALSE(VexTime() == utc);
  EXPECT_FALSE(utc == VexTime());

  VexTime a = Dynamic(DT_RELATIVE_DAY), b = Dynamic(DT_RELATIVE_DAY);
  a.PutDynamicDayOffset(3);
  b.PutHour(5, true);
  EXPECT_TRUE(a == b);  // kinds only
  EXPECT_FALSE(a == Dynamic(DT_RELATIVE_DAY | DT_FLAG_RELATIVE_HOUR));

  // Dynamic against static: resolved against now. Kind 2 with no offsets is
  // now (to the second).
  VexTime const now = Dynamic(DT_RELATIVE_DATE_TIME);
  DateTime t = DateTime::NowUTC();
  t.PutMillisecond(0);
  VexTime const staticNow(t, TIME_MODE_UTC, true);
  if (now == staticNow) {
    EXPECT_TRUE(staticNow == now);
  } else {  // a second boundary passed in between
    EXPECT_NE(DateTime::NowUTC().GetSecond(), t.GetSecond());
  }
}

TEST_F(VexTimeBerlin, OrderingRules) {
  VexTime const early(DateTime(2000, 1, 1), TIME_MODE_UTC, true);
  VexTime const late(DateTime(2000, 1, 1, 0, 30), TIME_MODE_LOCAL, false);  // 1999-12-31 23:30 UTC
  EXPECT_TRUE(late < early);
  EXPECT_TRUE(early > late);
  EXPECT_FALSE(early < late);
  VexTime const kind1 = Dynamic(1), kind0 = Dynamic(0), now = Dynamic(DT_RELATIVE_DATE_TIME);
  VexTime const flagged1 = Dynamic(1 | DT_FLAG_BUSINESS_DAYS);  // resolves to nothing, but not "kind 1"
  for (VexTime const* v : {&early, &late, &now, &flagged1}) {
    EXPECT_TRUE(kind1 < *v);
    EXPECT_TRUE(*v > kind1);
    EXPECT_FALSE(*v < kind1);
    EXPECT_TRUE(*v < kind0);
    EXPECT_TRUE(kind0 > *v);
    EXPECT_FALSE(kind0 < *v);
  }
  EXPECT_TRUE(kind1 < kind0);
  EXPECT_TRUE(kind0 > kind1);
  EXPECT_FALSE(kind1 < kind1);
  EXPECT_FALSE(kind0 < kind0);
  EXPECT_FALSE(kind0 > kind0);
  EXPECT_FALSE(now < now);
  EXPECT_FALSE(now > now);
  EXPECT_TRUE(early < now);  // now is after 2000
  EXPECT_TRUE(now > late);
  EXPECT_TRUE(flagged1 < early);  // a failed resolution stands for 1899-12-30

  // An unset value orders before every value, kinds 0 and 1 included.
  VexTime const unset;
  for (VexTime const* v : {&early, &kind1, &kind0, &now}) {
    EXPECT_TRUE(unset < *v);
    EXPECT_FALSE(*v < unset);
    EXPECT_TRUE(*v > unset);
    EXPECT_FALSE(unset > *v);
  }
  EXPECT_FALSE(unset < unset);
  EXPECT_FALSE(unset > unset);
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
  for (int kind : std::initializer_list<int>{0, 1, 15, -5, DT_RELATIVE_DATE_TIME | DT_FLAG_BUSINESS_DAYS,
                   DT_RELATIVE_MONTH_DAY | DT_FLAG_BUSINESS_DAYS}) {
    EXPECT_EQ(Dynamic(kind).GetExpiration(e), 1) << kind;
  }
  EXPECT_EQ(VexTime().GetExpiration(e), 1);
  EXPECT_EQ(VexTime(DateTime(2024, 1, 1), TIME_MODE_UTC, true).GetExpiration(e), 1);
  EXPECT_EQ(Stored(e), "1990-01-01 00:00:00.000");
  EXPECT_EQ(e.GetRealMode(), TIME_MODE_LOCAL);

  // A value may receive its own expiration.
  VexTime self = Dynamic(DT_RELATIVE_YEAR_DATE);
  ASSERT_EQ(self.GetExpiration(self), 0);
  EXPECT_EQ(self.GetRealMode(), TIME_MODE_UTC);
  EXPECT_EQ(self.GetMonth(false, false), 1);
  EXPECT_EQ(self.GetDay(false, false), 1);
  EXPECT_EQ(self.GetHour(false, false), 0);
}

TEST(VexTimeZones, ExpirationIsLocalMidnightInUTC) {
  ScopedTZ tz("<+01>-1");  // one hour east of UTC, no daylight saving
  VexTime e;
  VexTime const day = Dynamic(DT_RELATIVE_DAY);
  std::string const before = Show(DateTime::Now() + TimeSpan(TimeSpan::kDay)).substr(0, 10);
  ASSERT_EQ(day.GetExpiration(e), 0);
  std::string const after = Show(DateTime::Now() + TimeSpan(TimeSpan::kDay)).substr(0, 10);
  DateTime got;
  e.ToDateTime(true, got);
  EXPECT_EQ(got.GetHour(), 23);  // 23:00 UTC of today: local midnight of tomorrow
  EXPECT_EQ(got.GetMinute() | got.GetSecond() | got.GetMillisecond(), 0);
  std::string const local = Show(got + TimeSpan(TimeSpan::kHour)).substr(0, 10);
  EXPECT_TRUE(local == before || local == after) << local;
}

}  // namespace
}  // namespace QDataType
