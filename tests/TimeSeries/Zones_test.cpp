// A per-user schedule: "weekdays at 09:30" walked in each user's zone, across
// Europe's change to summer time, and the calls without a zone being the
// same calls in the process's zone.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DataType/Calendar/TimeZone.h"
#include "Schedules.h"
#include "support/ScopedTZ.h"

namespace QDataType {
namespace {

using testing_series::Rule;
using testing_series::Texts;
using testing_zone::ScopedTZ;

constexpr int kWeekdays = 0x3E;  // Monday to Friday

TEST(TimeSeriesZones, WeekdaysAtNineThirtyInThreeZones) {
  auto const series = Rule().Fixed(testing_series::kDow, kWeekdays).At(9, 30).Make();
  DateTime const from(2026, 3, 27, 0, 0);  // a Friday; Europe changes on Sunday the 29th
  struct {
    char const* zone;
    DateTime want[3];
  } const cases[] = {
      {testing_zone::kJapan, {DateTime(2026, 3, 27, 0, 30), DateTime(2026, 3, 30, 0, 30), DateTime(2026, 3, 31, 0, 30)}},
      {testing_zone::kCentralEurope,
       {DateTime(2026, 3, 27, 8, 30), DateTime(2026, 3, 30, 7, 30), DateTime(2026, 3, 31, 7, 30)}},
      {testing_zone::kUSEastern,
       {DateTime(2026, 3, 27, 13, 30), DateTime(2026, 3, 30, 13, 30), DateTime(2026, 3, 31, 13, 30)}},
  };
  for (auto const& c : cases) {
    TimeZone const* const zone = TimeZone::Find(c.zone);
    ASSERT_NE(zone, nullptr);
    std::vector<std::string> const want = Texts(c.want, 3);
    DateTime out[3];
    DateTime* between = nullptr;
    EXPECT_EQ(Texts(out, series->GetNextOccurrences(from, 3, out, *zone)), want) << c.zone;
    EXPECT_EQ(Texts(out, series->GetNextOccurrencesAfterStart(from, from, 3, out, *zone)), want) << c.zone;
    unsigned n = series->GetOccurrencesBetween(from, c.want[2], &between, *zone);
    EXPECT_EQ(Texts(between, n), want) << c.zone;
    delete[] between;
    ScopedTZ tz(c.zone);  // the same calls in the process's zone
    EXPECT_EQ(Texts(out, series->GetNextOccurrences(from, 3, out)), want) << c.zone;
    n = series->GetOccurrencesBetween(from, c.want[2], &between);
    EXPECT_EQ(Texts(between, n), want) << c.zone;
    delete[] between;
  }
}

// From inside the hour that Europe repeats in autumn: the first wall time
// (02:15) reads as its earlier instant, before `from`, so it is taken an hour
// later (03:15 local) and the walk goes on from there, every 15 minutes.
TEST(TimeSeriesZones, AnOccurrenceBeforeFromMovesTheWalkAnHourOn) {
  auto const series = Rule()
                          .Every(testing_series::kHour, 1)
                          .Every(testing_series::kMinute, 15)
                          .Fixed(testing_series::kSecond, 0)
                          .Fixed(testing_series::kMs, 0)
                          .Make();
  TimeZone const* const zone = TimeZone::Find(testing_zone::kCentralEurope);
  ASSERT_NE(zone, nullptr);
  DateTime out[4];
  EXPECT_EQ(Texts(out, series->GetNextOccurrences(DateTime(2024, 10, 27, 1, 15), 4, out, *zone)),
            (std::vector<std::string>{"2024-10-27 02:15:00.000", "2024-10-27 02:30:00.000", "2024-10-27 02:45:00.000",
                                      "2024-10-27 03:00:00.000"}));
}

}  // namespace
}  // namespace QDataType
