/// @file
/// DynamicTime: a date and time described relative to a reference moment.
///
/// @class QDataType::DynamicTime
/// A date and time described relative to a reference moment, and the moves of
/// a date by time units and business days.
///
/// The model
/// ---------
/// A DynamicTime is a description such as "the first business day of next
/// month at 08:00", "Friday of this week" or "three days ago at the same
/// time". It holds a kind, flag bits, two offsets and eight fields; nothing in
/// it is a date. `ToDateTime` resolves it against a reference moment in local
/// wall time (the clock's local time when the reference is the default value
/// 1899-12-30 00:00:00.000) and returns the resolved moment in UTC.
///
/// The kind value is a 32-bit signed `DYNAMIC_TIME` made of a kind and flags.
/// The kind is the value with bits 5 to 8 cleared (value & ~0x1E0); it must be
/// 0 or 2 to 14 for the description to resolve. The flags:
/// @code{.unparsed}
///   DT_FLAG_ABSOLUTE_DATE          year, month and day are absolute (kinds 0, 2)
///   DT_FLAG_RELATIVE_HOUR          the hour field is an offset in hours
///   DT_FLAG_RELATIVE_MINUTE_SECOND the minute and second fields are offsets
///   DT_FLAG_BUSINESS_DAYS          day offsets and n-th days count business
///                                  days (Monday to Friday); with a relative
///                                  time flag it also enables the weekend rule
/// @endcode
/// DT_NONE (-100) means "no description": it is the default kind, and
/// `PutDynamicTime(DT_NONE)` keeps the kind there is.
///
/// Fields (all plain 32-bit values, never validated when set):
/// @code{.unparsed}
///   day offset    days (or business days) added to the reference first
///   month offset  (16-bit) months added to the reference first
///   year          Y: year or year offset
///   month         M: month, month offset, or month within the quarter
///   day           D: day of month, day offset or n-th day; 0 selects the
///                 n-th weekday instead
///   hour, minute, second  H, N, S: time of day, or offsets with the flags
///   week          K: week offset, or n of the n-th weekday (negative counts
///                 from the end, see DateTime::PutWeekAndDayOfWeek)
///   day of week   Wd: 0 = Sunday .. 6 = Saturday, -1 = none
/// @endcode
///
/// Resolution
/// ----------
/// `ToDateTime(d)` works on a copy r of the reference d, in wall time:
/// @code{.unparsed}
///   1. the month offset (as MoveNthTimePointBefore(r, -monthOffset,
///      TG_MONTH)), then the day offset (business days with
///      DT_FLAG_BUSINESS_DAYS, towards Monday unless the month offset is
///      negative; otherwise calendar days);
///   2. the kind:
///      0  DT_FIXED_DATE           needs DT_FLAG_ABSOLUTE_DATE: year Y, month M,
///                                 day D (or the n-th weekday when D is 0)
///      2  DT_RELATIVE_DATE_TIME   + Y years, M months, K weeks, D days (or
///                                 business days), then + H hours, N minutes,
///                                 S seconds, millisecond 0; with
///                                 DT_FLAG_ABSOLUTE_DATE the date as kind 0
///                                 and the time moved by H, N and S
///      3  DT_RELATIVE_DAY         + Y years, M months, K weeks, D days
///      4  DT_RELATIVE_WEEK_DAY    + Y years, M months, K weeks, then weekday
///                                 Wd of that Sunday-to-Saturday week
///      5  DT_RELATIVE_MONTH_DAY   + Y years, M months, then day D (negative
///                                 from the month's end), the n-th weekday
///                                 (D 0), or with DT_FLAG_BUSINESS_DAYS the
///                                 D-th business day from the month's start
///                                 (D > 0) or end (D < 0)
///      6  DT_RELATIVE_YEAR_DATE   + Y years, month M (if > 0), day D or the
///                                 n-th weekday
///      7..13 DT_THIS_WEEK_SUNDAY..SATURDAY  that weekday of the reference
///                                 week, then as kind 4
///      14 DT_RELATIVE_QUARTER_DAY + Y years, the quarter's first month (or
///                                 its month M), then the n-th weekday, then
///                                 day D of the quarter (negative from the
///                                 quarter's end), in business days with the
///                                 flag
///   3. the time of day from H, N and S (every kind but 2): an hour of the day
///      (ignored when outside 0..23) or, with DT_FLAG_RELATIVE_HOUR, an offset;
///      the same for the minute and second with DT_FLAG_RELATIVE_MINUTE_SECOND;
///      the millisecond becomes 0;
///   4. the weekend rule, with DT_FLAG_BUSINESS_DAYS and a relative-time flag:
///      when Wd is 6 or 0 (the field, not r's weekday), the result moves off
///      the weekend, forward (+2 days from Wd 6, +1 from Wd 0) when the hour
///      offset is positive (or zero with a non-negative minute offset), else
///      back (-1 day from Wd 6, -2 from Wd 0);
///   5. the local result is converted to UTC under the zone's rules for its
///      date (a skipped local reading with the offset in effect before the
///      change, a repeated one to the earlier instant).
/// @endcode
/// Every putter used is DateTime's: an out-of-range value is ignored (month 0
/// leaves the month, hour 25 leaves the hour), and day numbers are clamped to
/// the month. Moves by days, weeks, hours, minutes and seconds are DateTime
/// moves by a TimeSpan; a move beyond the calendar clamps at its ends.
///
/// The n-th weekday (D 0 with Wd >= 0 and K != 0) moves to occurrence K of
/// weekday Wd in the month; when that occurrence does not exist K steps one
/// towards zero and is tried again (a fifth Monday falls back to the fourth).
/// Resolution fails when K reaches 0, which for Wd 0..6 cannot happen from
/// K = 1..3 or -1..-3; a Wd above 6 never resolves.
///
/// `ToDateTime` returns -1 and leaves d untouched for kind 1, a kind above 14
/// or negative (DT_NONE included), kind 0 without DT_FLAG_ABSOLUTE_DATE and an
/// n-th weekday whose fallback runs out; otherwise 0.
///
/// Choices where the behaviour is not otherwise settled
/// ----------------------------------------------------
/// - Back by n > 0 business days from a Saturday or Sunday: the weekend day
///   counts as the following Monday, as it does going forward and in
///   DateTime::Minus. One business day before a Saturday or Sunday is the
///   Friday; five before is the Monday of that week.
/// - Kind 5 with DT_FLAG_BUSINESS_DAYS and D != 0: the direction that settles
///   a weekend start is taken from the sign of D, as kind 14 does, not from
///   the month field. So D = 1 is the first business day of the month (a
///   weekend 1st moves forward to Monday) and D = -1 the last one (a weekend
///   last day moves back to Friday), whatever the month offset.
///   Consequences of the weekend start counting as Monday: D = 2 on a month
///   starting on Saturday is the Tuesday (the second business day); D = -2
///   on a month ending on Saturday or Sunday is the Friday, the same as D = -1.
/// - Field values of any size are accepted: every sum is formed without
///   overflow (year sums wrap in 32 bits before DateTime::PutYear sees them,
///   so a year move far beyond the calendar leaves the year as it is or
///   stores its low 16 bits, as PutYear does), and the n-th weekday fallback
///   starts at the largest |K| that could still exist, so no field value
///   makes a resolution slow.
///
/// Thread safety: a description is a plain value; `ToDateTime` only reads it
/// (and the clock and zone), so one description may be resolved from several
/// threads at once.
#pragma once

