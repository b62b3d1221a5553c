// DynamicTime resolved in a zone named per call: "the first day of next month
// at 08:00" for people in three zones, and the call without a zone being the
// same call in the process's zone.
#include <gtest/gtest.h>

#include "DataType/Calendar/TimeZone.h"
#include "DataType/DynamicTime/DynamicTime.h"
#include "support/ScopedTZ.h"

namespace QDataType {
namespace {

using testing_zone::ScopedTZ;

TEST(DynamicTimeZones, FirstOfNextMonthAtEightInThreeZones) {
  DynamicTime first(DT_RELATIVE_MONTH_DAY);
  first.PutMonth(1);
  first.PutDay(1);
  first.PutHour(8);
  first.PutMinute(0);
  first.PutSecond(0);
  struct {
    char const* zone;
    DateTime utc;  // 2026-04-01 08:00 there
  } const cases[] = {
      {testing_zone::kJapan, DateTime(2026, 3, 31, 23, 0)},
      {testing_zone::kCentralEurope, DateTime(2026, 4, 1, 6, 0)},  // summer time since March 29
      {testing_zone::kUSEastern, DateTime(2026, 4, 1, 12, 0)},
  };
  for (auto const& c : cases) {
    TimeZone const* const zone = TimeZone::Find(c.zone);
    ASSERT_NE(zone, nullptr);
    DateTime d(2026, 3, 15, 12, 0);  // the reference, in that zone's wall time
    ASSERT_EQ(first.ToDateTime(d, *zone), 0);
    EXPECT_EQ(d, c.utc) << c.zone;
    ScopedTZ tz(c.zone);
    DateTime same(2026, 3, 15, 12, 0);
    ASSERT_EQ(first.ToDateTime(same), 0);
    EXPECT_EQ(same, c.utc) << c.zone;
  }
}

// The default reference means now in the zone given: "today at 00:00" there
// is within a day before now, and at a whole hour of UTC in a zone a whole
// number of hours from it.
TEST(DynamicTimeZones, DefaultReferenceIsNowThere) {
  DynamicTime today(DT_RELATIVE_DAY);
  today.PutHour(0);
  today.PutMinute(0);
  today.PutSecond(0);
  TimeZone const* const japan = TimeZone::Find(testing_zone::kJapan);
  ASSERT_NE(japan, nullptr);
  DateTime d;
  ASSERT_EQ(today.ToDateTime(d, *japan), 0);
  long long const now = DateTime::NowUTC().Totime_t(), at = d.Totime_t();
  EXPECT_LE(at, now);
  EXPECT_GT(at, now - 86400);
  EXPECT_EQ(d.GetHour(), 15);  // 00:00 JST
  EXPECT_EQ(d.GetMinute(), 0);
}

}  // namespace
}  // namespace QDataType
