// The platform layer under DateTime and TimeZone: the ODBC and Unix-time
// forms, the clock and the zone queries, the zone-file reader (closing-rule
// texts with answers worked out by hand, damaged or extreme files refused) and
// the zone descriptions. (The answers of every zone of the machine are checked
// against zoneinfo in TimeZone_test.)
#include <gtest/gtest.h>

#include <time.h>

#include <array>
#include <climits>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "DataType/Calendar/DateTime.h"
#include "DataType/Calendar/TimeZone.h"
#include "DateTimeTestPeer.h"
#include "Platform/Zone.h"
#include "Platform/internal/ZoneFile.h"
#include "support/Fields.h"
#include "support/ScopedTZ.h"

namespace QDataType {
namespace {

using Platform::zone_internal::FooterRule;
using testing_fields::Fields;
using testing_fields::FieldsOf;
using testing_zone::ScopedTZ;

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
  ScopedTZ longName("<ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghij>-1");  // cut at 31 units
  W const cut = name(40);
  ASSERT_EQ(cut.size(), 32u);
  EXPECT_EQ(cut[30], 'e');
  EXPECT_EQ(cut[31], 0);
}

std::vector<unsigned char> ZoneFileBytes(char const* name) {
  std::ifstream in(std::string("/usr/share/zoneinfo/") + name, std::ios::binary);
  return std::vector<unsigned char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

FooterRule Parsed(std::string const& text) {
  FooterRule rule;
  rule.usable = Platform::zone_internal::ParseFooter(text.data(), text.size(), rule);
  return rule;
}

TEST(ZoneFile, RuleTexts) {
  FooterRule r = Parsed("<+0330>-3:30");
  EXPECT_TRUE(r.usable && !r.hasDaylight);
  EXPECT_EQ(r.OffsetAt(1LL << 33), 12600);
  r = Parsed("<-02>2<-01>,M3.5.0/-1,M10.5.0/0");  // negative change times
  ASSERT_TRUE(r.usable);
  EXPECT_EQ(r.daylightOffset, -3600);
  EXPECT_EQ(r.start.seconds, -3600);
  r = Parsed("IST-2IDT,M3.4.4/26,M10.5.0");  // past 24 hours
  ASSERT_TRUE(r.usable);
  EXPECT_EQ(r.start.seconds, 26 * 3600);
  r = Parsed("EST5EDT4,0/0,J365/25");  // daylight time all year
  ASSERT_TRUE(r.usable);
  EXPECT_EQ(r.OffsetAt(2530767600LL), -4 * 3600);

  // Anything not understood in full is left to the C library.
  for (char const* text : {"", "EST", "ES5", "EST5EDT", "EST5EDT,M3.2.0", "EST5EDT,M13.2.0,M11.1.0",
                           "EST5EDT,M3.6.0,M11.1.0", "EST5EDT,J0,J365", "EST5EDT,366,J365", "EST25",
                           "EST5:60", "EST5EDT,M3.2.0/168,M11.1.0", "<+03-3", "<+3>-3", "EST5EDT,M3.2.0,M11.1.0x",
                           "EST5EDT,M3.2.0,M11.1.0/1:2:3:4", "EST1234"}) {
    EXPECT_FALSE(Parsed(text).usable) << text;
  }
}

// Every shorter prefix of a file, and every single-byte change of a count,
// either reads as the same rule or is refused; none reads outside the bytes.
// A closing rule that is there but not understood, an offset beyond 26 hours
// or an instant beyond 2^62 seconds refuse the whole file rather than answer
// wrongly; a file without transitions is read (its rule, or its last type,
// holds everywhere).
TEST(ZoneFile, DamagedRefusedAndAcceptedFiles) {
  std::vector<unsigned char> const york = ZoneFileBytes("America/New_York"), utc = ZoneFileBytes("UTC");
  if (york.empty() || utc.empty()) GTEST_SKIP() << "no America/New_York or UTC on this machine";
  auto table = [](std::vector<unsigned char> const& bytes) {
    return Platform::zone_internal::ReadZoneTable(bytes.data(), bytes.size());
  };
  FooterRule const whole = table(york).footer;
  ASSERT_TRUE(table(york).usable && whole.usable);
  for (size_t n = 0; n < york.size(); ++n) {
    EXPECT_FALSE(table(std::vector<unsigned char>(york.begin(), york.begin() + static_cast<long>(n))).footer.usable) << n;
  }
  for (size_t at = 20; at < 44; ++at) {
    std::vector<unsigned char> changed = york;
    changed[at] ^= 0x80;
    FooterRule const r = table(changed).footer;
    EXPECT_TRUE(!r.usable || r.standardOffset == whole.standardOffset) << at;
  }
  EXPECT_FALSE(Platform::zone_internal::ReadZoneTable(nullptr, 0).usable);

  std::string const text(york.begin(), york.end());
  size_t const rule = text.rfind("EST5EDT");
  ASSERT_NE(rule, std::string::npos);
  std::vector<unsigned char> garbled = york;
  garbled[rule + 3] = '?';  // "EST?EDT,...": not a rule
  EXPECT_FALSE(table(garbled).usable);
  // The second header's counts start 44 + the first part's data in; its
  // first type's offset follows the transitions and their indices.
  auto counts = [](std::vector<unsigned char> const& b, size_t at, int k) {
    return (static_cast<size_t>(b[at + 20 + 4 * k]) << 24) | (static_cast<size_t>(b[at + 21 + 4 * k]) << 16) |
           (static_cast<size_t>(b[at + 22 + 4 * k]) << 8) | b[at + 23 + 4 * k];
  };
  size_t const second = 44 + counts(york, 0, 3) * 5 + counts(york, 0, 4) * 6 + counts(york, 0, 5) +
                        counts(york, 0, 2) * 8 + counts(york, 0, 1) + counts(york, 0, 0);
  size_t const times = counts(york, second, 3);
  std::vector<unsigned char> farOffset = york;
  farOffset[second + 44 + times * 9] = 0x7f;  // type 0 ~ +590 days
  EXPECT_FALSE(table(farOffset).usable);
  std::vector<unsigned char> farInstant = york;
  farInstant[second + 44 + 8 * (times - 1)] = 0x7f;  // the last transition ~ +2^62.99
  EXPECT_FALSE(table(farInstant).usable);

  Platform::zone_internal::ZoneTable const none = table(utc);
  ASSERT_TRUE(none.usable);
  EXPECT_TRUE(none.at.empty());
  for (long long t : {-(1LL << 50), 0LL, 1LL << 50}) EXPECT_EQ(none.OffsetAt(t), 0);
}

// Known facts about a few zones, read at fixed instants.
TEST(ZonePlatform, DescribeZoneReadsStandardAndDaylight) {
  long long const jan = 1705320000, jul = 1721044800;  // 2024-01-15, 2024-07-15
  struct {
    char const* tz;
    long long at;
    int standard, step;
    bool daylight;
    char const *standardName, *daylightName;
  } const cases[] = {
      {testing_zone::kCentralEurope, jul, 3600, 3600, true, "CET", "CEST"},
      {"AEST-10AEDT,M10.1.0,M4.1.0/3", jan, 36000, 3600, true, "AEST", "AEDT"},  // southern summer
      {"IST-5:30", jul, 19800, 0, false, "IST", ""},
      {"<+1030>-10:30<+11>-11,M10.1.0,M4.1.0", jan, 37800, 1800, true, "+1030", "+11"},  // half-hour step
      {"IST-1GMT0,M10.5.0,M3.5.0/1", jul, 0, 3600, true, "GMT", "IST"},  // "daylight" time in winter
      {"IST-1GMT0,M10.5.0,M3.5.0/1", jan, 0, 3600, false, "GMT", "IST"},
      {"XST-1XDT,J1/0,J365/25", jan, 7200, 0, false, "XDT", ""},  // daylight all year: one offset
  };
  for (auto const& c : cases) {
    ScopedTZ tz(c.tz);
    Platform::ZoneDescription const d = Platform::DescribeZone(c.at);
    EXPECT_EQ(d.standardOffset, c.standard) << c.tz;
    EXPECT_EQ(d.daylightStep, c.step) << c.tz;
    EXPECT_EQ(d.daylightNow, c.daylight) << c.tz << " " << c.at;
    EXPECT_STREQ(d.standardName, c.standardName) << c.tz;
    EXPECT_STREQ(d.daylightName, c.daylightName) << c.tz;
  }
}

TEST(ZonePlatform, OutOfRangeInstantsAreRefused) {
  ScopedTZ tz("Europe/Berlin");
  struct tm tm;
  EXPECT_FALSE(Platform::LocalTimeAt(9223372036854775807LL, tm));
  EXPECT_EQ(tm.tm_year, 0);
  // Instants beyond the calendar get the offsets at the ends of the rules.
  TimeZone const& zone = TimeZone::Local();
  EXPECT_EQ(zone.GetOffset(-9223372036854775807LL - 1), zone.GetOffset(-(1LL << 40)));
  EXPECT_EQ(zone.GetOffset(9223372036854775807LL), zone.GetOffset(1LL << 56));
  EXPECT_TRUE(Platform::LocalTimeAt(253402300799LL, tm));  // 9999-12-31 23:59:59 UTC
  EXPECT_EQ(tm.tm_year, 10000 - 1900);
}

}  // namespace
}  // namespace QDataType
