// Checks shared by the DateTime fuzz targets: a failed check aborts, which
// libFuzzer reports with the input that caused it.
#pragma once

#include <cstdlib>

#include "DataType/Calendar/DateTime.h"

inline void Check(bool ok) {
  if (!ok) std::abort();
}

// Every field within its range.
inline bool Valid(QDataType::DateTime const& d) {
  return d.GetMonth() >= 1 && d.GetMonth() <= 12 && d.GetDay() >= 1 && d.GetDay() <= d.GetDaysInMonth() &&
         d.GetHour() >= 0 && d.GetHour() <= 23 && d.GetMinute() >= 0 && d.GetMinute() <= 59 && d.GetSecond() >= 0 &&
         d.GetSecond() <= 59 && d.GetMillisecond() >= 0 && d.GetMillisecond() <= 999;
}
