// DateTime arithmetic: moves by a TimeSpan, differences, business time and
// rounding to the second.
//
// Every move goes the same way: the value becomes a count of milliseconds
// from day 0, the count changes, and the count becomes a value again as the
// double form would give it (FromMilliseconds: clamped to the calendar,
// biases 0, caches empty). Counts saturate instead of overflowing, so an
// absurd span lands on the clamped end of the calendar.
#include <climits>

#include "DataType/Calendar/DateTime.h"
#include "DataType/Calendar/internal/Civil.h"

namespace QDataType {

namespace {

constexpr long long kDay = TimeSpan::kDay;
constexpr long long kTwoDays = TimeSpan::kTwoDays;

long long SatAdd(long long a, long long b) noexcept {
  long long r;
  return __builtin_add_overflow(a, b, &r) ? (b > 0 ? LLONG_MAX : LLONG_MIN) : r;
}

long long SatSub(long long a, long long b) noexcept {
  long long r;
  return __builtin_sub_overflow(a, b, &r) ? (b < 0 ? LLONG_MAX : LLONG_MIN) : r;
}

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

}  // namespace

DateTime DateTime::operator+(TimeSpan const& span) const noexcept {
  return FromMilliseconds(SatAdd(calendar_internal::MillisecondsOf(*this), span.GetTotalMilliseconds()));
}

DateTime DateTime::operator-(TimeSpan const& span) const noexcept {
  return FromMilliseconds(SatSub(calendar_internal::MillisecondsOf(*this), span.GetTotalMilliseconds()));
}

TimeSpan DateTime::operator-(DateTime const& other) const noexcept {
  const long long days = static_cast<long long>(YMDToDAYS(year_, month_, day_)) -
                         YMDToDAYS(other.year_, other.month_, other.day_);
  return TimeSpan(((((days * 24 - other.hour_ + hour_) * 60 - other.minute_ + minute_) * 60 - other.second_ +
                    second_) *
                       1000 -
                   other.millisecond_ + millisecond_));
}

// Add and Minus: T (this value's count, weekend-shifted), S (the span), D
// (its whole days, as GetTotalDays gives them, plus one when the rest of the
// span crosses midnight) and the weekends that D business days cross: Q = D / 5
// of them, plus one when the remainder R runs past Friday. Everything but S is
// bounded by the calendar and 2^31 days, so only the final sum with S can
// leave 64 bits, and that one sum saturates.
namespace {

struct BusinessSpan {
  long long days;  // D
  long long rest;  // S - D days: the part of the span below a day, unless D wrapped
};

BusinessSpan Split(TimeSpan const& span) noexcept {
  const long long s = span.GetTotalMilliseconds();
  const long long q = s / kDay;
  const long long d = span.GetTotalDays();  // q's low 32 bits
  return {d, q == d ? s - q * kDay : SatSub(s, d * kDay)};
}

}  // namespace

DateTime DateTime::Add(TimeSpan const& span) const noexcept {
  const long long tod = calendar_internal::TimeOfDayOf(*this);
  long long t = calendar_internal::DayNumberOf(*this) * kDay + tod;
  int w = GetDayOfWeek();
  ShiftWeekend(t, w);

  BusinessSpan b = Split(span);
  if (b.rest >= kDay - tod) ++b.days;
  const long long q = b.days / 5;
  const long long r = b.days - 5 * q;
  long long weekends = q;
  if (r + w > 5) ++weekends;
  return FromMilliseconds(SatAdd(span.GetTotalMilliseconds(), t + weekends * kTwoDays));
}

DateTime DateTime::Minus(TimeSpan const& span) const noexcept {
  const long long tod = calendar_internal::TimeOfDayOf(*this);
  long long t = calendar_internal::DayNumberOf(*this) * kDay + tod;
  int w = GetDayOfWeek();
  ShiftWeekend(t, w);

  BusinessSpan b = Split(span);
  if (b.rest > tod) ++b.days;
  const long long q = b.days / 5;
  const long long r = b.days - 5 * q;
  long long weekends = q;
  if (!(w > r)) ++weekends;
  return FromMilliseconds(SatSub(t - weekends * kTwoDays, span.GetTotalMilliseconds()));
}

TimeSpan DateTime::Span(DateTime const& other) const noexcept {
  int w1 = GetDayOfWeek();
  int w2 = other.GetDayOfWeek();
  long long t1 = calendar_internal::MillisecondsOf(*this);
  long long t2 = calendar_internal::MillisecondsOf(other);
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
