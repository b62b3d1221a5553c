/// @file
/// TimeSpan: a signed duration counted in milliseconds.
///
/// @class QDataType::TimeSpan
/// A signed duration counted in milliseconds.
///
/// A plain 64-bit value. Negative durations are allowed; the field constructor
/// accepts parts of any sign and size (25 hours is simply 25 hours). The
/// GetTotal... getters truncate toward zero and keep the low 32 bits of the
/// quotient. Sums and differences of spans wrap around in two's complement
/// instead of overflowing.
#pragma once

#include "Base/Export.h"

namespace QDataType {

class QDT_API TimeSpan {
 public:
  static constexpr long long kSecond = 1000;         //!< One second in milliseconds.
  static constexpr long long kMinute = 60 * kSecond;  //!< One minute in milliseconds.
  static constexpr long long kHour = 60 * kMinute;    //!< One hour in milliseconds.
  static constexpr long long kDay = 24 * kHour;       //!< One day in milliseconds.
  static constexpr long long kTwoDays = 2 * kDay;     //!< Two days (a weekend) in milliseconds.
  static constexpr long long kWeek = 7 * kDay;        //!< One week in milliseconds.

  /// A span of `milliseconds` (zero by default).
  constexpr explicit TimeSpan(long long milliseconds = 0) noexcept : ms_(milliseconds) {}
  /// The sum of the parts, each of any sign and size, counted in 64 bits (no
  /// combination of `int` parts overflows).
  constexpr TimeSpan(int days, int hours, int minutes, int seconds, int milliseconds) noexcept
      : ms_((((static_cast<long long>(days) * 24 + hours) * 60 + minutes) * 60 + seconds) * 1000 +
            milliseconds) {}

  /// Whole days, truncated toward zero (low 32 bits of the quotient).
  constexpr int GetTotalDays() const noexcept { return static_cast<int>(ms_ / kDay); }
  /// Whole hours, truncated toward zero (low 32 bits of the quotient).
  constexpr int GetTotalHours() const noexcept { return static_cast<int>(ms_ / kHour); }
  /// Whole minutes, truncated toward zero (low 32 bits of the quotient).
  constexpr int GetTotalMinutes() const noexcept { return static_cast<int>(ms_ / kMinute); }
  /// Whole seconds, truncated toward zero (low 32 bits of the quotient).
  constexpr int GetTotalSeconds() const noexcept { return static_cast<int>(ms_ / kSecond); }
  /// The whole count of milliseconds.
  constexpr long long GetTotalMilliseconds() const noexcept { return ms_; }

  /// Adds `s` (wrapping around in two's complement).
  constexpr TimeSpan const& operator+=(TimeSpan const& s) noexcept { return ms_ = Sum(ms_, s.ms_), *this; }
  /// Subtracts `s` (wrapping around in two's complement).
  constexpr TimeSpan const& operator-=(TimeSpan const& s) noexcept { return ms_ = Difference(ms_, s.ms_), *this; }
  /// The sum (wrapping around in two's complement).
  constexpr TimeSpan operator+(TimeSpan const& s) const noexcept { return TimeSpan(Sum(ms_, s.ms_)); }
  /// The difference (wrapping around in two's complement).
  constexpr TimeSpan operator-(TimeSpan const& s) const noexcept { return TimeSpan(Difference(ms_, s.ms_)); }

  /// Same count of milliseconds.
  constexpr bool operator==(TimeSpan const& s) const noexcept { return ms_ == s.ms_; }
  /// Different counts of milliseconds.
  constexpr bool operator!=(TimeSpan const& s) const noexcept { return ms_ != s.ms_; }
  /// Shorter (more negative) than `s`.
  constexpr bool operator<(TimeSpan const& s) const noexcept { return ms_ < s.ms_; }
  /// Longer than `s`.
  constexpr bool operator>(TimeSpan const& s) const noexcept { return ms_ > s.ms_; }
  /// Not longer than `s`.
  constexpr bool operator<=(TimeSpan const& s) const noexcept { return ms_ <= s.ms_; }
  /// Not shorter than `s`.
  constexpr bool operator>=(TimeSpan const& s) const noexcept { return ms_ >= s.ms_; }

 private:
  static constexpr long long Sum(long long a, long long b) noexcept {
    return static_cast<long long>(static_cast<unsigned long long>(a) + static_cast<unsigned long long>(b));
  }
  static constexpr long long Difference(long long a, long long b) noexcept {
    return static_cast<long long>(static_cast<unsigned long long>(a) - static_cast<unsigned long long>(b));
  }

  long long ms_;
};

}  // namespace QDataType
