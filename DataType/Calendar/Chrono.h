/// @file
/// Conversions between DateTime and std::chrono's system clock.
///
/// The model
/// ---------
/// A DateTime taken as UTC names one instant of std::chrono::system_clock,
/// whose epoch is 1970-01-01 00:00:00 UTC (Unix time, leap seconds not
/// counted, as DateTime does not count them either). SysMilliseconds is that
/// clock's time point at DateTime's resolution. ToSysTime is exact for every
/// DateTime; FromSysTime is exact from 0001-01-01 to 65535-12-31 23:59:59.999.
/// It is the Unix-time constructor `DateTime(seconds, millisecond)`, given the
/// floor of the seconds and the millisecond within the second, so beyond the
/// calendar it answers as that constructor does: later instants stop at
/// 65535-12-31 23:59:59 with their millisecond, and earlier ones give
/// 0001-01-01 with the time of day that the `double` form gives a day number
/// below the calendar (ceil(date) - date), not midnight. Biases are 0.
/// Durations convert through TimeSpan (see TimeSpan.h):
/// @code
///   DateTime const due = FromSysTime(std::chrono::time_point_cast<std::chrono::milliseconds>(
///                            std::chrono::system_clock::now())) + std::chrono::hours(48);
/// @endcode
#pragma once

#include <chrono>

#include "DataType/Calendar/DateTime.h"
#include "DataType/Calendar/TimeSpan.h"

namespace QDataType {

/// A time point of the system clock in milliseconds since 1970-01-01 UTC.
using SysMilliseconds = std::chrono::time_point<std::chrono::system_clock, std::chrono::milliseconds>;

/// The instant of `utc` (its fields read as UTC; biases ignored).
inline SysMilliseconds ToSysTime(DateTime const& utc) noexcept {
  constexpr long long kUnixEpoch = 25569LL * TimeSpan::kDay;  // 1970-01-01 in DateTime's day numbers
  return SysMilliseconds(std::chrono::milliseconds(DateTime::ToMilliseconds(utc) - kUnixEpoch));
}

/// The UTC DateTime of `t` (beyond the calendar, see above).
inline DateTime FromSysTime(SysMilliseconds t) noexcept {
  long long const ms = t.time_since_epoch().count();
  long long seconds = ms / 1000;
  long long millisecond = ms % 1000;
  if (millisecond < 0) {  // the floor of the seconds, the millisecond within
    millisecond += 1000;
    seconds -= 1;
  }
  return DateTime(seconds, static_cast<int>(millisecond));
}

}  // namespace QDataType
