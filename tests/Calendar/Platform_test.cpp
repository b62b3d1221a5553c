// DateTime's ODBC and Unix-time forms, the clock and the zone queries.
#include <gtest/gtest.h>

#include <time.h>

#include <array>
#include <climits>
#include <random>
#include <string>

#include "DataType/Calendar/DateTime.h"
#include "DateTimeTestPeer.h"
#include "support/Fields.h"
#include "support/ScopedTZ.h"

namespace QDataType {
namespace {

using testing_zone::ScopedTZ;
using testing_fields::Fields;
using testing_fields::FieldsOf;

// All eleven fields (caches and biases last).
std::array<int, 11> F(DateTime const& d) { return DateTimeTestPeer::Fields(d); }
std::array<int, 11> Fresh(int y, int mo, int d, int h, int mi, int s, int ms) {
  return {y, mo, d, h, mi, s, ms, -1, -1, 0, 0};
}

TEST(PlatformODBC, ConstructorsClampAndConversionsCopy) {
  EXPECT_EQ(F(DateTime(ODBCDateTime{2024, 2, 30, 12, 0, 0, 999999999})), Fresh(2024, 2, 29, 12, 0, 0, 999));
  EXPECT_EQ(DateTime(ODBCDateTime{2024, 2, 3, 4, 5, 6, 1000000000}).GetMillisecond(), 0);
  EXPECT_EQ(DateTime(ODBCDateTime{2024, 2, 3, 4, 5, 6, 1999999}).GetMillisecond(), 1);
  EXPECT_EQ(F(DateTime(ODBCDateTime{2023, 12, 31, 24, 0, 0, 0})), Fresh(2024, 1, 1, 0, 0, 0, 0));
  EXPECT_EQ(F(DateTime(ODBCDate{2024, 4, 31})), Fresh(2024, 4, 30, 0, 0, 0, 0));
  EXPECT_EQ(F(DateTime(ODBCDate{2023, 13, 0})), Fresh(2023, 12, 1, 0, 0, 0, 0));
  EXPECT_EQ(F(DateTime(ODBCTime{9, 30, 0})), Fresh(1899, 12, 31, 9, 30, 0, 0));
  EXPECT_EQ(F(DateTime(ODBCTime{24, 0, 0})), Fresh(1900, 1, 1, 0, 0, 0, 0));
  EXPECT_EQ(FieldsOf(DateTime(ODBCTime{24, 0, 1})), (Fields{1899, 12, 31, 23, 0, 1, 0}));  // clamped, no carry

  DateTime const v(2024, 6, 15, 10, 20, 30, 456, 60, 60);
  ODBCDateTime const ts = v.ToODBCDateTime();
  EXPECT_EQ(ts.fraction, 456000000u);
  EXPECT_EQ(FieldsOf(DateTime(ts)), FieldsOf(v));
  ODBCDate const d = v.ToODBCDate();
  ODBCTime const t = v.ToODBCTime();
  EXPECT_EQ((std::array<int, 6>{d.year, d.month, d.day, t.hour, t.minute, t.second}),
            (std::array<int, 6>{2024, 6, 15, 10, 20, 30}));
}

TEST(PlatformUnixTime, EdgeCases) {
  EXPECT_EQ(F(DateTime(0LL, 0)), Fresh(1970, 1, 1, 0, 0, 0, 0));
  EXPECT_EQ(F(DateTime(-1LL, 0)), Fresh(1969, 12, 31, 23, 59, 59, 0));
  EXPECT_EQ(F(DateTime(-1LL, 1500)), Fresh(1970, 1, 1, 0, 0, 0, 500));  // joins the count before 1970
  EXPECT_EQ(F(DateTime(86400LL, 1500)), Fresh(1970, 1, 2, 0, 0, 0, 1500));  // kept as given after
  EXPECT_EQ(DateTime(0, 1, 1).Totime_t(), -62167219200LL);
  // Beyond the calendar at either end: held at its limits.
  EXPECT_EQ(FieldsOf(DateTime(LLONG_MAX, 0)), (Fields{65535, 12, 31, 23, 59, 59, 0}));
  EXPECT_EQ(DateTime(65535, 12, 31, 23, 59, 59).Totime_t(), 2005949145599LL);
  EXPECT_EQ(FieldsOf(DateTime(LLONG_MIN, INT_MIN)).at(0), 1);
  EXPECT_EQ(FieldsOf(DateTime(-62135596800LL, INT_MAX)).at(0), 1);
}

// The C library's gmtime_r is the oracle for the calendar fields.
TEST(PlatformUnixTime, AgreesWithGmtimeAndRoundTrips) {
  std::mt19937_64 rng(7);
  std::uniform_int_distribution<long long> seconds(-62135596800LL, 253402300799LL);  // years 1..9999
  for (int i = 0; i < 20000; ++i) {
    long long const s = i < 3 ? i - 1 : seconds(rng);
    int const ms = static_cast<int>(rng() % 1000);
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

// A zone one hour east of UTC with an hour of daylight saving from today +
// `from` to today + `to` days (POSIX rules; the window may wrap round New Year).
std::string HourEastZone(int from, int to) {
  time_t const now = time(nullptr);
  struct tm g;
  gmtime_r(&now, &g);
  int const today = g.tm_yday < 365 ? g.tm_yday + 1 : 365;  // Julian day, no February 29
  auto wrap = [](int day) { return std::to_string(((day - 1) % 365 + 365) % 365 + 1); };
  return "XST-1XDT,J" + wrap(today + from) + "/0,J" + wrap(today + to) + "/0";
}

TEST(PlatformClock, NowAndTheZoneQueries) {
  struct {
    std::string tz;
    int bias, daylightBias;
  } const cases[] = {
      {HourEastZone(-30, 30), 60, 60},  // summer now
      {HourEastZone(120, 240), 60, 0},  // winter now
      {"UTC", 0, 0},
      {"IST-5:30", 330, 0},
      {"<-0330>3:30", -210, 0},
  };
  for (auto const& c : cases) {
    ScopedTZ tz(c.tz.c_str());
    long long const before = time(nullptr);
    DateTime const utc = DateTime::NowUTC();
    DateTime const local = DateTime::Now();
    long long const after = time(nullptr);
    EXPECT_GE(utc.Totime_t(), before);
    EXPECT_LE(utc.Totime_t(), after);
    EXPECT_EQ(utc.GetBias() | utc.GetDaylightBias(), 0);
    EXPECT_EQ(local.GetBias(), c.bias) << c.tz;
    EXPECT_EQ(local.GetDaylightBias(), c.daylightBias) << c.tz;
    // Local minus the offset in effect is an instant between the readings.
    long long const instant = local.Totime_t() - (c.bias + c.daylightBias) * 60LL;
    EXPECT_TRUE(instant >= before && instant <= after) << c.tz << " " << instant - before;
    int bias = 12345;
    EXPECT_TRUE(DateTime::GetTimeZoneInfo(bias));
    EXPECT_EQ(bias, c.bias) << c.tz;
    EXPECT_TRUE(DateTime::GetTimeZoneInfoWithDaylightSavingTime(bias));
    EXPECT_EQ(bias, c.bias + c.daylightBias) << c.tz;
  }
}

TEST(PlatformZoneName, StandardNameWithinTheGivenSize) {
  using W = QBase::WString;
  struct tm t {};
  unsigned short buf[40];
  auto name = [&](unsigned long long size) {  // what was written, terminator and guard included
    for (unsigned short& u : buf) u = 0xFFFF;
    DateTime::GetTimeZoneName(buf, size, t);
    return W(buf, buf + 40).substr(0, W(buf, buf + 40).find(0xFFFF));
  };
  ScopedTZ tz(HourEastZone(-30, 30).c_str());  // daylight now: still the standard name
  EXPECT_EQ(name(40), (W{'X', 'S', 'T', 0}));
  EXPECT_EQ(name(2), (W{'X', 0}));
  EXPECT_EQ(name(1), (W{0}));
  EXPECT_EQ(name(0), W());
  {
    ScopedTZ kolkata("IST-5:30");
    EXPECT_EQ(name(40), (W{'I', 'S', 'T', 0}));
  }
  ScopedTZ longName("<ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghij>-1");  // cut at 31 units
  W const cut = name(40);
  ASSERT_EQ(cut.size(), 32u);
  EXPECT_EQ(cut[30], 'e');
  EXPECT_EQ(cut[31], 0);
}

}  // namespace
}  // namespace QDataType
