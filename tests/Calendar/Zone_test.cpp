// Conversions between UTC and local wall time, checked against vectors that
// Python's zoneinfo computed from the same tz database
// (tests/data/gen_zone_vectors.py), plus the zone descriptions.
#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "DataType/Calendar/DateTime.h"
#include "DateTimeTestPeer.h"
#include "Platform/Zone.h"
#include "ZoneScopedTZ.h"

namespace QDataType {
namespace {

using testing_zone::ScopedTZ;
using Fields = std::array<int, 7>;

struct Conversion {
  char kind;  // 'U' UTC -> local, 'L' local -> UTC
  Fields in, out;
  int offsetMinutes;
  std::string line;
};

struct Resolution {
  long long local, instant;
  int offset;
  std::string line;
};

struct Vectors {
  std::map<std::string, std::vector<Conversion>> conversions;
  std::map<std::string, std::vector<Resolution>> resolutions;
};

Vectors const& LoadVectors() {
  static Vectors const vectors = [] {
    Vectors v;
    std::ifstream in(QDT_TEST_DATA_DIR "/zone_vectors.txt");
    std::string line;
    while (std::getline(in, line)) {
      if (line.empty() || line[0] == '#') continue;
      std::istringstream s(line);
      char kind;
      std::string zone;
      s >> kind >> zone;
      if (kind == 'R') {
        Resolution r{0, 0, 0, line};
        s >> r.local >> r.instant >> r.offset;
        v.resolutions[zone].push_back(r);
      } else {
        Conversion c{kind, {}, {}, 0, line};
        for (int& f : c.in) s >> f;
        for (int& f : c.out) s >> f;
        s >> c.offsetMinutes;
        v.conversions[zone].push_back(c);
      }
    }
    return v;
  }();
  return vectors;
}

Fields FieldsOf(DateTime const& d) {
  return {d.GetYear(), d.GetMonth(), d.GetDay(), d.GetHour(), d.GetMinute(), d.GetSecond(), d.GetMillisecond()};
}

DateTime Make(Fields const& f) { return DateTime(f[0], f[1], f[2], f[3], f[4], f[5], f[6]); }

TEST(ZoneVectors, FileCoversEveryKindAndZone) {
  Vectors const& v = LoadVectors();
  ASSERT_GE(v.conversions.size(), 3u) << "zone_vectors.txt missing or empty";
  for (auto const& z : v.conversions) {
    int u = 0, l = 0;
    for (Conversion const& c : z.second) (c.kind == 'U' ? u : l)++;
    EXPECT_GT(u, 50) << z.first;
    EXPECT_GT(l, 50) << z.first;
    EXPECT_GT(v.resolutions.count(z.first), 0u) << z.first;
  }
}

// Platform::ResolveLocal on plain counts of seconds.
TEST(ZonePlatform, ResolveLocalMatchesZoneinfo) {
  for (auto const& z : LoadVectors().resolutions) {
    ScopedTZ tz(z.first.c_str());
    int failures = 0;
    for (Resolution const& r : z.second) {
      Platform::LocalResolution const got = Platform::ResolveLocal(r.local);
      if ((got.instant != r.instant || got.offset != r.offset) && ++failures <= 5) {
        ADD_FAILURE() << z.first << ": " << r.line << "\n  got " << got.instant << " " << got.offset;
      }
    }
    EXPECT_EQ(failures, 0) << z.first;
  }
}

TEST(ZoneConversion, ToLocalTimeAndToUTCTimeMatchZoneinfo) {
  for (auto const& z : LoadVectors().conversions) {
    ScopedTZ tz(z.first.c_str());
    int failures = 0;
    for (Conversion const& c : z.second) {
      DateTime const in = Make(c.in);
      ASSERT_EQ(FieldsOf(in), c.in) << c.line;  // the input is a valid date
      DateTime const got = c.kind == 'U' ? in.ToLocalTime() : in.ToUTCTime();
      bool ok = FieldsOf(got) == c.out && got.GetBias() == 0 && got.GetDaylightBias() == 0;
      if (c.kind == 'L') ok = ok && in.GetTimeZoneBias() == -c.offsetMinutes;
      if (!ok && ++failures <= 5) {
        DateTime const& g = got;
        ADD_FAILURE() << c.line << "\n  got " << g.GetYear() << " " << g.GetMonth() << " " << g.GetDay() << " "
                      << g.GetHour() << " " << g.GetMinute() << " " << g.GetSecond() << " "
                      << g.GetMillisecond() << " bias " << in.GetTimeZoneBias();
      }
    }
    EXPECT_EQ(failures, 0) << z.first;
  }
}

// The private normalisation fills the whole broken-down time from the value
// (same-pattern year) and returns the instant of ToUTCTime.
TEST(ZoneConversion, MktimeBreaksDownTheResolvedInstant) {
  ScopedTZ tz("Europe/Berlin");
  struct Case {
    DateTime local;
    long long instant;
    int hour, isdst, wday, yday;
  } const cases[] = {
      {DateTime(2024, 7, 1, 12, 0, 0), 1719828000, 12, 1, 1, 182},
      {DateTime(2024, 3, 31, 2, 30, 0), 1711848600, 3, 1, 0, 90},    // skipped: comes out as 03:30 CEST
      {DateTime(2024, 10, 27, 2, 30, 0), 1729989000, 2, 1, 0, 300},  // repeated: the earlier, CEST
      {DateTime(2500, 1, 15, 8, 0, 0), 32770800, 8, 0, 5, 14},       // stand-in year 1971, same weekday
  };
  for (Case const& c : cases) {
    struct tm t {};
    EXPECT_EQ(DateTimeTestPeer::Mktime(c.local, t), c.instant);
    EXPECT_EQ(t.tm_hour, c.hour);
    EXPECT_EQ(t.tm_isdst, c.isdst);
    EXPECT_EQ(t.tm_wday, c.wday);
    EXPECT_EQ(t.tm_yday, c.yday);
  }
}

TEST(ZoneConversion, NewYearCarriesOntoTheRealYear) {
  ScopedTZ tz("Europe/Berlin");
  for (int year : {2023, 2500, 1960}) {
    DateTime const local = DateTime(year, 12, 31, 23, 30, 0, 250).ToLocalTime();
    EXPECT_EQ(FieldsOf(local), (Fields{year + 1, 1, 1, 0, 30, 0, 250})) << year;
    EXPECT_EQ(FieldsOf(DateTime(year + 1, 1, 1, 0, 30, 0, 250).ToUTCTime()), (Fields{year, 12, 31, 23, 30, 0, 250}))
        << year;
  }
  // Summer and winter offsets come from the date converted, not from today.
  EXPECT_EQ(DateTime(2024, 7, 1, 12, 0, 0).ToLocalTime().GetHour(), 14);
  EXPECT_EQ(DateTime(2024, 1, 1, 12, 0, 0).ToLocalTime().GetHour(), 13);
  EXPECT_EQ(DateTime(2024, 7, 1, 12, 0, 0).GetTimeZoneBias(), -120);
  EXPECT_EQ(DateTime(2024, 1, 1, 12, 0, 0).GetTimeZoneBias(), -60);
}

TEST(ZoneConversion, ResultsCarryNoBiasesAndKeepTheMillisecond) {
  ScopedTZ tz("Australia/Adelaide");
  DateTime const v(2024, 1, 10, 5, 6, 7, 999, 630, 60);
  DateTime const local = v.ToLocalTime();
  EXPECT_EQ(FieldsOf(local), (Fields{2024, 1, 10, 15, 36, 7, 999}));  // +10:30 in summer
  EXPECT_EQ(local.GetBias(), 0);
  EXPECT_EQ(local.GetDaylightBias(), 0);
  EXPECT_EQ(FieldsOf(local.ToUTCTime()), FieldsOf(v));
}

// Known facts about a few zones, read at fixed instants.
TEST(ZonePlatform, DescribeZoneReadsStandardAndDaylight) {
  struct Case {
    char const* tz;
    long long at;
    int standard, step;
    bool daylight;
    char const* standardName;
    char const* daylightName;
  } const cases[] = {
      {"Europe/Berlin", 1705320000, 3600, 3600, false, "CET", "CEST"},        // 2024-01-15
      {"Europe/Berlin", 1721044800, 3600, 3600, true, "CET", "CEST"},         // 2024-07-15
      {"Australia/Sydney", 1705320000, 36000, 3600, true, "AEST", "AEDT"},    // southern summer
      {"Australia/Sydney", 1721044800, 36000, 3600, false, "AEST", "AEDT"},
      {"Asia/Kolkata", 1721044800, 19800, 0, false, "IST", ""},
      {"Australia/Lord_Howe", 1705320000, 37800, 1800, true, "+1030", "+11"},
      {"Europe/Dublin", 1721044800, 0, 3600, true, "GMT", "IST"},  // flagged the other way round
      {"Europe/Dublin", 1705320000, 0, 3600, false, "GMT", "IST"},
      {"UTC", 1705320000, 0, 0, false, "UTC", ""},
      {"XST-1XDT,J1/0,J365/25", 1705320000, 7200, 0, false, "XDT", ""},  // daylight all year
  };
  for (Case const& c : cases) {
    ScopedTZ tz(c.tz);
    Platform::ZoneDescription const d = Platform::DescribeZone(c.at);
    EXPECT_EQ(d.standardOffset, c.standard) << c.tz;
    EXPECT_EQ(d.daylightStep, c.step) << c.tz;
    EXPECT_EQ(d.daylightNow, c.daylight) << c.tz << " " << c.at;
    EXPECT_STREQ(d.standardName, c.standardName) << c.tz;
    EXPECT_STREQ(d.daylightName, c.daylightName) << c.tz;
  }
}

TEST(ZonePlatform, OutOfRangeInstantsAreRefusedNotCrashed) {
  ScopedTZ tz("Europe/Berlin");
  struct tm tm;
  EXPECT_FALSE(Platform::LocalTimeAt(9223372036854775807LL, tm));
  EXPECT_EQ(tm.tm_year, 0);
  EXPECT_EQ(Platform::OffsetAt(-9223372036854775807LL - 1), 0);
  Platform::LocalResolution const r = Platform::ResolveLocal(-9223372036854775807LL - 1);
  EXPECT_EQ(r.offset, 0);
  // A breakdown of a year the C library still handles.
  EXPECT_TRUE(Platform::LocalTimeAt(253402300799LL, tm));  // 9999-12-31 23:59:59 UTC
  EXPECT_EQ(tm.tm_year, 10000 - 1900);
}

}  // namespace
}  // namespace QDataType
