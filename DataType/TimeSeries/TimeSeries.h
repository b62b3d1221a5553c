/// @file
/// TimeSeries: a recurring schedule in local wall time, and its occurrences.
///
/// @class QDataType::TimeSeries
/// A recurring schedule in local wall time, and its occurrences. Get one from
/// CreateTimeSeries or Clone and give it back with Destroy.
///
/// The model
/// ---------
/// A schedule constrains nine calendar units of a local wall time: year,
/// month, day of month, week of month, day of week, hour, minute, second and
/// millisecond. Each unit has a RECURRENCE kind and an integer value:
/// @code{.unparsed}
///   RECURRENCE_FIXED   the unit must equal the value (the day of week takes a
///                      bit mask instead: bit d admits weekday d, 0 = Sunday);
///   RECURRENCE_EVERY   the unit steps by the value, counted from the previous
///                      occurrence (every N days, months, hours, ...);
///   RECURRENCE_WINDOW  hour and minute only: the times of day come from the
///                      daily window;
///   anything else      (RECURRENCE_NONE, say) the unit is free.
/// @endcode
/// Week of month k >= 1 means days 7k-6..7k; -k means the k-th block of seven
/// days counted back from the month's last day; 0 never matches. Week and day
/// of week take part only while the day is neither fixed nor stepped.
///
/// A schedule may carry a daily window: start hour:minute, end hour:minute and
/// an interval in minutes. It is in effect when none of its five fields is -1;
/// the date units then choose the days and every matching day has the times
/// start, start + interval, ... up to the end (inclusive). An end earlier than
/// the start gives one occurrence per day, at the start; an interval of 0 gives
/// none.
///
/// Times cross the interface in UTC. Each computation converts its inputs to
/// local wall time (DateTime::ToLocalTime), walks the schedule there and hands
/// every occurrence back converted with DateTime::ToUTCTime:
/// @code{.unparsed}
///   GetNextOccurrences(from, count, out)
///       the first `count` occurrences not earlier than `from`, the series
///       walked from `from` itself; when an occurrence's UTC form comes out
///       earlier than `from` (a wall time repeated or skipped by a daylight-
///       saving change) it is taken one hour later and the walk goes on from
///       there;
///   GetNextOccurrencesAfterStart(start, from, count, out)
///       the series walked from `start` (stepped units count from it); the
///       first `count` occurrences not earlier than `from`;
///   GetOccurrencesBetween(from, to, &array)
///       every occurrence from `from` to `to`, in a new array (delete[] it).
/// @endcode
/// The walk is an odometer: the time units advance like the wheels of a
/// counter (millisecond, second, minute, hour), a stepped unit moving only
/// when every smaller unit has wrapped or is not stepped, a free unit staying
/// as it is; when the times of a day are exhausted the next matching day is
/// searched forward, at most 2,928 days (8 x 366), or 2,928 x N days under a
/// year step of N. A fixed year later than the search start moves the search
/// straight to that year (the same month and day, clamped to the month); the
/// search resumes the day after, so that day and the earlier ones of that
/// year are not visited.
///
/// Bounded work
/// ------------
/// Every computation returns promptly whatever the fields hold; the results
/// are those of the step-by-step walk just described, which is not how they
/// are computed:
///   - day searches jump over years, months and days that cannot match, and
///     stop as soon as no later day can (a fixed year passed, a step beyond
///     the calendar's last year, a month or day that no month has), and a
///     search without an anchor stops after 400 years without a match, since
///     the calendar repeats every 400 years;
///   - runs of odometer steps that cannot yield an occurrence (the steps up to
///     `from`) are counted out arithmetically instead of taken one by one;
///   - a walk from `start` far behind `from` recognises the point where the
///     series repeats itself (shifted by a whole number of 400-year periods,
///     or of weeks or days when no calendar rule constrains the dates) and
///     jumps over whole repetitions.
///
/// A schedule whose values lie outside their units' ranges (a millisecond step
/// above 1,000, a fixed minute of 75) moves the odometer in ways that no
/// longer form a counter. When every step then moves the same distance the
/// runs are counted out as progressions; otherwise the steps are taken one by
/// one, and a walk that comes back to where it has been (the same time of day
/// on a day in the same position of the date rules' period) is skipped over
/// its repetitions, or ended if it gains no day: it would run forever. As a
/// last resort every computation has a budget of 262,144 steps, plus 256 for
/// each occurrence written; one that exhausts it returns what it has found so
/// far. No schedule with values in their units' ranges comes near it.
///
/// Choices made here (the behaviour is otherwise that of the walk above)
/// ---------------------------------------------------------------------
///   - A RECURRENCE_EVERY value of 0 (stored by CreateTimeSeries, or by PutHour
///     and its kin, which accept 0 whatever the recurrence) steps by 1.
///   - CreateTimeSeries makes a negative RECURRENCE_EVERY value positive; the
///     one value without a positive counterpart, -2147483648, becomes
///     2147483647.
///   - Hour and minute recurrences RECURRENCE_WINDOW while the window is not
///     in effect leave the units free.
///   - GetOccurrencesBetween: the array starts with the capacity C estimated
///     from the schedule (see the method), at most 8,192 entries (also when
///     the estimate wraps to 0 or below), and doubles when a daily window or a
///     wide year span yields more; the listing stops at 8,192 occurrences
///     (ask again from the last one for more). Nothing is ever written past
///     the array's end. A null `out` throws like a null `out` of the other two
///     computations, unless `from` is later than `to` (0 at once).
///   - Computations on one schedule may run on many threads at once as long as
///     no putter runs. They read the process's time zone (TZ) like DateTime.
///
/// Errors
/// ------
/// Putters refuse a value by returning false and leave the field as it was.
/// A null `out` with a non-zero count throws TimeSeriesException (as
/// QBase::ExceptionImpl<TimeSeriesException>, domain MESSAGE_DOMAIN_UNKNOWN,
/// id -1) with the text "Invalid parameter", before anything is converted.
/// Heap exhaustion throws std::bad_alloc; GetOccurrencesBetween then leaves
/// `*out` as it was and leaks nothing.
#pragma once

