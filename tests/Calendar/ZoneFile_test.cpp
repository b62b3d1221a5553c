// The platform's zone layer: the zone-file reader (closing-rule texts with
// answers worked out by hand, damaged or extreme files refused) and the zone
// descriptions. (The answers of every zone of the machine are checked against
// zoneinfo in TimeZone_test.)
#include <gtest/gtest.h>

#include <time.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "DataType/Calendar/TimeZone.h"
#include "Platform/Zone.h"
#include "Platform/internal/ZoneFile.h"
#include "support/ScopedTZ.h"

namespace QDataType {
namespace {

using Platform::zone_internal::FooterRule;
using testing_zone::ScopedTZ;

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
  FooterRule r = Parsed("EST5EDT,M3.2.0,M11.1.0");
  ASSERT_TRUE(r.usable && r.hasDaylight);
  EXPECT_EQ(r.standardOffset, -5 * 3600);
  EXPECT_EQ(r.daylightOffset, -4 * 3600);
  long long on, off;
  r.ChangesIn(2050, on, off);
  EXPECT_EQ(on, 2530767600LL);   // 2050-03-13 02:00 EST
  EXPECT_EQ(off, 2551327200LL);  // 2050-11-06 02:00 EDT

  r = Parsed("<+0330>-3:30");
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

TEST(ZoneFile, DamagedFilesAreNotUsed) {
  std::vector<unsigned char> const file = ZoneFileBytes("America/New_York");
  if (file.empty()) GTEST_SKIP() << "no America/New_York on this machine";
  FooterRule const whole = Platform::zone_internal::ReadZoneTable(file.data(), file.size()).footer;
  ASSERT_TRUE(whole.usable);
  // Every shorter prefix, and every single-byte change of a count, either
  // reads as the same rule or is refused; none reads outside the bytes.
  for (size_t n = 0; n < file.size(); ++n) {
    std::vector<unsigned char> const prefix(file.begin(), file.begin() + static_cast<long>(n));
    EXPECT_FALSE(Platform::zone_internal::ReadZoneTable(prefix.data(), prefix.size()).footer.usable) << n;
  }
  for (size_t at = 20; at < 44; ++at) {
    std::vector<unsigned char> changed = file;
    changed[at] ^= 0x80;
    FooterRule const r = Platform::zone_internal::ReadZoneTable(changed.data(), changed.size()).footer;
    EXPECT_TRUE(!r.usable || r.standardOffset == whole.standardOffset) << at;
  }
  EXPECT_FALSE(Platform::zone_internal::ReadZoneTable(nullptr, 0).usable);
}

// What a file must hold to be read at all: a closing rule that is there but
// not understood, an offset beyond 26 hours or an instant beyond 2^62
// seconds refuse the whole file rather than answer wrongly; a file without
// transitions is read (its rule, or its last type, holds everywhere).
TEST(ZoneFile, RefusedAndAcceptedShapes) {
  std::vector<unsigned char> const york = ZoneFileBytes("America/New_York"), utc = ZoneFileBytes("UTC");
  if (york.empty() || utc.empty()) GTEST_SKIP() << "no America/New_York or UTC on this machine";
  auto table = [](std::vector<unsigned char> const& bytes) {
    return Platform::zone_internal::ReadZoneTable(bytes.data(), bytes.size());
  };
  ASSERT_TRUE(table(york).usable);
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
