/// @file
/// DateTime: a calendar date and time of day to the millisecond.
///
/// @class QDataType::DateTime
/// A calendar date and time of day to the millisecond.
///
/// The model
/// ---------
/// A DateTime is a date in the proleptic Gregorian calendar (years 0 to 65535;
/// year 0 exists and is a leap year) with a time of day to the millisecond. It
/// carries no time zone: whether the fields are UTC or local wall time is up to
/// the caller. Two informational bias fields (minutes east of UTC, and the extra
/// daylight-saving minutes that were in effect) record the zone a value was
/// read in; they take no part in comparison or arithmetic.
///
/// Days are numbered from 1899-12-30 (day 0); 1970-01-01 is day 25569. The
/// `double` form (`ToDATE`, `DateTime(double)`) is the day number plus the time
/// of day as a fraction of a day, the fraction always added (1899-12-29 06:00
/// is -0.75). All arithmetic goes through the count of milliseconds since day
/// 0: a value moved by a TimeSpan is rebuilt from that count, rounded to the
/// millisecond, with biases 0.
///
/// Values are always valid: constructors and assignment clamp out-of-range
/// fields (month 13 becomes 12, February 30 becomes 28 or 29, hour 24:00:00
/// rolls over to the next day). Putters validate instead and return false,
/// leaving the value unchanged. Nothing here throws. (One exception to the
/// clamping: the Unix-time constructor stores the millisecond of an instant
/// from 1970 on as given; see there.)
///
/// Weeks of a month run Sunday to Saturday, week 1 being the one that holds
/// the 1st. Weekdays are numbered 0 = Sunday to 6 = Saturday. The weekday and
/// week are cached in the value on first use (const operations fill the
/// cache).
///
/// Threads: const operations may run on one value from several threads at
/// once (the cache is read and written with relaxed atomic operations; a
/// thread that finds it empty computes the same value as any other). Changing
/// a value while another thread uses it is a data race, as for any type.
#pragma once

#include <cstdint>
#include <ctime>

#include "Base/Export.h"
#include "Base/Strings.h"
#include "DataType/Calendar/ODBC.h"
#include "DataType/Calendar/TimeSpan.h"

namespace QDataType {

struct DateTimeTestPeer;  // white-box access for the library's own tests
class TimeZone;          // DataType/Calendar/TimeZone.h

class QDT_API DateTime {
 public:
  // --- Construction ------------------------------------------------------

  /// Fields as given (low 16 bits of each), then clamped into range: month to
  /// 1..12, day to the month's length (a day below 1 becomes 1), hour to 0..23,
  /// minute and second to 0..59, millisecond to 0..999; 24:00:00 (any
  /// millisecond) rolls over to 00:00:00 of the next day with biases 0. The
  /// biases are minutes east of UTC, informational and unchecked.
  DateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int millisecond = 0,
           int bias = 0, int daylightBias = 0) noexcept;
  /// Day number plus fraction of a day, rounded to the millisecond (a
  /// fraction that rounds to a whole day gives 23:59:59.999 of the same day).
  /// Above day 23242571 the date is 65535-12-30; below day -693959 it is
  /// 0001-01-01 with the time of day ceil(date) - date. NaN reads as 0.0, and
  /// the default value is 1899-12-30 00:00:00.000. Biases 0.
  explicit DateTime(double date = 0.0) noexcept;
  /// Copies every field, the biases and the week caches included; a field out
  /// of range (see the Unix-time constructor) is clamped.
  DateTime(DateTime const& other) noexcept;
  /// Copies every field, the biases and the week caches included; a field out
  /// of range (see the Unix-time constructor) is clamped.
  DateTime& operator=(DateTime const& other) noexcept;

  /// The date at 00:00:00.000, month and day clamped; biases 0.
  explicit DateTime(ODBCDate const& d) noexcept;
  /// The time on 1899-12-31 (day 1), millisecond 0, fields clamped; 24:00:00
  /// gives 1900-01-01 00:00:00.000. Biases 0.
  explicit DateTime(ODBCTime const& t) noexcept;
  /// The timestamp with the millisecond fraction / 1000000 (0 for a fraction
  /// of a whole second or more), fields clamped as by the field constructor.
  explicit DateTime(ODBCDateTime const& ts) noexcept;
  /// Unix time in seconds (UTC) and a millisecond; biases 0. From 1970 on the
  /// millisecond is stored as given (its low 16 bits, unchecked: pass 0..999)
  /// and an instant past 65535-12-31 23:59:59 stops there. Before 1970 the
  /// millisecond is added to the instant and the result is clamped like the
  /// `double` form (nothing before 0001-01-01).
  DateTime(long long seconds, int millisecond) noexcept;