#include "Base/Export.h"
#include "Base/Message.h"
#include "DataType/Calendar/DateTime.h"

namespace QDataType {

/// How a unit is constrained. A 32-bit enumeration: any value may be stored,
/// and every value but the three with meaning leaves the unit free.
enum RECURRENCE : int {
  RECURRENCE_WINDOW = -100,  ///< hour and minute: times from the daily window
  RECURRENCE_FIXED = -3,     ///< the unit equals the value
  RECURRENCE_EVERY = -2,     ///< the unit steps by the value
  RECURRENCE_NONE = 0,       ///< free (a name for one of the free values)
};

/// The exception of the recurrence schedules: "Invalid parameter".
class QDT_API TimeSeriesException : public QBase::Message {
 public:
  /// An empty message (domain MESSAGE_DOMAIN_UNKNOWN, id 0); the library sets
  /// the id and the text when it raises one.
  TimeSeriesException();
  /// Copies domain, id and text.
  TimeSeriesException(TimeSeriesException const& other);
  /// Copies domain, id and text.
  TimeSeriesException& operator=(TimeSeriesException const& other);
  ~TimeSeriesException() override;
};

class QDT_API TimeSeries {
 public:
  /// An interface has nothing to construct, copy or move; the
  /// implementation's state is its own.
  ///@{
  TimeSeries() = default;
  TimeSeries(TimeSeries const&) = default;
  TimeSeries(TimeSeries&&) = default;
  TimeSeries& operator=(TimeSeries const&) = default;
  TimeSeries& operator=(TimeSeries&&) = default;
  ///@}

  /// Deletes the schedule.
  virtual void Destroy() = 0;

