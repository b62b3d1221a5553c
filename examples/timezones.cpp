// Time zones named per call: one schedule, "weekdays at 09:30", for three
// people in Tokyo, Berlin and New York, without touching TZ; and the two
// readings of a wall time the clocks skipped.
#include <cstdio>

#include "DataType/DataType.h"
#include "Tours.h"

using QDataType::CreateTimeSeries;
using QDataType::DateTime;
using QDataType::LocalKind;
using QDataType::LocalLookup;
using QDataType::RECURRENCE_FIXED;
using QDataType::RECURRENCE_NONE;
using QDataType::TimeSeries;
using QDataType::TimeZone;

void TimeZoneTour() {
  std::printf("== Time zones (tz database %s)\n", TimeZone::GetDatabaseVersion());
  TimeSeries* weekdays = CreateTimeSeries(RECURRENCE_NONE, 0, RECURRENCE_NONE, 0, RECURRENCE_NONE, 0, RECURRENCE_NONE,
                                          0, RECURRENCE_FIXED, 0x3E, RECURRENCE_FIXED, 9, RECURRENCE_FIXED, 30,
                                          RECURRENCE_FIXED, 0, RECURRENCE_FIXED, 0, -1, -1, -1, -1, -1);
  DateTime const from(2026, 3, 27, 0, 0, 0);  // Friday, UTC; Europe moves its clocks on Sunday
  std::printf("  weekdays at 09:30 from %s UTC, for each user in their zone\n", from.ToString().GetString());
  for (char const* name : {"Asia/Tokyo", "Europe/Berlin", "America/New_York"}) {
    TimeZone const* zone = TimeZone::Find(name);
    if (zone == nullptr) {
      std::printf("    %-17s (not in this machine's tz database)\n", name);
      continue;
    }
    DateTime next[3];
    unsigned const n = weekdays->GetNextOccurrences(from, 3, next, *zone);
    for (unsigned i = 0; i < n; ++i) {
      std::printf("    %-17s %s  (UTC %s)\n", name, next[i].ToLocalTime(*zone).ToString().GetString(),
                  next[i].ToString().GetString());
    }
  }
  weekdays->Destroy();

  TimeZone const* berlin = TimeZone::Find("Europe/Berlin");
  if (berlin != nullptr) {
    LocalLookup const skipped = berlin->Lookup(DateTime(2026, 3, 29, 2, 30, 0));
    std::printf("  Europe/Berlin 2026-03-29 02:30 was %s: %s UTC with the offset before, %s UTC with the one after\n",
                skipped.kind == LocalKind::Skipped ? "skipped" : "not skipped", skipped.earlier.ToString().GetString(),
                skipped.later.ToString().GetString());
  }
}
