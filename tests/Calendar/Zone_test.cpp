// Conversions between UTC and local wall time, checked against vectors that
// Python's zoneinfo computed from the same tz database
// (tests/data/gen_zone_vectors.py), plus the zone descriptions.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "DataType/Calendar/DateTime.h"
#include "DataType/Calendar/TimeZone.h"
#include "DateTimeTestPeer.h"
#include "Platform/Zone.h"
#include "support/Fields.h"
#include "support/ScopedTZ.h"
#include "support/ZoneVectors.h"

namespace QDataType {
namespace {

using testing_zone::ScopedTZ;
using testing_fields::Fields;
using testing_fields::FieldsOf;


// Each line: U|L zone, 7 input fields, 7 output fields, offset in minutes;
// or R zone, local seconds, instant, offset in seconds. Zones come from the
// tz database that generated the file; one this machine lacks is skipped and
// named. Every answer is checked twice: in the process's zone (TZ set to the
// zone) and in the zone found by name.
TEST(ZoneVectors, ConversionsMatchZoneinfo) {
  std::ifstream in;
  ASSERT_TRUE(testing_zone::OpenZoneVectors("zone_vectors.txt", in));
  std::unique_ptr<ScopedTZ> tz;
  std::string line, current, skipped;
  bool present = false;
  TimeZone const* named = nullptr;
  int counts[3] = {0, 0, 0}, zones = 0;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream s(line);
    char kind;
    std::string zone;
    s >> kind >> zone;
    std::vector<long long> v;
    for (long long x; s >> x;) v.push_back(x);
    if (zone != current) {
      current = zone;
      present = std::ifstream("/usr/share/zoneinfo/" + zone).good();
      tz.reset();
      if (!present) {
        skipped += " " + zone;
        continue;
      }
      tz.reset(new ScopedTZ(zone.c_str()));
      named = TimeZone::Find(zone.c_str());
      ASSERT_NE(named, nullptr) << zone;
      ++zones;
    }
    if (!present) continue;
    if (kind == 'R') {
      ASSERT_EQ(v.size(), 3u) << line;
      DateTime const reading(v[0], 0);
      EXPECT_EQ(TimeZone::Local().Lookup(reading).earlier.Totime_t(), v[1]) << line;
      EXPECT_EQ(named->Lookup(reading).earlier.Totime_t(), v[1]) << line;
      counts[2]++;
      continue;
    }
    ASSERT_EQ(v.size(), 15u) << line;
    auto at = [&v](int k) { return static_cast<int>(v[k]); };
    DateTime const d(at(0), at(1), at(2), at(3), at(4), at(5), at(6), 90, 60);
    Fields const want{at(7), at(8), at(9), at(10), at(11), at(12), at(13)};
    DateTime const got = kind == 'U' ? d.ToLocalTime() : d.ToUTCTime();
    EXPECT_EQ(FieldsOf(got), want) << line;
    EXPECT_EQ(got.GetBias() | got.GetDaylightBias(), 0) << line;
    DateTime const inNamed = kind == 'U' ? d.ToLocalTime(*named) : d.ToUTCTime(*named);
    EXPECT_EQ(FieldsOf(inNamed), want) << line << " (by name)";
    EXPECT_EQ(inNamed.GetBias() | inNamed.GetDaylightBias(), 0) << line;
    if (kind == 'L') {
      EXPECT_EQ(d.GetTimeZoneBias(), -v[14]) << line;  // the offset ToUTCTime applied
    }
    counts[kind == 'U' ? 0 : 1]++;
  }
  if (!skipped.empty()) std::printf("zones not on this machine, skipped:%s\n", skipped.c_str());
  EXPECT_GT(zones, 300);
  EXPECT_GT(counts[0], 5000);
  EXPECT_GT(counts[1], 5000);
  EXPECT_GT(counts[2], 5000);
}

// The private normalisation resolves the reading (same-pattern year) and
// breaks the instant down again, filling every member.
TEST(ZoneConversion, MktimeBreaksDownTheResolvedInstant) {
  ScopedTZ tz(testing_zone::kCentralEurope);
  struct {
    DateTime local;
    int instant, hour, isdst, wday, yday;
  } const cases[] = {
      {DateTime(2024, 7, 1, 12, 0, 0), 1719828000, 12, 1, 1, 182},
      {DateTime(2024, 3, 31, 2, 30, 0), 1711848600, 3, 1, 0, 90},    // skipped: 03:30 CEST
      {DateTime(2024, 10, 27, 2, 30, 0), 1729989000, 2, 1, 0, 300},  // repeated: the earlier
      {DateTime(2500, 1, 15, 8, 0, 0), 32770800, 8, 0, 5, 14},       // stand-in 1971, same weekday
  };
  for (auto const& c : cases) {
    struct tm t {};
    EXPECT_EQ(DateTimeTestPeer::Mktime(c.local, t), c.instant);
    EXPECT_EQ((std::array<int, 4>{t.tm_hour, t.tm_isdst, t.tm_wday, t.tm_yday}),
              (std::array<int, 4>{c.hour, c.isdst, c.wday, c.yday}))
        << c.instant;
  }
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
      {testing_zone::kCentralEurope, jan, 3600, 3600, false, "CET", "CEST"},
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
