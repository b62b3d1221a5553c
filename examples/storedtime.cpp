// Dynamic dates and stored times: the typical request of a scheduling
// module (the first day of next month at 08:00, kept as data, resolved now,
// and when it expires), then a few other descriptions and static values.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "DataType/DataType.h"
#include "Tours.h"

using QDataType::DateTime;
using QDataType::DynamicTime;
using QDataType::VexTime;

namespace {

void Line(char const* label, DateTime const& d) { std::printf("  %-40s %s\n", label, d.ToString().GetString()); }

DateTime Utc(VexTime const& v) {
  DateTime d;  // the default value: a dynamic value resolves against now
  v.ToDateTime(true, d);
  return d;
}

}  // namespace

void StoredTimeTour() {
  std::printf("== Dynamic dates and stored times (TZ=Europe/Berlin)\n");
  char const* saved = std::getenv("TZ");
  std::string const previous = saved ? saved : "";
  setenv("TZ", "Europe/Berlin", 1);
  tzset();

  // 1. An unset value becomes dynamic, then its description gets its fields.
  VexTime request;
  request.PutDynamicTime(QDataType::DT_RELATIVE_MONTH_DAY);
  request.PutMonth(1, false);  // one month on
  request.PutDay(1, false);    // day 1
  request.PutHour(8, false);   // 08:00
  std::printf("  %-40s mode %d\n", "first day of next month at 08:00", request.GetRealMode());

  // 2. Saved as its 44-byte record and loaded back.
  unsigned char record[44];
  request.SaveObj(sizeof record, record);
  std::printf("  %-40s", "record words");
  for (int i = 0; i < 11; ++i) {
    unsigned const w = record[4 * i] | record[4 * i + 1] << 8 | record[4 * i + 2] << 16 |
                       static_cast<unsigned>(record[4 * i + 3]) << 24;
    std::printf(" %d", static_cast<int>(w));
  }
  std::printf("\n");
  VexTime loaded;
  loaded.LoadObj(sizeof record, record);

  // 3. Resolved now: local wall time moved a month on, day 1, 08:00, in UTC.
  Line("now (local)", DateTime::Now());
  DateTime when;
  int const rc = loaded.ToDateTime(true, when);
  std::printf("  %-40s %s (result %d)\n", "falls on (UTC)", when.ToString().GetString(), rc);
  DateTime local;
  loaded.ToDateTime(false, local);
  Line("falls on (local)", local);

  // 4. It means that day until the first day of the month after it begins.
  VexTime expiration;
  loaded.GetExpiration(expiration);
  Line("expires (UTC: local midnight)", Utc(expiration));

  // Other descriptions, against a fixed reference (local wall time).
  std::printf(" other descriptions, from Wednesday 2024-06-12 10:00 local\n");
  DateTime const reference(2024, 6, 12, 10, 0, 0, 0);
  auto show = [&reference](char const* label, DynamicTime const& t) {
    DateTime d = reference;
    if (t.ToDateTime(d) == 0) {
      Line(label, d.ToLocalTime());
    } else {
      std::printf("  %-40s does not resolve\n", label);
    }
  };
  DynamicTime friday(QDataType::DT_THIS_WEEK_FRIDAY);
  friday.PutHour(17);
  show("Friday of this week at 17:00", friday);
  DynamicTime business(QDataType::DT_RELATIVE_MONTH_DAY | QDataType::DT_FLAG_BUSINESS_DAYS);
  business.PutDay(-1);
  business.PutMonth(2);
  show("last business day in two months", business);
  DynamicTime second(QDataType::DT_RELATIVE_MONTH_DAY);
  second.PutWeek(2);
  second.PutDayOfWeek(2);
  second.PutHour(9);
  show("second Tuesday of this month at 09:00", second);
  DynamicTime ago(QDataType::DT_RELATIVE_DATE_TIME);
  ago.PutDay(-3);
  show("three days ago, same time", ago);
  DynamicTime fifth(QDataType::DT_FIXED_DATE | QDataType::DT_FLAG_ABSOLUTE_DATE);
  fifth.PutYear(2024);
  fifth.PutMonth(2);
  fifth.PutWeek(5);
  fifth.PutDayOfWeek(1);
  show("fifth Monday of February 2024", fifth);
  show("an invalid kind", DynamicTime(static_cast<QDataType::DYNAMIC_TIME>(1)));

  // Static values keep their date in UTC or local time and convert on request.
  std::printf(" static values\n");
  VexTime meeting(DateTime(2024, 7, 1, 9, 0, 0, 0), QDataType::TIME_MODE_LOCAL, false);
  Line("09:00 local on 1 July, in UTC", Utc(meeting));
  meeting.PutHour(8, true);  // set in UTC: the local date follows
  DateTime l;
  meeting.ToDateTime(false, l);
  Line("hour set to 08 UTC, local", l);
  VexTime const sameInstant(DateTime(2024, 7, 1, 8, 0, 0, 0), QDataType::TIME_MODE_UTC, true);
  std::printf("  %-40s %s\n", "equal to 08:00 UTC stored in UTC", meeting == sameInstant ? "yes" : "no");
  std::printf("  %-40s %s\n", "before the request", meeting < loaded ? "yes" : "no");

  if (saved) {
    setenv("TZ", previous.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}
