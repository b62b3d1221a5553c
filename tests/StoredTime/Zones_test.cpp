// VexTime in a zone named per call: a local-mode value is wall time of the
// zone given, and the calls without a zone are the same calls in the
// process's zone.
#include <gtest/gtest.h>

#include "DataType/Calendar/TimeZone.h"
#include "DataType/StoredTime/VexTime.h"
#include "support/ScopedTZ.h"

namespace QDataType {
namespace {

using testing_zone::ScopedTZ;

TEST(VexTimeZones, LocalValuesAreWallTimeOfTheZoneGiven) {
  VexTime const local(DateTime(2026, 7, 1, 9, 30), TIME_MODE_LOCAL, false);
  VexTime const utc(DateTime(2026, 7, 1, 12, 0), TIME_MODE_UTC, true);
  struct {
    char const* zone;
    DateTime localInUtc, utcInLocal;
  } const cases[] = {
      {testing_zone::kJapan, DateTime(2026, 7, 1, 0, 30), DateTime(2026, 7, 1, 21, 0)},
      {testing_zone::kCentralEurope, DateTime(2026, 7, 1, 7, 30), DateTime(2026, 7, 1, 14, 0)},
      {testing_zone::kUSEastern, DateTime(2026, 7, 1, 13, 30), DateTime(2026, 7, 1, 8, 0)},
  };
  for (auto const& c : cases) {
    TimeZone const* const zone = TimeZone::Find(c.zone);
    ASSERT_NE(zone, nullptr);
    DateTime r;
    ASSERT_EQ(local.ToDateTime(true, r, *zone), 0);
    EXPECT_EQ(r, c.localInUtc) << c.zone;
    ASSERT_EQ(utc.ToDateTime(false, r, *zone), 0);
    EXPECT_EQ(r, c.utcInLocal) << c.zone;
    ScopedTZ tz(c.zone);
    ASSERT_EQ(local.ToDateTime(true, r), 0);
    EXPECT_EQ(r, c.localInUtc) << c.zone;
    ASSERT_EQ(utc.ToDateTime(false, r), 0);
    EXPECT_EQ(r, c.utcInLocal) << c.zone;
  }
}

// Tomorrow's midnight in Tokyo is a whole hour 15:00 UTC, whatever TZ says;
// the call without a zone gives the same in TZ=JST-9.
TEST(VexTimeZones, ExpirationAtMidnightOfTheZoneGiven) {
  TimeZone const* const japan = TimeZone::Find(testing_zone::kJapan);
  ASSERT_NE(japan, nullptr);
  VexTime day;
  day.PutDynamicTime(DT_RELATIVE_DAY);
  ScopedTZ tz(testing_zone::kUSEastern);
  VexTime e;
  ASSERT_EQ(day.GetExpiration(e, *japan), 0);
  DateTime d;
  ASSERT_EQ(e.ToDateTime(true, d), 0);
  EXPECT_EQ(d.GetHour(), 15);
  EXPECT_EQ(d.GetMinute() | d.GetSecond() | d.GetMillisecond(), 0);
  long long const now = DateTime::NowUTC().Totime_t();
  EXPECT_GT(d.Totime_t(), now);
  EXPECT_LE(d.Totime_t(), now + 86400);
  ScopedTZ japanTZ(testing_zone::kJapan);
  VexTime same;
  ASSERT_EQ(day.GetExpiration(same), 0);
  DateTime s;
  ASSERT_EQ(same.ToDateTime(true, s), 0);
  EXPECT_EQ(s.GetHour(), 15);
}

}  // namespace
}  // namespace QDataType
