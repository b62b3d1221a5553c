// DateTime's ODBC and Unix-time forms, the clock and the zone queries.
#include <gtest/gtest.h>

#include <time.h>

#include <array>
#include <climits>
#include <random>
#include <string>

#include "DataType/Calendar/DateTime.h"
#include "DateTimeTestPeer.h"
#include "Platform/Clock.h"
#include "ZoneScopedTZ.h"

namespace QDataType {
namespace {

using testing_zone::ScopedTZ;
using Fields = std::array<int, 7>;

Fields FieldsOf(DateTime const& d) {
  return {d.GetYear(), d.GetMonth(), d.GetDay(), d.GetHour(), d.GetMinute(), d.GetSecond(), d.GetMillisecond()};
}

void ExpectFreshValue(DateTime const& d) {  // caches not computed, biases 0
  auto const f = DateTimeTestPeer::Fields(d);
  EXPECT_EQ(f[DateTimeTestPeer::kWeek], -1);
  EXPECT_EQ(f[DateTimeTestPeer::kDayOfWeek], -1);
  EXPECT_EQ(f[DateTimeTestPeer::kBias], 0);
  EXPECT_EQ(f[DateTimeTestPeer::kDaylightBias], 0);
}

// --- ODBC ---------------------------------------------------------------------

TEST(PlatformODBC, ConstructorsClampLikeTheFieldConstructor) {
  DateTime const a(ODBCDateTime{2024, 2, 30, 12, 0, 0, 999999999});
  EXPECT_EQ(FieldsOf(a), (Fields{2024, 2, 29, 12, 0, 0, 999}));
  ExpectFreshValue(a);
  EXPECT_EQ(DateTime(ODBCDateTime{2024, 2, 3, 4, 5, 6, 1000000000}).GetMillisecond(), 0);
  EXPECT_EQ(DateTime(ODBCDateTime{2024, 2, 3, 4, 5, 6, 1999999}).GetMillisecond(), 1);  // truncated
  EXPECT_EQ(FieldsOf(DateTime(ODBCDateTime{2023, 12, 31, 24, 0, 0, 0})), (Fields{2024, 1, 1, 0, 0, 0, 0}));
  EXPECT_EQ(FieldsOf(DateTime(ODBCDateTime{2023, 13, 0, 25, 61, 61, 0})), (Fields{2023, 12, 1, 23, 59, 59, 0}));

  DateTime const d(ODBCDate{2024, 4, 31});
  EXPECT_EQ(FieldsOf(d), (Fields{2024, 4, 30, 0, 0, 0, 0}));
  ExpectFreshValue(d);
  EXPECT_EQ(FieldsOf(DateTime(ODBCDate{2023, 0, 0})), (Fields{2023, 1, 1, 0, 0, 0, 0}));

  DateTime const t(ODBCTime{9, 30, 0});
  EXPECT_EQ(FieldsOf(t), (Fields{1899, 12, 31, 9, 30, 0, 0}));
  ExpectFreshValue(t);
  EXPECT_EQ(FieldsOf(DateTime(ODBCTime{24, 0, 0})), (Fields{1900, 1, 1, 0, 0, 0, 0}));
  EXPECT_EQ(FieldsOf(DateTime(ODBCTime{24, 0, 1})), (Fields{1899, 12, 31, 23, 0, 1, 0}));  // clamped, no carry
}

TEST(PlatformODBC, ConversionsCopyTheFields) {
  DateTime const v(2024, 6, 15, 10, 20, 30, 456, 60, 60);
  ODBCDateTime const ts = v.ToODBCDateTime();
  EXPECT_EQ(ts.year, 2024);
  EXPECT_EQ(ts.month, 6);
  EXPECT_EQ(ts.day, 15);
  EXPECT_EQ(ts.hour, 10);
  EXPECT_EQ(ts.minute, 20);
  EXPECT_EQ(ts.second, 30);
  EXPECT_EQ(ts.fraction, 456000000u);
  EXPECT_EQ(FieldsOf(DateTime(ts)), FieldsOf(v));

  ODBCDate const d = v.ToODBCDate();
  EXPECT_EQ(d.year, 2024);
  EXPECT_EQ(d.month, 6);
  EXPECT_EQ(d.day, 15);
  ODBCTime const t = v.ToODBCTime();
  EXPECT_EQ(t.hour, 10);
  EXPECT_EQ(t.minute, 20);
  EXPECT_EQ(t.second, 30);
  EXPECT_EQ(DateTime(2024, 6, 15, 23, 59, 59, 999).ToODBCDateTime().fraction, 999000000u);
}

// --- Unix time ------------------------------------------------------------------

TEST(PlatformUnixTime, EdgeCases) {
  EXPECT_EQ(FieldsOf(DateTime(0LL, 0)), (Fields{1970, 1, 1, 0, 0, 0, 0}));
  EXPECT_EQ(FieldsOf(DateTime(-1LL, 0)), (Fields{1969, 12, 31, 23, 59, 59, 0}));
  EXPECT_EQ(FieldsOf(DateTime(-1LL, 1500)), (Fields{1970, 1, 1, 0, 0, 0, 500}));  // joins the count
  DateTime const kept(86400LL, 1500);  // kept as given after 1970
  EXPECT_EQ(FieldsOf(kept), (Fields{1970, 1, 2, 0, 0, 0, 1500}));
  ExpectFreshValue(kept);
  ExpectFreshValue(DateTime(-86400LL * 365, 250));
  EXPECT_EQ(FieldsOf(DateTime(951782400LL, 7)), (Fields{2000, 2, 29, 0, 0, 0, 7}));

  EXPECT_EQ(DateTime(1970, 1, 1, 0, 0, 1, 999).Totime_t(), 1);
  EXPECT_EQ(DateTime(1970, 1, 1, 0, 0, 1, 999).Totime_t64(), 2);
  EXPECT_EQ(DateTime(1970, 1, 1, 0, 0, 1, 499).Totime_t64(), 1);
  EXPECT_EQ(DateTime(1969, 12, 31, 23, 59, 59, 400).Totime_t(), 0);
  EXPECT_EQ(DateTime(1969, 12, 31, 23, 59, 59, 400).Totime_t64(), 0);
  EXPECT_EQ(DateTime(1969, 12, 31, 23, 59, 58, 600).Totime_t64(), -1);  // truncates before 1970
  EXPECT_EQ(DateTime(0, 1, 1).Totime_t(), -62167219200LL);
  EXPECT_EQ(DateTime(65535, 12, 31, 23, 59, 59).Totime_t(), 2005949145599LL);

  // Beyond the calendar at either end: clamped, never undefined.
  EXPECT_EQ(FieldsOf(DateTime(LLONG_MAX, 0)), (Fields{65535, 12, 31, 23, 59, 59, 0}));
  EXPECT_EQ(FieldsOf(DateTime(2005949145599LL, 0)), (Fields{65535, 12, 31, 23, 59, 59, 0}));
  DateTime const early(LLONG_MIN, INT_MIN);
  EXPECT_EQ(early.GetYear(), 1);
  EXPECT_EQ(early.GetMonth(), 1);
  EXPECT_EQ(early.GetDay(), 1);
  EXPECT_EQ(DateTime(-62135596800LL, INT_MAX).GetYear(), 1);  // millisecond far out of range
}

// The C library's gmtime_r is the oracle for the calendar fields.
TEST(PlatformUnixTime, AgreesWithGmtimeAndRoundTrips) {
  std::mt19937_64 rng(7);
  std::uniform_int_distribution<long long> seconds(-62135596800LL, 253402300799LL);  // years 1..9999
  std::uniform_int_distribution<int> millis(0, 999);
  for (int i = 0; i < 20000; ++i) {
    long long const s = i < 3 ? (i - 1) : seconds(rng);
    int const ms = millis(rng);
    time_t const tt = static_cast<time_t>(s);
    struct tm g;
    ASSERT_NE(gmtime_r(&tt, &g), nullptr);
    DateTime const d(s, ms);
    ASSERT_EQ(FieldsOf(d), (Fields{g.tm_year + 1900, g.tm_mon + 1, g.tm_mday, g.tm_hour, g.tm_min, g.tm_sec, ms}))
        << s << " " << ms;
    long long const truncated = s < 0 && ms > 0 ? s + 1 : s;  // toward zero
    ASSERT_EQ(d.Totime_t(), truncated) << s << " " << ms;
    ASSERT_EQ(d.Totime_t64(), truncated + (s >= 0 && ms >= 500 ? 1 : 0)) << s << " " << ms;
  }
}

// --- Clock and zone queries --------------------------------------------------------

// Julian day 1..365 (no February 29) of today, for POSIX TZ rules.
int JulianDayToday() {
  time_t const now = time(nullptr);
  struct tm g;
  gmtime_r(&now, &g);
  return g.tm_yday < 365 ? g.tm_yday + 1 : 365;
}

int Wrap(int day) { return ((day - 1) % 365 + 365) % 365 + 1; }

// A zone one hour east of UTC, with one hour of daylight saving in the given
// window of days of the year (which may wrap round New Year).
std::string HourEastZone(int firstDay, int lastDay) {
  return "XST-1XDT,J" + std::to_string(Wrap(firstDay)) + "/0,J" + std::to_string(Wrap(lastDay)) + "/0";
}

long long Seconds(DateTime const& d) { return d.Totime_t(); }

TEST(PlatformClock, NowUTCFollowsTheSystemClock) {
  long long const before = static_cast<long long>(time(nullptr));
  DateTime const now = DateTime::NowUTC();
  long long const after = static_cast<long long>(time(nullptr));
  EXPECT_GE(Seconds(now), before);
  EXPECT_LE(Seconds(now), after);
  EXPECT_EQ(now.GetBias(), 0);
  EXPECT_EQ(now.GetDaylightBias(), 0);
  Platform::ClockReading const c = Platform::ReadClock();
  EXPECT_GE(c.millisecond, 0);
  EXPECT_LE(c.millisecond, 999);
}

TEST(PlatformClock, NowCarriesTheZoneBiases) {
  int const today = JulianDayToday();
  struct Case {
    std::string tz;
    int bias, daylightBias;
  } const cases[] = {
      {HourEastZone(today - 30, today + 30), 60, 60},    // summer now
      {HourEastZone(today + 120, today + 240), 60, 0},   // winter now
      {"UTC", 0, 0},
      {"Asia/Kolkata", 330, 0},
      {"<-0330>3:30", -210, 0},
  };
  for (Case const& c : cases) {
    ScopedTZ tz(c.tz.c_str());
    DateTime const utc = DateTime::NowUTC();
    DateTime const local = DateTime::Now();
    EXPECT_EQ(local.GetBias(), c.bias) << c.tz;
    EXPECT_EQ(local.GetDaylightBias(), c.daylightBias) << c.tz;
    // Local minus UTC is the offset in effect, give or take the moment
    // between the two readings.
    long long const diff = Seconds(local) - Seconds(utc) - (c.bias + c.daylightBias) * 60LL;
    EXPECT_LE(diff < 0 ? -diff : diff, 2) << c.tz;

    int bias = 12345;
    EXPECT_TRUE(DateTime::GetTimeZoneInfo(bias));
    EXPECT_EQ(bias, c.bias) << c.tz;
    EXPECT_TRUE(DateTime::GetTimeZoneInfoWithDaylightSavingTime(bias));
    EXPECT_EQ(bias, c.bias + c.daylightBias) << c.tz;
  }
}

TEST(PlatformZoneName, StandardNameWithinTheGivenSize) {
  int const today = JulianDayToday();
  ScopedTZ tz(HourEastZone(today - 30, today + 30).c_str());  // daylight now: still the standard name
  struct tm t {};
  unsigned short buf[40];
  auto fill = [&buf] {
    for (unsigned short& u : buf) u = 0xFFFF;
  };
  fill();
  DateTime::GetTimeZoneName(buf, 40, t);
  EXPECT_EQ(buf[0], 'X');
  EXPECT_EQ(buf[1], 'S');
  EXPECT_EQ(buf[2], 'T');
  EXPECT_EQ(buf[3], 0);
  EXPECT_EQ(buf[4], 0xFFFF);

  fill();
  DateTime::GetTimeZoneName(buf, 2, t);  // truncated, still terminated
  EXPECT_EQ(buf[0], 'X');
  EXPECT_EQ(buf[1], 0);
  EXPECT_EQ(buf[2], 0xFFFF);
  fill();
  DateTime::GetTimeZoneName(buf, 1, t);
  EXPECT_EQ(buf[0], 0);
  EXPECT_EQ(buf[1], 0xFFFF);
  fill();
  DateTime::GetTimeZoneName(buf, 0, t);
  EXPECT_EQ(buf[0], 0xFFFF);
  DateTime::GetTimeZoneName(nullptr, 40, t);  // nothing to write to

  // A name longer than 31 units is cut at 31.
  ScopedTZ longName("<ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghij>-1");
  fill();
  DateTime::GetTimeZoneName(buf, 40, t);
  EXPECT_EQ(buf[30], 'e');
  EXPECT_EQ(buf[31], 0);
  EXPECT_EQ(buf[32], 0xFFFF);

  ScopedTZ kolkata("Asia/Kolkata");
  fill();
  DateTime::GetTimeZoneName(buf, 40, t);
  EXPECT_EQ(std::basic_string<unsigned short>(buf), (std::basic_string<unsigned short>{'I', 'S', 'T'}));
}

}  // namespace
}  // namespace QDataType