  /// The first `count` occurrences not earlier than `from`, the series walked
  /// from `start`. Writes out[0..n-1] (room for `count` entries) and returns n.
  /// A count of 0 returns 0 at once; a null `out` otherwise throws.
  virtual unsigned int GetNextOccurrencesAfterStart(const DateTime& start, const DateTime& from, unsigned int count,
                                                    DateTime* out) = 0;
  /// The first `count` occurrences not earlier than `from`, the series walked
  /// from `from`. Same contract for `count` and `out`.
  virtual unsigned int GetNextOccurrences(const DateTime& from, unsigned int count, DateTime* out) = 0;
  /// Every occurrence from `from` to `to` (both included). Returns 0 at once
  /// when `from` is later than `to`. Otherwise allocates an array with new[];
  /// when it stores the array in `*out` the caller owns it (delete[]); when it
  /// returns without storing (no matching day, window interval 0, first
  /// occurrence after `to`) it has released the array and `*out` is unchanged.
  /// The capacity estimate C = e + 2 is computed in wrapping 32-bit
  /// arithmetic from the local `from` and `to`: e = 1, or year(to) -
  /// year(from) + 1 under a year step; times 12 unless the month is fixed, 31 unless the
  /// day is fixed, 6 under a week step, the number of weekdays in a fixed
  /// mask, 24 under an hour step, 60 under a minute and a second step each,
  /// 1,000 under a millisecond step.
  virtual unsigned int GetOccurrencesBetween(const DateTime& from, const DateTime& to, DateTime** out) = 0;

  // --- In a zone named per call (TimeZone.h) --------------------------------
  /// The three computations with the schedule walked in the wall time of
  /// `zone` instead of the process's zone; times still cross in UTC. The
  /// calls without a zone are these with TimeZone::Local().
  ///@{
  virtual unsigned int GetNextOccurrencesAfterStart(const DateTime& start, const DateTime& from, unsigned int count,
                                                    DateTime* out, TimeZone const& zone) = 0;
  virtual unsigned int GetNextOccurrences(const DateTime& from, unsigned int count, DateTime* out,
                                          TimeZone const& zone) = 0;
  virtual unsigned int GetOccurrencesBetween(const DateTime& from, const DateTime& to, DateTime** out,
                                             TimeZone const& zone) = 0;
  ///@}
  // ---------------------------------------------------------------------------

  /// The stored value of each unit (GetDayOfWeek gives the mask).
  ///@{
  virtual int GetYear() = 0;
  virtual int GetMonth() = 0;
  virtual int GetDay() = 0;
  virtual int GetWeek() = 0;
  virtual int GetDayOfWeek() = 0;
  virtual int GetHour() = 0;
  virtual int GetMinute() = 0;
  virtual int GetSecond() = 0;
  virtual int GetMillisecond() = 0;
  ///@}

  /// The stored recurrence of each unit.
  ///@{
  virtual RECURRENCE GetYearRecurrence() = 0;
  virtual RECURRENCE GetMonthRecurrence() = 0;
  virtual RECURRENCE GetDayRecurrence() = 0;
  virtual RECURRENCE GetWeekRecurrence() = 0;
  virtual RECURRENCE GetDayOfWeekRecurrence() = 0;
  virtual RECURRENCE GetHourRecurrence() = 0;
  virtual RECURRENCE GetMinuteRecurrence() = 0;
  virtual RECURRENCE GetSecondRecurrence() = 0;
  virtual RECURRENCE GetMillisecondRecurrence() = 0;
  ///@}