  // --- Fields ------------------------------------------------------------

  /// Year, 0 to 65535.
  int GetYear() const noexcept { return year_; }
  /// Month, 1 to 12.
  int GetMonth() const noexcept { return month_; }
  /// Day of the month, 1 to 31.
  int GetDay() const noexcept { return day_; }
  /// Hour, 0 to 23.
  int GetHour() const noexcept { return hour_; }
  /// Minute, 0 to 59.
  int GetMinute() const noexcept { return minute_; }
  /// Second, 0 to 59.
  int GetSecond() const noexcept { return second_; }
  /// Millisecond, 0 to 999.
  int GetMillisecond() const noexcept { return millisecond_; }
  /// Minutes east of UTC of the zone the value was read in (0 when unknown).
  short GetBias() const noexcept { return bias_; }
  /// Extra daylight-saving minutes east of UTC in effect when the value was
  /// read (0 when none or unknown).
  short GetDaylightBias() const noexcept { return daylightBias_; }

  /// 1..6, week of the month.
  int GetWeek() const noexcept {
    if (LoadCache(week_) == -1) SetWeekAndDayOfWeek();
    return LoadCache(week_);
  }
  /// 0 = Sunday .. 6 = Saturday.
  int GetDayOfWeek() const noexcept {
    if (LoadCache(dayOfWeek_) == -1) SetWeekAndDayOfWeek();
    return LoadCache(dayOfWeek_);
  }
  /// Day of the year, 1..366.
  int GetDayOfYear() const noexcept;
  /// Number of days of the value's month, 28 to 31.
  int GetDaysInMonth() const noexcept;
  /// Quarter of the year, 1 to 4.
  int GetQuarter() const noexcept;
  /// First month of the value's quarter: 1, 4, 7 or 10.
  int GetFirstMonthOfQuater() const noexcept;
  /// Whether the value's year is a leap year.
  bool IsLeapYear() const noexcept;
  /// Whether `year` is a leap year: divisible by 4 and not by 100, or by 400
  /// (so year 0 is one).
  static bool IsLeapYear(int year) noexcept;
  /// A year in 1971..2037 with the same leap-ness and weekday of 1 January;
  /// -1 for a negative year.
  static int YearOfSamePattern(int year) noexcept;

  /// Sets the year and clamps the day to the month (29 February becomes the
  /// 28th in a common year). False for a negative year; a year above 65535
  /// keeps its low 16 bits.
  bool PutYear(int year) noexcept;
  /// Sets the month (1..12) and clamps the day to it; false outside 1..12.
  bool PutMonth(int month) noexcept;
  /// Sets the day: 1..31 clamped to the month's length, or -1..-31 counted
  /// from the month's end (-1 is the last day; below the 1st gives the 1st).
  /// False for 0 and beyond 31 either way.
  bool PutDay(int day) noexcept;
  /// Sets the hour; false outside 0..23. No other field changes.
  bool PutHour(int hour) noexcept;
  /// Sets the minute; false outside 0..59. No other field changes.
  bool PutMinute(int minute) noexcept;
  /// Sets the second; false outside 0..59. No other field changes.
  bool PutSecond(int second) noexcept;
  /// Sets the millisecond; false outside 0..999. No other field changes.
  bool PutMillisecond(int millisecond) noexcept;
  /// Moves by whole weeks to week `week` (1..6) of the month, same weekday and
  /// time of day. False, with the value unchanged, outside 1..6 or when the
  /// move would leave the month. Biases become 0 on success.
  bool PutWeek(int week) noexcept;
  /// Moves to weekday `dayOfWeek` (0 = Sunday .. 6) of the same Sunday-to-
  /// Saturday week, same time of day. False, with the value unchanged, outside
  /// 0..6, or when the move would leave the month and `allowOtherMonth` is
  /// false. Biases become 0 on success.
  bool PutDayOfWeek(int dayOfWeek, bool allowOtherMonth) noexcept;
  /// Moves to the n-th `dayOfWeek` of the month, same time of day. A negative
  /// n counts back from the end but is off by one: -1 selects the occurrence
  /// before the last (the last one is reached only by its positive index).
  /// false when that occurrence does not exist; n == 0 and a weekday outside
  /// 0..6 are refused as well.
  bool PutWeekAndDayOfWeek(int n, int dayOfWeek) noexcept;

