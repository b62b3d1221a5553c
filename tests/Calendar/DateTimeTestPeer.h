// White-box access to DateTime for the calendar tests. Every test file of the
// Calendar folder that needs the private members includes this header (one
// definition of the peer for the whole test program).
#pragma once

#include <array>
#include <ctime>

#include "DataType/Calendar/DateTime.h"

namespace QDataType {

struct DateTimeTestPeer {
  // The eleven fields in declaration order.
  enum Field { kYear, kMonth, kDay, kHour, kMinute, kSecond, kMillisecond, kWeek, kDayOfWeek, kBias, kDaylightBias };

  static std::array<int, 11> Fields(DateTime const& d) {
    return {d.year_, d.month_, d.day_, d.hour_, d.minute_, d.second_, d.millisecond_,
            d.week_, d.dayOfWeek_, d.bias_, d.daylightBias_};
  }
  // Stores the low 16 bits of v, bypassing every check.
  static void Set(DateTime& d, Field f, int v) {
    switch (f) {
      case kYear: d.year_ = static_cast<uint16_t>(v); break;
      case kMonth: d.month_ = static_cast<int16_t>(v); break;
      case kDay: d.day_ = static_cast<int16_t>(v); break;
      case kHour: d.hour_ = static_cast<int16_t>(v); break;
      case kMinute: d.minute_ = static_cast<int16_t>(v); break;
      case kSecond: d.second_ = static_cast<int16_t>(v); break;
      case kMillisecond: d.millisecond_ = static_cast<int16_t>(v); break;
      case kWeek: d.week_ = static_cast<int16_t>(v); break;
      case kDayOfWeek: d.dayOfWeek_ = static_cast<int16_t>(v); break;
      case kBias: d.bias_ = static_cast<int16_t>(v); break;
      case kDaylightBias: d.daylightBias_ = static_cast<int16_t>(v); break;
    }
  }
  static int Sanitize(DateTime& d, bool fix) { return d.Sanitize(fix); }
  static void AdjustDay(DateTime& d) { d.AdjustDay(); }
  static int WeekFromDayAndDayOfWeek(int day, int dow) { return DateTime::WeekFromDayAndDayOfWeek(day, dow); }
  static int Mktime(DateTime const& d, struct tm& t) { return d.mktime(t); }
  static QBase::ReturnString ToFormatString(DateTime const& d, char const* format) {
    return d.ToFormatString(format);
  }
};

}  // namespace QDataType
