// White-box access to DateTime for the calendar tests: one definition of the
// peer for the whole Calendar test program.
#pragma once

#include <array>

#include "DataType/Calendar/DateTime.h"

namespace QDataType {

struct DateTimeTestPeer {
  // The eleven fields in declaration order.
  enum Field { kYear, kMonth, kDay, kHour, kMinute, kSecond, kMillisecond, kWeek, kDayOfWeek, kBias, kDaylightBias };

  static std::array<int, 11> Fields(DateTime const& d) {
    return {d.year_, d.month_, d.day_, d.hour_, d.minute_, d.second_, d.millisecond_,
            d.week_, d.dayOfWeek_, d.bias_, d.daylightBias_};
  }
  // Stores the low 16 bits of v, bypassing every check (the year is unsigned
  // but has the same width).
  static void Set(DateTime& d, Field f, int v) {
    int16_t* const fields[] = {reinterpret_cast<int16_t*>(&d.year_), &d.month_, &d.day_, &d.hour_, &d.minute_,
                               &d.second_, &d.millisecond_, &d.week_, &d.dayOfWeek_, &d.bias_, &d.daylightBias_};
    *fields[f] = static_cast<int16_t>(v);
  }
  static int Sanitize(DateTime& d, bool fix) { return d.Sanitize(fix); }
  static int WeekFromDayAndDayOfWeek(int day, int dow) { return DateTime::WeekFromDayAndDayOfWeek(day, dow); }
};

}  // namespace QDataType