  // --- Ordering ----------------------------------------------------------

  /// -1, 0 or 1 over the seven date and time fields.
  static int DateTimeOrder(DateTime const& a, DateTime const& b) noexcept;
  /// Same seven date and time fields (biases and caches ignored).
  bool operator==(DateTime const& other) const noexcept;
  /// Not operator==.
  bool operator!=(DateTime const& other) const noexcept;
  /// Earlier than `other`.
  bool operator<(DateTime const& other) const noexcept;
  /// Later than `other`.
  bool operator>(DateTime const& other) const noexcept;
  /// Not later than `other`.
  bool operator<=(DateTime const& other) const noexcept;
  /// Not earlier than `other`.
  bool operator>=(DateTime const& other) const noexcept;

  // --- Day numbers and the double form ------------------------------------

  /// The `double` form: day number plus the time of day as a fraction of a
  /// day. `DateTime(ToDATE())` gives the value back up to 65535-12-30.
  double ToDATE() const noexcept;
  /// Day number of a date (0 for a month outside 1..12); the day is not checked.
  static int YMDToDAYS(unsigned short year, short month, short day) noexcept;
  /// Inverse of YMDToDAYS for days -693959 (0000-01-01) .. 23242572 (65535-12-31).
  static void DAYSToYMD(int days, unsigned short& year, short& month, short& day) noexcept;
  /// Milliseconds since 1899-12-30 00:00:00.000.
  static long long ToMilliseconds(DateTime const& d) noexcept;
  /// The double form of a millisecond count (the fraction always added to the
  /// floor, so -1 ms is -1 + 0.99999998...).
  static double MillisecondsToDATE(long long ms) noexcept;

  // --- Arithmetic --------------------------------------------------------

  /// This value moved forward by `span`. Moves rebuild the value from its
  /// millisecond count through the double form: the result has biases 0 and
  /// empty caches, and a count beyond the calendar is clamped (it saturates
  /// rather than overflowing).
  DateTime operator+(TimeSpan const& span) const noexcept;
  /// This value moved back by `span`, as operator+ moves it.
  DateTime operator-(TimeSpan const& span) const noexcept;
  /// This value minus `other` in milliseconds (negative when `other` is later).
  TimeSpan operator-(DateTime const& other) const noexcept;
  /// Business time forward: weekends (Saturday, Sunday) are skipped; a weekend
  /// date counts as the following Monday at the same time of day. Meant for a
  /// span of zero or more; the result has biases 0.
  DateTime Add(TimeSpan const& span) const noexcept;
  /// Business time backward, as Add skips weekends. Meant for a span of zero
  /// or more; the result has biases 0.
  DateTime Minus(TimeSpan const& span) const noexcept;
  /// This value minus `other` in business time: the plain difference of the
  /// weekend-shifted ends, less two days per seven whole days and two more when
  /// this value's weekday comes before other's. Ends on the same weekday less
  /// than a week apart therefore keep the weekend between them. Meant for
  /// `other` not later than this value.
  TimeSpan Span(DateTime const& other) const noexcept;
  /// The value rounded half up to the whole second, carrying into the
  /// minute, hour, day, month and year (65535-12-31 23:59:59.500 wraps to
  /// year 0). Biases are kept.
  DateTime RoundToSeconds() const noexcept;

  // --- Clock, zone and platform forms --------------------------------------

  /// Local wall time now, with the zone's biases (minutes east of UTC, and
  /// the daylight-saving minutes when in effect).
  static DateTime Now() noexcept;
  /// UTC now, biases 0.
  static DateTime NowUTC() noexcept;
  /// This value taken as UTC, converted to local wall time.
  ///
  /// Zone conversions take the fields as a wall-clock reading and convert it
  /// under the zone's rules for the value's own date, in every year 0..65535
  /// (the tz database's history before 1970, its closing rule after its last
  /// recorded change), so a date in 2041 is never read under 1974's rules.
  /// Offsets keep their seconds (local mean time before a zone adopted
  /// standard time). A local reading skipped by a transition is converted with
  /// the offset in effect before it; a repeated one gives the earlier instant.
  /// Results have biases 0 and empty caches; a year carried past 65535 or
  /// below 0 keeps its low 16 bits.
  DateTime ToLocalTime() const noexcept;
  /// This value taken as local wall time, converted to UTC (see ToLocalTime
  /// for the rules).
  DateTime ToUTCTime() const noexcept;

