// Calendar arithmetic shared by the DateTime sources: day numbers from
// civil dates and back, weekdays, month lengths, and the millisecond count
// that every move goes through. Everything is inline so that a move is one
// straight run of integer arithmetic.
#pragma once

#include <cstdint>

#include "DataType/Calendar/DateTime.h"

namespace QDataType {
namespace calendar_internal {

constexpr int kDaysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// Day numbers are computed in a calendar whose years start on March 1, so
// that the leap day ends the year and every month length follows a linear
// rule. Counting starts at -0400-03-01, one 400-year era before year 0, so
// that the whole calendar (years 0 to 65535) is non-negative and everything
// stays in unsigned 32 bits. kShift is day 0 (1899-12-30) counted from there.
constexpr unsigned kShift = 839996;
constexpr long long kMsPerDay = 86400000;

// Day number of y-m-d for a year 0..65535 and a month 1..12; d is added as it
// is. January and February count as months 13 and 14 of the year before, so
// the leap day ends the year and month lengths follow (979 m - 2919) / 32.
constexpr int DaysFromCivil(uint32_t y, uint32_t m, int d) noexcept {
  const bool janFeb = m <= 2;
  const uint32_t year = y + 400 - (janFeb ? 1 : 0);  // from -0400, so never negative
  const uint32_t month = janFeb ? m + 12 : m;
  const uint32_t century = year / 100;
  const uint32_t daysBeforeYear = 1461 * year / 4 - century + century / 4;
  const uint32_t daysBeforeMonth = (979 * month - 2919) / 32;
  return static_cast<int>(daysBeforeYear + daysBeforeMonth) - static_cast<int>(kShift) + (d - 1);
}

struct Civil {
  unsigned year;
  unsigned month;
  unsigned day;
};

// Inverse of DaysFromCivil for day numbers -693959 (0000-01-01) to
// 23242572 (65535-12-31). The divisions by the century and year lengths are
// done as multiplications (four-year and five-month cycles scaled into the
// high and low halves of a 64-bit product), which is exact on this range.
// Outside it the count wraps: the result is some date, never undefined
// behaviour.
constexpr Civil CivilFromDays(int days) noexcept {
  const uint32_t n = static_cast<uint32_t>(days) + kShift;  // days since -0400-03-01
  const uint32_t n1 = 4 * n + 3;
  const uint32_t century = n1 / 146097;
  const uint32_t n2 = (n1 % 146097) | 3;  // 4 * day of the century + 3
  const uint64_t p2 = uint64_t{2939745} * n2;
  const uint32_t yearOfCentury = static_cast<uint32_t>(p2 >> 32);
  const uint32_t dayOfYear = static_cast<uint32_t>(p2) / 2939745 / 4;  // from March 1
  const uint32_t n3 = 2141 * dayOfYear + 197913;
  const uint32_t m = n3 >> 16;  // 3..14, March-based
  const uint32_t d = (n3 & 0xFFFF) / 2141 + 1;
  const bool janFeb = dayOfYear >= 306;
  return {100 * century + yearOfCentury + (janFeb ? 1 : 0) - 400, janFeb ? m - 12 : m, d};
}

// 0 = Sunday .. 6 = Saturday; day 0 was a Saturday.
constexpr int WeekdayOfDay(int days) noexcept { return (days % 7 + 13) % 7; }

constexpr bool Leap(long long y) noexcept { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

// A month outside 1..12 (only a value left half-loaded by a failed strict
// load holds one) is given 31 days.
constexpr int DaysInMonth(long long year, int month) noexcept {
  if (month < 1 || month > 12) return 31;
  return (month == 2 && Leap(year)) ? 29 : kDaysInMonth[month - 1];
}

static_assert(DaysFromCivil(1899, 12, 30) == 0, "day 0");
static_assert(DaysFromCivil(1970, 1, 1) == 25569, "1970-01-01");
static_assert(DaysFromCivil(0, 1, 1) == -693959, "0000-01-01");
static_assert(DaysFromCivil(65535, 12, 31) == 23242572, "65535-12-31");
static_assert(CivilFromDays(-693959).year == 0 && CivilFromDays(-693959).month == 1, "0000-01-01");
static_assert(CivilFromDays(23242572).year == 65535 && CivilFromDays(23242572).day == 31, "65535-12-31");
static_assert(WeekdayOfDay(0) == 6, "1899-12-30 was a Saturday");

// Day number of a value's date (DateTime::YMDToDAYS: a month outside 1..12
// counts as day 0).
inline long long DayNumberOf(DateTime const& d) noexcept {
  const int month = d.GetMonth();
  return month >= 1 && month <= 12
             ? DaysFromCivil(static_cast<unsigned>(d.GetYear()), static_cast<unsigned>(month), d.GetDay())
             : 0;
}

// Milliseconds since midnight of a value's time of day.
inline long long TimeOfDayOf(DateTime const& d) noexcept {
  return ((static_cast<long long>(d.GetHour()) * 60 + d.GetMinute()) * 60 + d.GetSecond()) * 1000 +
         d.GetMillisecond();
}

// Milliseconds since day 0 (DateTime::ToMilliseconds).
inline long long MillisecondsOf(DateTime const& d) noexcept { return DayNumberOf(d) * kMsPerDay + TimeOfDayOf(d); }

}  // namespace calendar_internal

inline DateTime DateTime::FromMilliseconds(long long ms) noexcept {
  using namespace calendar_internal;
  // Within 0000-01-01 .. 65535-12-30 the double form holds every count to
  // well under half a millisecond (at most 2^-28 of a day), so rounding it
  // gives back the count's own day and time of day: the integer split below
  // is the same value. Outside, the double form's clamping decides.
  constexpr long long kFirst = -693959LL * kMsPerDay;  // 0000-01-01 00:00:00.000
  constexpr long long kEnd = 23242572LL * kMsPerDay;   // 65535-12-31 00:00:00.000
  if (ms < kFirst || ms >= kEnd) return DateTime(MillisecondsToDATE(ms));
  // Counted from 0000-01-01, so both divisions work on non-negative numbers.
  const uint64_t fromFirst = static_cast<uint64_t>(ms - kFirst);
  const uint32_t day = static_cast<uint32_t>(fromFirst / kMsPerDay);
  const uint32_t t = static_cast<uint32_t>(fromFirst % kMsPerDay);
  const Civil c = CivilFromDays(static_cast<int>(day) - 693959);
  const uint32_t seconds = t / 1000, minutes = seconds / 60, hours = minutes / 60;
  return DateTime(InRange{}, c.year, c.month, c.day, hours, minutes - 60 * hours, seconds - 60 * minutes,
                  t - 1000 * seconds);
}

}  // namespace QDataType