#include "Base/Export.h"
#include "DataType/Calendar/DateTime.h"

namespace QDataType {

/// A kind and flag bits; any 32-bit value may be stored. The kinds and flags
/// are described in the model above.
enum DYNAMIC_TIME : int {
  DT_NONE = -100,                        ///< No description (the default kind).
  DT_FIXED_DATE = 0,                     ///< Kind 0: an absolute date.
  DT_RELATIVE_DATE_TIME = 2,             ///< Kind 2: moved by years to seconds.
  DT_RELATIVE_DAY = 3,                   ///< Kind 3: moved by years, months, weeks and days.
  DT_RELATIVE_WEEK_DAY = 4,              ///< Kind 4: a weekday of a week moved by years, months and weeks.
  DT_RELATIVE_MONTH_DAY = 5,             ///< Kind 5: a day of a month moved by years and months.
  DT_RELATIVE_YEAR_DATE = 6,             ///< Kind 6: a date of a year moved by years.
  DT_THIS_WEEK_SUNDAY = 7,               ///< Kind 7: Sunday of the reference week.
  DT_THIS_WEEK_MONDAY = 8,               ///< Kind 8: Monday of the reference week.
  DT_THIS_WEEK_TUESDAY = 9,              ///< Kind 9: Tuesday of the reference week.
  DT_THIS_WEEK_WEDNESDAY = 10,           ///< Kind 10: Wednesday of the reference week.
  DT_THIS_WEEK_THURSDAY = 11,            ///< Kind 11: Thursday of the reference week.
  DT_THIS_WEEK_FRIDAY = 12,              ///< Kind 12: Friday of the reference week.
  DT_THIS_WEEK_SATURDAY = 13,            ///< Kind 13: Saturday of the reference week.
  DT_RELATIVE_QUARTER_DAY = 14,          ///< Kind 14: a day of a quarter moved by years.
  DT_FLAG_ABSOLUTE_DATE = 0x20,          ///< Flag: year, month and day are absolute.
  DT_FLAG_RELATIVE_HOUR = 0x40,          ///< Flag: the hour field is an offset.
  DT_FLAG_RELATIVE_MINUTE_SECOND = 0x80, ///< Flag: the minute and second fields are offsets.
  DT_FLAG_BUSINESS_DAYS = 0x100,         ///< Flag: days count business days.
};

/// A kind with flags: DT_RELATIVE_MONTH_DAY | DT_FLAG_BUSINESS_DAYS.
constexpr DYNAMIC_TIME operator|(DYNAMIC_TIME a, DYNAMIC_TIME b) noexcept {
  return static_cast<DYNAMIC_TIME>(static_cast<int>(a) | static_cast<int>(b));
}

/// The unit of MoveNthTimePointBefore; any other value moves nothing.
enum TIME_GRANULARITY : int {
  TG_SECOND = 1, ///< A second.
  TG_MINUTE = 2, ///< A minute.
  TG_HOUR = 3,   ///< An hour.
  TG_DAY = 4,    ///< A day.
  TG_MONTH = 5,  ///< A calendar month.
  TG_YEAR = 6,   ///< A calendar year.
  TG_WEEK = 7,   ///< Seven days.
};

class QDT_API DynamicTime {
 public:
  /// Kind and day offset as given; year to week 0, day of week -1, month
  /// offset 0.
  DynamicTime(DYNAMIC_TIME kind = DT_NONE, int dayOffset = 0) noexcept;
  /// A copy of every field.
  DynamicTime(DynamicTime const& other) noexcept;
  /// Copies every field.
  DynamicTime& operator=(DynamicTime const& other) noexcept;
  /// Nothing to release.
  virtual ~DynamicTime();

