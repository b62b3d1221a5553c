// Checks shared by the DateTime fuzz targets: a failed check aborts, which
// libFuzzer reports with the input that caused it.
#pragma once

#include <stdlib.h>
#include <time.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "DataType/Calendar/DateTime.h"

inline void Check(bool ok) {
  if (!ok) std::abort();
}

// The T stored at `offset` of the input, zero-filled where the input ends.
template <typename T>
T Take(uint8_t const* data, size_t size, size_t offset) {
  T v{};
  if (offset < size) std::memcpy(&v, data + offset, size - offset < sizeof v ? size - offset : sizeof v);
  return v;
}

// The targets run in a zone with daylight saving time unless they pick one.
inline int UseZone(char const* tz) {
  setenv("TZ", tz, 1);
  tzset();
  return 0;
}

// Every field within its range.
inline bool Valid(QDataType::DateTime const& d) {
  return d.GetMonth() >= 1 && d.GetMonth() <= 12 && d.GetDay() >= 1 && d.GetDay() <= d.GetDaysInMonth() &&
         d.GetHour() >= 0 && d.GetHour() <= 23 && d.GetMinute() >= 0 && d.GetMinute() <= 59 && d.GetSecond() >= 0 &&
         d.GetSecond() <= 59 && d.GetMillisecond() >= 0 && d.GetMillisecond() <= 999;
}

// The text forms are printf formats of the fields (as unsigned numbers, cut
// at the form's buffer); the library writes them digit by digit and must give
// the same bytes for any fields at all.
inline void CheckTextForms(QDataType::DateTime const& d) {
  const unsigned f[7] = {static_cast<unsigned>(d.GetYear()),   static_cast<unsigned>(d.GetMonth()),
                         static_cast<unsigned>(d.GetDay()),    static_cast<unsigned>(d.GetHour()),
                         static_cast<unsigned>(d.GetMinute()), static_cast<unsigned>(d.GetSecond()),
                         static_cast<unsigned>(d.GetMillisecond())};
  char want[40];
  std::snprintf(want, sizeof want, "%04u-%02u-%02u %02u:%02u:%02u.%03u", f[0], f[1], f[2], f[3], f[4], f[5], f[6]);
  Check(std::strcmp(d.ToString().GetString(), want) == 0);
  std::snprintf(want, sizeof want, "%04u-%02u-%02uT%02u:%02u:%02u.%03uZ", f[0], f[1], f[2], f[3], f[4], f[5], f[6]);
  Check(std::strcmp(d.ToJSONString().GetString(), want) == 0);
  std::snprintf(want, 16, "%u/%u/%u", f[1], f[2], f[0]);
  Check(std::strcmp(d.ToDateString().GetString(), want) == 0);
}