  /// Store a unit's value; true, or false with the field unchanged when
  /// refused:
  /// @code{.unparsed}
  ///   PutYear                    v < 1 while the year recurrence is EVERY
  ///   PutMonth, PutDay, PutWeek  v = 0, and v < 0 while the unit's recurrence
  ///                              is EVERY
  ///   PutDayOfWeek               mask < 1
  ///   PutHour                    outside 0..23
  ///   PutMinute, PutSecond       outside 0..59
  ///   PutMillisecond             outside 0..999
  /// @endcode
  ///@{
  virtual bool PutYear(int year) = 0;
  virtual bool PutMonth(int month) = 0;
  virtual bool PutDay(int day) = 0;
  virtual bool PutWeek(int week) = 0;
  virtual bool PutDayOfWeek(int dayOfWeekMask) = 0;
  virtual bool PutHour(int hour) = 0;
  virtual bool PutMinute(int minute) = 0;
  virtual bool PutSecond(int second) = 0;
  virtual bool PutMillisecond(int millisecond) = 0;
  ///@}

  /// Recurrences: always stored (true); RECURRENCE_EVERY raises a value below
  /// 1 to 1. PutDayOfWeekRecurrence refuses RECURRENCE_EVERY.
  ///@{
  virtual bool PutYearRecurrence(RECURRENCE recurrence) = 0;
  virtual bool PutMonthRecurrence(RECURRENCE recurrence) = 0;
  virtual bool PutDayRecurrence(RECURRENCE recurrence) = 0;
  virtual bool PutWeekRecurrence(RECURRENCE recurrence) = 0;
  virtual bool PutDayOfWeekRecurrence(RECURRENCE recurrence) = 0;
  virtual bool PutHourRecurrence(RECURRENCE recurrence) = 0;
  virtual bool PutMinuteRecurrence(RECURRENCE recurrence) = 0;
  virtual bool PutSecondRecurrence(RECURRENCE recurrence) = 0;
  virtual bool PutMillisecondRecurrence(RECURRENCE recurrence) = 0;
  ///@}

  /// A new heap schedule built from the 23 fields as CreateTimeSeries builds
  /// one, so the window rule applies again (see CreateTimeSeries).
  virtual TimeSeries* Clone() = 0;

  /// The window fields: -1 (unset) or hour 0..23, minute 0..59, interval
  /// 0..1439. The putters refuse anything else; they do not apply the window
  /// rule of CreateTimeSeries, so a window set through them is in effect
  /// whatever the hour and minute recurrences are (until a Clone).
  ///@{
  virtual int GetWindowStartHour() = 0;
  virtual int GetWindowStartMinute() = 0;
  virtual int GetWindowEndHour() = 0;
  virtual int GetWindowEndMinute() = 0;
  virtual int GetWindowInterval() = 0;
  virtual bool PutWindowStartHour(int hour) = 0;
  virtual bool PutWindowStartMinute(int minute) = 0;
  virtual bool PutWindowEndHour(int hour) = 0;
  virtual bool PutWindowEndMinute(int minute) = 0;
  virtual bool PutWindowInterval(int minutes) = 0;
  ///@}
};

/// A new heap schedule: nine (recurrence, value) pairs in the order year,
/// month, day, week, day of week, hour, minute, second, millisecond, then the
/// window. Values are stored unchecked, except that:
///   1. a negative RECURRENCE_EVERY value becomes positive;
///   2. a window field out of range (hours -1..23, minutes -1..59, interval
///      -1..1439) becomes -1;
///   3. a complete window (no field -1) is kept only when the hour and minute
///      recurrences are both RECURRENCE_WINDOW; otherwise all five become -1.
QDT_API TimeSeries* CreateTimeSeries(RECURRENCE yearRecurrence, int year, RECURRENCE monthRecurrence, int month,
                                     RECURRENCE dayRecurrence, int day, RECURRENCE weekRecurrence, int week,
                                     RECURRENCE dayOfWeekRecurrence, int dayOfWeekMask, RECURRENCE hourRecurrence,
                                     int hour, RECURRENCE minuteRecurrence, int minute, RECURRENCE secondRecurrence,
                                     int second, RECURRENCE millisecondRecurrence, int millisecond, int windowStartHour,
                                     int windowStartMinute, int windowEndHour, int windowEndMinute, int windowInterval);

}  // namespace QDataType
