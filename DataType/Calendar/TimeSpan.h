// TimeSpan: a signed duration counted in milliseconds.
//
// A plain 64-bit value. Negative durations are allowed; the field constructor
// accepts parts of any sign and size (25 hours is simply 25 hours). The
// GetTotal... getters truncate toward zero and keep the low 32 bits of the
// quotient. Sums and differences of spans wrap around in two's complement
// instead of overflowing.
#pragma once

#include "Base/Export.h"

namespace QDataType {

class QDT_API TimeSpan {
 public:
  static constexpr long long kSecond = 1000;
  static constexpr long long kMinute = 60 * kSecond;
  static constexpr long long kHour = 60 * kMinute;
  static constexpr long long kDay = 24 * kHour;
  static constexpr long long kTwoDays = 2 * kDay;
  static constexpr long long kWeek = 7 * kDay;

  constexpr explicit TimeSpan(long long milliseconds = 0) noexcept : ms_(milliseconds) {}
  constexpr TimeSpan(int days, int hours, int minutes, int seconds, int milliseconds) noexcept
      : ms_((((static_cast<long long>(days) * 24 + hours) * 60 + minutes) * 60 + seconds) * 1000 +
            milliseconds) {}

  constexpr int GetTotalDays() const noexcept { return static_cast<int>(ms_ / kDay); }
  constexpr int GetTotalHours() const noexcept { return static_cast<int>(ms_ / kHour); }
  constexpr int GetTotalMinutes() const noexcept { return static_cast<int>(ms_ / kMinute); }
  constexpr int GetTotalSeconds() const noexcept { return static_cast<int>(ms_ / kSecond); }
  constexpr long long GetTotalMilliseconds() const noexcept { return ms_; }

  constexpr TimeSpan const& operator+=(TimeSpan const& s) noexcept { return ms_ = Sum(ms_, s.ms_), *this; }
  constexpr TimeSpan const& operator-=(TimeSpan const& s) noexcept { return ms_ = Difference(ms_, s.ms_), *this; }
  constexpr TimeSpan operator+(TimeSpan const& s) const noexcept { return TimeSpan(Sum(ms_, s.ms_)); }
  constexpr TimeSpan operator-(TimeSpan const& s) const noexcept { return TimeSpan(Difference(ms_, s.ms_)); }

  constexpr bool operator==(TimeSpan const& s) const noexcept { return ms_ == s.ms_; }
  constexpr bool operator!=(TimeSpan const& s) const noexcept { return ms_ != s.ms_; }
  constexpr bool operator<(TimeSpan const& s) const noexcept { return ms_ < s.ms_; }
  constexpr bool operator>(TimeSpan const& s) const noexcept { return ms_ > s.ms_; }
  constexpr bool operator<=(TimeSpan const& s) const noexcept { return ms_ <= s.ms_; }
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
