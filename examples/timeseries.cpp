// Recurrence schedules: a daily window and a monthly n-th weekday, their next
// occurrences (computed in UTC, printed in local time), and a listing.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "DataType/DataType.h"
#include "Tours.h"

using QDataType::CreateTimeSeries;
using QDataType::DateTime;
using QDataType::RECURRENCE_EVERY;
using QDataType::RECURRENCE_FIXED;
using QDataType::RECURRENCE_NONE;
using QDataType::RECURRENCE_WINDOW;
using QDataType::TimeSeries;

namespace {

char const* const kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

void PrintLocal(DateTime const* utc, unsigned n) {
  for (unsigned i = 0; i < n; ++i) {
    DateTime const local = utc[i].ToLocalTime();
    std::printf("    %s %s  (UTC %s)\n", kWeekdays[local.GetDayOfWeek()], local.ToString().GetString(),
                utc[i].ToString().GetString());
  }
}

}  // namespace

void TimeSeriesTour() {
  std::printf("== Recurrence schedules (TZ=Europe/Berlin)\n");
  char const* saved = std::getenv("TZ");
  const std::string previous = saved ? saved : "";
  setenv("TZ", "Europe/Berlin", 1);
  tzset();

  // Weekdays from 09:00 to 17:00 every 2 hours: the window gives the times,
  // the weekday mask (Monday to Friday, bits 1 to 5) the days.
  TimeSeries* window = CreateTimeSeries(RECURRENCE_NONE, 0, RECURRENCE_NONE, 0, RECURRENCE_NONE, 0, RECURRENCE_NONE, 0,
                                        RECURRENCE_FIXED, 62, RECURRENCE_WINDOW, 0, RECURRENCE_WINDOW, 0,
                                        RECURRENCE_NONE, 0, RECURRENCE_NONE, 0, 9, 0, 17, 0, 120);
  DateTime const friday = DateTime(2024, 3, 29, 14, 0, 0).ToUTCTime();  // Friday 14:00 local
  DateTime next[6];
  std::printf("  weekdays 09:00-17:00 every 2 hours, from Friday 2024-03-29 14:00\n");
  PrintLocal(next, window->GetNextOccurrences(friday, 6, next));

  // The second Tuesday of each month at 09:30: week 2 of the month (days 8
  // to 14) and the Tuesday bit (bit 2).
  TimeSeries* monthly = CreateTimeSeries(RECURRENCE_NONE, 0, RECURRENCE_NONE, 0, RECURRENCE_NONE, 0, RECURRENCE_FIXED,
                                         2, RECURRENCE_FIXED, 4, RECURRENCE_FIXED, 9, RECURRENCE_FIXED, 30,
                                         RECURRENCE_FIXED, 0, RECURRENCE_FIXED, 0, -1, -1, -1, -1, -1);
  std::printf("  the second Tuesday of each month at 09:30, from the same Friday\n");
  PrintLocal(next, monthly->GetNextOccurrences(friday, 4, next));

  // Every 45 minutes, counted from a start: the series keeps its phase.
  TimeSeries* steps = CreateTimeSeries(RECURRENCE_NONE, 0, RECURRENCE_NONE, 0, RECURRENCE_NONE, 0, RECURRENCE_NONE, 0,
                                       RECURRENCE_NONE, 0, RECURRENCE_EVERY, 1, RECURRENCE_EVERY, 45, RECURRENCE_FIXED,
                                       0, RECURRENCE_FIXED, 0, -1, -1, -1, -1, -1);
  std::printf("  every 45 minutes, walked from 2024-03-01, listed from Friday 14:00\n");
  PrintLocal(next, steps->GetNextOccurrencesAfterStart(DateTime(2024, 2, 29, 23, 0, 0), friday, 3, next));

  // Everything in a span, in an array the caller releases.
  DateTime* list = nullptr;
  unsigned const n = window->GetOccurrencesBetween(friday, friday + QDataType::TimeSpan(7 * 86400000LL), &list);
  std::printf("  the window's occurrences in the week after Friday 14:00: %u, the last %s local\n", n,
              n ? list[n - 1].ToLocalTime().ToString().GetString() : "-");
  delete[] list;

  window->Destroy();
  monthly->Destroy();
  steps->Destroy();
  if (saved) {
    setenv("TZ", previous.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}