  // --- The description ----------------------------------------------------

  /// The kind with its flags.
  DYNAMIC_TIME GetDynamicTime() const noexcept { return kind_; }
  /// Stores the value unless it is DT_NONE.
  void PutDynamicTime(DYNAMIC_TIME kind) noexcept;
  /// Days (or business days) added to the reference first.
  int GetDynamicDayOffset() const noexcept { return dayOffset_; }
  /// Stores the day offset as given.
  void PutDynamicDayOffset(int dayOffset) noexcept { dayOffset_ = dayOffset; }
  /// Months added to the reference first.
  short GetDynamicMonthOffset() const noexcept { return monthOffset_; }
  /// Stores the month offset as given.
  void PutDynamicMonthOffset(short monthOffset) noexcept { monthOffset_ = monthOffset; }

  /// The fields Y, M, D, H, N, S, K and Wd of the model, as stored.
  ///@{
  int GetYear() const noexcept { return year_; }
  int GetMonth() const noexcept { return month_; }
  int GetDay() const noexcept { return day_; }
  int GetHour() const noexcept { return hour_; }
  int GetMinute() const noexcept { return minute_; }
  int GetSecond() const noexcept { return second_; }
  int GetWeek() const noexcept { return week_; }
  int GetDayOfWeek() const noexcept { return dayOfWeek_; }
  ///@}
  /// Store the field as given, unchecked.
  ///@{
  void PutYear(int year) noexcept { year_ = year; }
  void PutMonth(int month) noexcept { month_ = month; }
  void PutDay(int day) noexcept { day_ = day; }
  void PutHour(int hour) noexcept { hour_ = hour; }
  void PutMinute(int minute) noexcept { minute_ = minute; }
  void PutSecond(int second) noexcept { second_ = second; }
  void PutWeek(int week) noexcept { week_ = week; }
  void PutDayOfWeek(int dayOfWeek) noexcept { dayOfWeek_ = dayOfWeek; }
  ///@}

  // --- Moves of a date ------------------------------------------------------

  /// Moves d back by n units of g (forward for a negative n); any other g
  /// leaves d as it is. Seconds to weeks are moves by a TimeSpan. Months and
  /// years go through DateTime's putters: the year first, then the month,
  /// each clamping the day to the month at that moment (2024-03-31 back one
  /// month is 2024-02-29; 2024-02-29 back thirteen months passes 2023-02-28
  /// and lands on 2023-01-28). A move to a negative year leaves the year.
  static void MoveNthTimePointBefore(DateTime& d, int n, TIME_GRANULARITY g) noexcept;
  /// Moves d back by n business days (forward for a negative n) at the same
  /// time of day. A weekend start counts as the following Monday in both
  /// directions. With n = 0 a weekend date moves to the next Monday
  /// (towardMonday) or to the previous Friday; other days stay. Reads none of
  /// this object's fields.
  void MoveNthTimePointBefore_BusinessDay(DateTime& d, int n, bool towardMonday) const noexcept;

  // --- Resolution -----------------------------------------------------------

  /// d: the reference in local wall time (the default value means now); on
  /// success it receives the resolved moment in UTC and 0 is returned; on
  /// failure -1, d untouched. See the model above.
  int ToDateTime(DateTime& d) const noexcept;

  // --- In a zone named per call (TimeZone.h) ----------------------------------
  /// ToDateTime with the wall time of `zone` wherever the model says local:
  /// d is the reference in that zone's wall time (the default value means
  /// now there) and receives the resolved moment in UTC. ToDateTime(d) is
  /// this call with TimeZone::Local().
  int ToDateTime(DateTime& d, TimeZone const& zone) const noexcept;
  // -----------------------------------------------------------------------------

 private:
  // The time of day of d from the hour, minute and second fields and flags.
  void hSetTimeOfDate(DateTime& d) const noexcept;

  DYNAMIC_TIME kind_;
  int dayOffset_;
  int year_;
  int month_;
  int day_;
  int hour_;
  int minute_;
  int second_;
  int week_;
  int dayOfWeek_;
  short monthOffset_;
};

}  // namespace QDataType
