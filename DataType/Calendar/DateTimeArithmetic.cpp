// DateTime arithmetic: moves by a TimeSpan, differences, business time and
// rounding to the second.
//
// Every move goes the same way: the value becomes a count of milliseconds
// from day 0, the count changes, and the count becomes a value again through
// the double form (so the result is rounded to the millisecond, clamped to the
// calendar, and carries biases 0). Counts saturate instead of overflowing, so
// an absurd span lands on the clamped end of the calendar.
#include <climits>

#include "DataType/Calendar/DateTime.h"

namespace QDataType {

namespace {

constexpr long long kDay = TimeSpan::kDay;
constexpr long long kTwoDays = TimeSpan::kTwoDays;

constexpr long long SatAdd(long long a, long long b) noexcept {
  if (b > 0 && a > LLONG_MAX - b) return LLONG_MAX;
  if (b < 0 && a < LLONG_MIN - b) return LLONG_MIN;
  return a + b;
}

constexpr long long SatSub(long long a, long long b) noexcept {
  if (b < 0 && a > LLONG_MAX + b) return LLONG_MAX;
  if (b > 0 && a < LLONG_MIN + b) return LLONG_MIN;
  return a - b;
}

DateTime FromMilliseconds(long long ms) noexcept { return DateTime(DateTime::MillisecondsToDATE(ms)); }

// A Saturday or Sunday counts as the following Monday at the same time.
void ShiftWeekend(long long& ms, int& weekday) noexcept {
  if (weekday == 6) {
    ms += kTwoDays;
    weekday = 1;
  } else if (weekday == 0) {
    ms += kDay;
    weekday = 1;
  }
}

long long TimeOfDay(DateTime const& d) noexcept {
  return ((static_cast<long long>(d.GetHour()) * 60 + d.GetMinute()) * 60 + d.GetSecond()) * 1000 +
         d.GetMillisecond();
}

}  // namespace

DateTime DateTime::operator+(TimeSpan const& span) const noexcept {
  return FromMilliseconds(SatAdd(ToMilliseconds(*this), span.GetTotalMilliseconds()));
}

DateTime DateTime::operator-(TimeSpan const& span) const noexcept {
  return FromMilliseconds(SatSub(ToMilliseconds(*this), span.GetTotalMilliseconds()));
}

TimeSpan DateTime::operator-(DateTime const& other) const noexcept {
  const long long days = static_cast<long long>(YMDToDAYS(year_, month_, day_)) -
                         YMDToDAYS(other.year_, other.month_, other.day_);
  return TimeSpan(((((days * 24 - other.hour_ + hour_) * 60 - other.minute_ + minute_) * 60 - other.second_ +
                    second_) *
                       1000 -
                   other.millisecond_ + millisecond_));
}

DateTime DateTime::Add(TimeSpan const& span) const noexcept {
  long long t = ToMilliseconds(*this);
  int w = GetDayOfWeek();
  ShiftWeekend(t, w);

  const long long s = span.GetTotalMilliseconds();
  long long d = span.GetTotalDays();
  if (SatAdd(TimeOfDay(*this), SatSub(s, d * kDay)) >= kDay) ++d;
  const long long q = d / 5;
  const long long r = d - 5 * q;

  long long result = SatAdd(SatAdd(t, s), q * kTwoDays);
  if (r + w > 5) result = SatAdd(result, kTwoDays);
  return FromMilliseconds(result);
}

DateTime DateTime::Minus(TimeSpan const& span) const noexcept {
  long long t = ToMilliseconds(*this);
  int w = GetDayOfWeek();
  ShiftWeekend(t, w);

  const long long s = span.GetTotalMilliseconds();
  long long d = span.GetTotalDays();
  if (SatSub(s, d * kDay) > TimeOfDay(*this)) ++d;
  const long long q = d / 5;
  const long long r = d - 5 * q;

  long long result = SatSub(SatSub(t, s), q * kTwoDays);
  if (!(w > r)) result = SatSub(result, kTwoDays);
  return FromMilliseconds(result);
}

TimeSpan DateTime::Span(DateTime const& other) const noexcept {
  int w1 = GetDayOfWeek();
  int w2 = other.GetDayOfWeek();
  long long t1 = ToMilliseconds(*this);
  long long t2 = ToMilliseconds(other);
  ShiftWeekend(t1, w1);
  ShiftWeekend(t2, w2);

  const long long delta = t1 - t2;
  const long long k = delta / kDay / 7;
  long long result = delta - k * kTwoDays;
  if (w1 < w2) result -= kTwoDays;
  return TimeSpan(result);
}

DateTime DateTime::RoundToSeconds() const noexcept {
  DateTime c(*this);
  const int ms = c.millisecond_;
  c.millisecond_ = 0;
  if (ms < 500) return c;

  c.week_ = c.dayOfWeek_ = -1;
  if (++c.second_ < 60) return c;
  c.second_ = 0;
  if (++c.minute_ < 60) return c;
  c.minute_ = 0;
  if (++c.hour_ < 24) return c;
  c.hour_ = 0;
  if (++c.day_ <= c.GetDaysInMonth()) return c;
  c.day_ = 1;
  if (++c.month_ <= 12) return c;
  c.month_ = 1;
  ++c.year_;  // 65535 wraps to 0: the 16-bit year cannot go further
  return c;
}

}  // namespace QDataType
