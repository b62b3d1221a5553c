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
///
/// A span converts from any std::chrono::duration (implicitly: a DateTime
/// moves by `std::chrono::hours(2)`), truncated toward zero to whole
/// milliseconds and saturating at the ends of the 64-bit count (a NaN
/// floating duration is 0), and back with ToChrono(). `operator<<` prints the
/// count with the unit as std::chrono prints milliseconds ("1500ms"); std::hash
/// hashes the count.
#pragma once

#include <chrono>
#include <climits>
#include <cstddef>
#include <functional>
#include <iosfwd>
#include <ratio>
#include <type_traits>

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

  /// `d` in whole milliseconds, truncated toward zero; a count beyond the
  /// range of `long long` saturates at its end, and a NaN is 0.
  template <class Rep, class Period>
  constexpr TimeSpan(std::chrono::duration<Rep, Period> d) noexcept : ms_(FromChrono(d)) {}  // NOLINT: implicit
  /// The span as a std::chrono duration of milliseconds.
  constexpr std::chrono::milliseconds ToChrono() const noexcept { return std::chrono::milliseconds(ms_); }

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

  template <class Rep, class Period>
  static constexpr long long FromChrono(std::chrono::duration<Rep, Period> d) noexcept {
    using R = std::ratio_divide<Period, std::milli>;
    if constexpr (std::is_floating_point<Rep>::value) {
      long double const x = static_cast<long double>(d.count()) * R::num / R::den;
      if (!(x == x)) return 0;
      if (x >= 9223372036854775808.0L) return LLONG_MAX;
      if (x <= -9223372036854775808.0L) return LLONG_MIN;
      return static_cast<long long>(x);
    } else {
      __int128 const x = static_cast<__int128>(d.count()) * R::num / R::den;
      return x > LLONG_MAX ? LLONG_MAX : x < LLONG_MIN ? LLONG_MIN : static_cast<long long>(x);
    }
  }

  long long ms_;
};

/// Prints the count of milliseconds and "ms" ("1500ms", "-2ms").
QDT_API std::ostream& operator<<(std::ostream& os, TimeSpan const& span);

}  // namespace QDataType

namespace std {
/// Hashes a TimeSpan by its count of milliseconds.
template <>
struct hash<QDataType::TimeSpan> {
  /// The hash of the count.
  size_t operator()(QDataType::TimeSpan const& span) const noexcept {
    return hash<long long>()(span.GetTotalMilliseconds());
  }
};
}  // namespace std
