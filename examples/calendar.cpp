// The calendar values: dates, durations, business days, zones, text and the
// saved record.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "DataType/DataType.h"
#include "Tours.h"

using QDataType::DateTime;
using QDataType::TimeSpan;

namespace {

char const* const kWeekdays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

void Line(char const* label, DateTime const& d) {
  std::printf("  %-34s %s (%s)\n", label, d.ToString().GetString(), kWeekdays[d.GetDayOfWeek()]);
}

}  // namespace

void CalendarTour() {
  std::printf("== Calendar\n");

  // Dates: fields are clamped into range; days are numbered from 1899-12-30.
  const DateTime d(2024, 6, 15, 10, 30, 0, 0);
  Line("a Saturday in June", d);
  std::printf("  %-34s week %d of the month, day %d of the year, quarter %d\n", "", d.GetWeek(), d.GetDayOfYear(),
              d.GetQuarter());
  Line("February 30 is clamped", DateTime(2024, 2, 30));
  Line("24:00:00 rolls over", DateTime(2023, 12, 31, 24, 0, 0, 0));
  std::printf("  %-34s %.6f\n", "as a day number with fraction", d.ToDATE());
  Line("and back from -0.75", DateTime(-0.75));

  DateTime third = d;
  third.PutWeekAndDayOfWeek(3, 3);
  Line("third Wednesday of that month", third);
  DateTime last = d;
  last.PutDay(-1);
  Line("last day of that month", last);

  // Arithmetic goes through milliseconds since day 0.
  std::printf(" arithmetic\n");
  Line("+ 1 day 25 hours", d + TimeSpan(1, 25, 0, 0, 0));
  Line("- 90 minutes", d - TimeSpan(0, 0, 90, 0, 0));
  const TimeSpan gap = DateTime(2024, 12, 25) - d;
  std::printf("  %-34s %d days (%d hours)\n", "until Christmas", gap.GetTotalDays(), gap.GetTotalHours());
  Line("rounded to the second", DateTime(2024, 2, 28, 23, 59, 59, 500).RoundToSeconds());

  // Business time skips Saturdays and Sundays.
  std::printf(" business days\n");
  const DateTime friday(2024, 6, 14, 16, 0, 0, 0);
  Line("Friday afternoon", friday);
  Line("+ 1 business day", friday.Add(TimeSpan(TimeSpan::kDay)));
  Line("+ 10 business hours", friday.Add(TimeSpan(10 * TimeSpan::kHour)));
  Line("- 3 business days", friday.Minus(TimeSpan(3 * TimeSpan::kDay)));
  const TimeSpan work = DateTime(2024, 6, 21, 16, 0, 0, 0).Span(friday);
  std::printf("  %-34s %d days\n", "business days to the next Friday", work.GetTotalDays());

  // Zones: a value carries no zone; conversions use the computer's rules.
  std::printf(" zones (TZ=Europe/Berlin)\n");
  char const* saved = std::getenv("TZ");
  const std::string previous = saved ? saved : "";
  setenv("TZ", "Europe/Berlin", 1);
  tzset();
  const DateTime summerUtc(2024, 7, 1, 12, 0, 0, 0);
  const DateTime winterUtc(2024, 1, 1, 12, 0, 0, 0);
  Line("12:00 UTC in July is local", summerUtc.ToLocalTime());
  Line("12:00 UTC in January is local", winterUtc.ToLocalTime());
  Line("09:00 local in July is UTC", DateTime(2024, 7, 1, 9, 0, 0, 0).ToUTCTime());
  if (saved) {
    setenv("TZ", previous.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();

  // Text forms and the parser.
  std::printf(" text\n");
  const DateTime t(2024, 6, 5, 7, 8, 9, 45);
  std::printf("  %-34s %s | %s | %s\n", "ToString, JSON, date", t.ToString().GetString(),
              t.ToJSONString().GetString(), t.ToDateString().GetString());
  DateTime parsed;
  const unsigned used = parsed.FromString("2024-06-05T07:08:09.045Z");
  std::printf("  %-34s %u characters -> %s\n", "parse 2024-06-05T07:08:09.045Z", used,
              parsed.ToString().GetString());
  std::printf("  %-34s %u (refused)\n", "parse 2024-13-01", parsed.FromString("2024-13-01"));

  // The 44-byte saved record: eleven little-endian 32-bit words.
  std::printf(" saved record\n");
  unsigned char record[44];
  t.SaveObj(sizeof record, record, 1);
  std::printf("  %-34s", "words");
  for (int i = 0; i < 11; ++i) {
    const int word = static_cast<int>(static_cast<unsigned>(record[4 * i]) | record[4 * i + 1] << 8 |
                                      record[4 * i + 2] << 16 | static_cast<unsigned>(record[4 * i + 3]) << 24);
    std::printf(" %d", word);
  }
  std::printf("\n");
  DateTime loaded;
  const int result = loaded.LoadObj(sizeof record, record, false);
  std::printf("  %-34s %d -> %s\n", "loaded back", result, loaded.ToString().GetString());
}