  // --- In a zone named per call (TimeZone.h) --------------------------------
  /// This value taken as UTC, converted to the wall time of `zone`, with the
  /// rules of ToLocalTime(); ToLocalTime() is this call with TimeZone::Local().
  DateTime ToLocalTime(TimeZone const& zone) const noexcept;
  /// This value taken as wall time of `zone`, converted to UTC: the `earlier`
  /// reading of zone.Lookup (a skipped reading takes the offset before the
  /// change, a repeated one the earlier instant). ToUTCTime() is this call
  /// with TimeZone::Local().
  DateTime ToUTCTime(TimeZone const& zone) const noexcept;
  // ---------------------------------------------------------------------------

  /// Minutes east of UTC of the zone's standard time now. Returns true: the C
  /// library always has a zone (UTC when it cannot read one), so `bias` is
  /// always set.
  static bool GetTimeZoneInfo(int& bias) noexcept;
  /// Minutes east of UTC in effect now (daylight saving included). Returns
  /// true, as GetTimeZoneInfo does.
  static bool GetTimeZoneInfoWithDaylightSavingTime(int& bias) noexcept;
  /// Minutes west of UTC in effect at this local wall time (the offset
  /// ToUTCTime applies), truncated toward zero.
  int GetTimeZoneBias() const noexcept;
  /// The zone's standard-time name as of now, zero-terminated: at most 31
  /// units and never more than `size` units with the terminator (a longer
  /// name is cut). When the zone has no standard-time name and `t` is in
  /// daylight time, its daylight-time name. A null `name` or a `size` of 0
  /// writes nothing.
  static void GetTimeZoneName(unsigned short* name, unsigned long long size, struct tm& t) noexcept;

  /// The fields as an ODBC timestamp (the fraction is the millisecond in
  /// nanoseconds). A year above 32767 does not fit the signed 16-bit year and
  /// wraps to a negative one.
  ODBCDateTime ToODBCDateTime() const noexcept;
  /// The date as an ODBC date (a year above 32767 wraps, as in ToODBCDateTime).
  ODBCDate ToODBCDate() const noexcept;
  /// The time of day as an ODBC time (the millisecond is dropped).
  ODBCTime ToODBCTime() const noexcept;
  /// Unix time in seconds of this value taken as UTC, truncated toward zero.
  long long Totime_t() const noexcept;
  /// Unix time in seconds of this value taken as UTC, half up after 1970
  /// (truncated toward zero before).
  long long Totime_t64() const noexcept;

  // --- Text and saved form -------------------------------------------------

  /// The form `2024-06-05 07:08:09.045` (the year takes five digits past 9999).
  QBase::ReturnString ToString() const;
  /// The form `2024-06-05T07:08:09.045Z`. The fields are printed as they are:
  /// nothing is converted to UTC despite the Z.
  QBase::ReturnString ToJSONString() const;
  /// The form `6/5/2024`: month/day/year, without padding.
  QBase::ReturnString ToDateString() const;
  /// ToString in UTF-16.
  QBase::ReturnWString ToWString() const;
  /// ToJSONString in UTF-16.
  QBase::ReturnWString ToJSONWString() const;
  /// Parses "Y-M-D", optionally followed by ' ' or 'T' and "h:m:s.ms".
  /// Each number is read as strtoul reads it with a 32-bit unsigned long
  /// (leading white space and a sign accepted, digits after the '.' taken as a
  /// whole number of milliseconds, so ".5" is 5 ms). The year must be at least
  /// 1, the month 1..12, the day 1..31 (clamped to the month; a negative day
  /// counts from the month's end), hour 0..23, minute and second 0..59,
  /// millisecond 0..999. Returns the number of characters consumed (trailing
  /// text such as a 'Z' is left alone), or 0 on failure with the value
  /// unchanged. Nothing is read past the terminator; a null text fails. On
  /// success the biases become 0.
  unsigned int FromString(char const* text) noexcept;

  /// The size of the saved record, 44 bytes.
  ///
  /// The saved record: 44 bytes, eleven little-endian 32-bit words: marker
  /// (-100; -101 reads as the empty value 1899-12-30 00:00:00.000), year,
  /// month, day, hour, minute, second, millisecond, week cache, weekday cache
  /// (-1 when not computed) and `mode` as given. The biases are not saved.
  static unsigned int GetSaveObjSize() noexcept { return 44; }
  /// Writes the 44-byte record with `mode` in its last word. -1 (nothing
  /// written) when size < 44 or buffer is null, else 0.
  int SaveObj(unsigned int size, void* buffer, int mode) const noexcept;
  /// Reads a record of exactly 44 bytes; any other size, or a null buffer, is
  /// refused with -1 before a byte is read. Strict loading (lenient false)
  /// refuses a wrong marker, a mode word above 1 and any out-of-range field
  /// with -1 (the value may then hold part of the record: discard or reset
  /// it); lenient loading clamps fields into range. The caches are taken from
  /// the record as saved; the biases are kept.
  int LoadObj(unsigned int size, void* buffer, bool lenient) noexcept;

 private:
  friend struct DateTimeTestPeer;
  friend class TimeZone;
  // The reading `seconds` after 1970-01-01 00:00:00 with the millisecond
  // given, biases 0 (TimeZone.cpp).
  static DateTime FromWall(long long seconds, int millisecond) noexcept;

  int Sanitize(bool fix) noexcept;
  // True when the clamping pass would change nothing; cheap enough to run
  // before it on every copy and construction (a day up to 28 needs no month
  // length).
  bool PlainlyInRange() const noexcept {
    return static_cast<uint16_t>(month_ - 1) < 12 && static_cast<uint16_t>(day_ - 1) < 28 &&
           static_cast<uint16_t>(hour_) < 24 && static_cast<uint16_t>(minute_) < 60 &&
           static_cast<uint16_t>(second_) < 60 && static_cast<uint16_t>(millisecond_) < 1000;
  }
  // Fields stored as given (low 16 bits), caches -1, no clamping: for
  // results that are in range by construction (biases 0 unless given).
  struct InRange {};
  DateTime(InRange, int year, int month, int day, int hour, int minute, int second, int millisecond, int bias = 0,
           int daylightBias = 0) noexcept
      : year_(static_cast<uint16_t>(year)),
        month_(static_cast<int16_t>(month)),
        day_(static_cast<int16_t>(day)),
        hour_(static_cast<int16_t>(hour)),
        minute_(static_cast<int16_t>(minute)),
        second_(static_cast<int16_t>(second)),
        millisecond_(static_cast<int16_t>(millisecond)),
        week_(-1),
        dayOfWeek_(-1),
        bias_(static_cast<int16_t>(bias)),
        daylightBias_(static_cast<int16_t>(daylightBias)) {}
  // The value `ms` milliseconds after day 0: exactly
  // DateTime(MillisecondsToDATE(ms)), computed in integers within the calendar.
  static DateTime FromMilliseconds(long long ms) noexcept;
  void AdjustDay() noexcept;
  void SetWeekAndDayOfWeek() const noexcept;
  static int WeekFromDayAndDayOfWeek(int day, int dayOfWeek) noexcept;
  int mktime(struct tm& t) const noexcept;
  QBase::ReturnString ToFormatString(char const* format) const;
  size_t FormatStamp(char* out, bool json) const noexcept;

  // The caches are the only state that const operations write; every access
  // that may meet another thread's goes through these.
  static int16_t LoadCache(int16_t const& cache) noexcept { return __atomic_load_n(&cache, __ATOMIC_RELAXED); }
  static void StoreCache(int16_t& cache, int value) noexcept {
    __atomic_store_n(&cache, static_cast<int16_t>(value), __ATOMIC_RELAXED);
  }

  uint16_t year_;
  int16_t month_;
  int16_t day_;
  int16_t hour_;
  int16_t minute_;
  int16_t second_;
  int16_t millisecond_;
  mutable int16_t week_;
  mutable int16_t dayOfWeek_;
  int16_t bias_;
  int16_t daylightBias_;
};

}  // namespace QDataType
