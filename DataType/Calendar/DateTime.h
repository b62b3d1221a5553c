// DateTime: a calendar date and time of day to the millisecond.
//
// The model
// ---------
// A DateTime is a date in the proleptic Gregorian calendar (years 0 to 65535;
// year 0 exists and is a leap year) with a time of day to the millisecond. It
// carries no time zone: whether the fields are UTC or local wall time is up to
// the caller. Two informational bias fields (minutes east of UTC, and the extra
// daylight-saving minutes that were in effect) record the zone a value was
// read in; they take no part in comparison or arithmetic.
//
// Days are numbered from 1899-12-30 (day 0); 1970-01-01 is day 25569. The
// `double` form (`ToDATE`, `DateTime(double)`) is the day number plus the time
// of day as a fraction of a day, the fraction always added (1899-12-29 06:00
// is -0.75). All arithmetic goes through the count of milliseconds since day
// 0: a value moved by a TimeSpan is rebuilt from that count, rounded to the
// millisecond, with biases 0.
//
// Values are always valid: constructors and assignment clamp out-of-range
// fields (month 13 becomes 12, February 30 becomes 28 or 29, hour 24:00:00
// rolls over to the next day). Putters validate instead and return false,
// leaving the value unchanged. Nothing here throws.
//
// Weeks of a month run Sunday to Saturday, week 1 being the one that holds
// the 1st. Weekdays are numbered 0 = Sunday to 6 = Saturday. The weekday and
// week are cached in the value on first use (const operations fill the
// cache).
//
// Threads: const operations may run on one value from several threads at
// once (the cache is read and written with relaxed atomic operations; a
// thread that finds it empty computes the same value as any other). Changing
// a value while another thread uses it is a data race, as for any type.
#pragma once

#include <cstdint>
#include <ctime>

#include "Base/Export.h"
#include "Base/Strings.h"
#include "DataType/Calendar/ODBC.h"
#include "DataType/Calendar/TimeSpan.h"

namespace QDataType {

struct DateTimeTestPeer;  // white-box access for the library's own tests

class QDT_API DateTime {
 public:
  // --- Construction ------------------------------------------------------

  // Fields as given (low 16 bits of each), then clamped into range.
  DateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int millisecond = 0,
           int bias = 0, int daylightBias = 0) noexcept;
  // Day number plus fraction of a day, rounded to the millisecond (a
  // fraction that rounds to a whole day gives 23:59:59.999 of the same day).
  // Above day 23242571 the date is 65535-12-30; below day -693959 it is
  // 0001-01-01 with the time of day ceil(date) - date. NaN reads as 0.0.
  explicit DateTime(double date = 0.0) noexcept;
  DateTime(DateTime const& other) noexcept;
  DateTime& operator=(DateTime const& other) noexcept;

  explicit DateTime(ODBCDate const& d) noexcept;
  explicit DateTime(ODBCTime const& t) noexcept;  // on 1899-12-31
  explicit DateTime(ODBCDateTime const& ts) noexcept;
  // Unix time in seconds (UTC) and a millisecond.
  DateTime(long long seconds, int millisecond) noexcept;

  // --- Fields ------------------------------------------------------------

  int GetYear() const noexcept { return year_; }
  int GetMonth() const noexcept { return month_; }
  int GetDay() const noexcept { return day_; }
  int GetHour() const noexcept { return hour_; }
  int GetMinute() const noexcept { return minute_; }
  int GetSecond() const noexcept { return second_; }
  int GetMillisecond() const noexcept { return millisecond_; }
  short GetBias() const noexcept { return bias_; }
  short GetDaylightBias() const noexcept { return daylightBias_; }

  // 1..6, week of the month.
  int GetWeek() const noexcept {
    if (LoadCache(week_) == -1) SetWeekAndDayOfWeek();
    return LoadCache(week_);
  }
  // 0 = Sunday .. 6 = Saturday.
  int GetDayOfWeek() const noexcept {
    if (LoadCache(dayOfWeek_) == -1) SetWeekAndDayOfWeek();
    return LoadCache(dayOfWeek_);
  }
  int GetDayOfYear() const noexcept;  // 1..366
  int GetDaysInMonth() const noexcept;
  int GetQuarter() const noexcept;
  int GetFirstMonthOfQuater() const noexcept;
  bool IsLeapYear() const noexcept;
  static bool IsLeapYear(int year) noexcept;
  // A year in 1971..2037 with the same leap-ness and weekday of 1 January;
  // -1 for a negative year.
  static int YearOfSamePattern(int year) noexcept;

  // Putters: false (value unchanged) when the argument is out of range.
  bool PutYear(int year) noexcept;
  bool PutMonth(int month) noexcept;
  bool PutDay(int day) noexcept;  // negative counts from the month's end
  bool PutHour(int hour) noexcept;
  bool PutMinute(int minute) noexcept;
  bool PutSecond(int second) noexcept;
  bool PutMillisecond(int millisecond) noexcept;
  bool PutWeek(int week) noexcept;
  bool PutDayOfWeek(int dayOfWeek, bool allowOtherMonth) noexcept;
  // Moves to the n-th `dayOfWeek` of the month, same time of day. A negative
  // n counts back from the end but is off by one: -1 selects the occurrence
  // before the last (the last one is reached only by its positive index).
  // false when that occurrence does not exist; n == 0 and a weekday outside
  // 0..6 are refused as well.
  bool PutWeekAndDayOfWeek(int n, int dayOfWeek) noexcept;

  // --- Ordering ----------------------------------------------------------

  // -1, 0 or 1 over the seven date and time fields.
  static int DateTimeOrder(DateTime const& a, DateTime const& b) noexcept;
  bool operator==(DateTime const& other) const noexcept;
  bool operator!=(DateTime const& other) const noexcept;
  bool operator<(DateTime const& other) const noexcept;
  bool operator>(DateTime const& other) const noexcept;
  bool operator<=(DateTime const& other) const noexcept;
  bool operator>=(DateTime const& other) const noexcept;

  // --- Day numbers and the double form ------------------------------------

  double ToDATE() const noexcept;
  // Day number of a date (0 for a month outside 1..12); the day is not checked.
  static int YMDToDAYS(unsigned short year, short month, short day) noexcept;
  // Inverse of YMDToDAYS for days -693959 (0000-01-01) .. 23242572 (65535-12-31).
  static void DAYSToYMD(int days, unsigned short& year, short& month, short& day) noexcept;
  // Milliseconds since 1899-12-30 00:00:00.000.
  static long long ToMilliseconds(DateTime const& d) noexcept;
  // The double form of a millisecond count (the fraction always added to the
  // floor, so -1 ms is -1 + 0.99999998...).
  static double MillisecondsToDATE(long long ms) noexcept;

  // --- Arithmetic --------------------------------------------------------

  // Moves rebuild the value from its millisecond count through the double
  // form: the result has biases 0 and empty caches, and a count beyond the
  // calendar is clamped (it saturates rather than overflowing).
  DateTime operator+(TimeSpan const& span) const noexcept;
  DateTime operator-(TimeSpan const& span) const noexcept;
  TimeSpan operator-(DateTime const& other) const noexcept;
  // Business time: weekends (Saturday, Sunday) are skipped; a weekend date
  // counts as the following Monday at the same time of day.
  DateTime Add(TimeSpan const& span) const noexcept;
  DateTime Minus(TimeSpan const& span) const noexcept;
  // This value minus `other` in business time: the plain difference of the
  // weekend-shifted ends, less two days per seven whole days and two more when
  // this value's weekday comes before other's. Ends on the same weekday less
  // than a week apart therefore keep the weekend between them.
  TimeSpan Span(DateTime const& other) const noexcept;
  DateTime RoundToSeconds() const noexcept;  // half up

  // --- Clock, zone and platform forms --------------------------------------

  static DateTime Now() noexcept;     // local wall time, with the zone's biases
  static DateTime NowUTC() noexcept;  // UTC, biases 0
  // Zone conversions take the fields as a wall-clock reading and convert it
  // under the zone's rules for the value's own date, in every year 0..65535
  // (the tz database's history before 1970, its closing rule after its last
  // recorded change), so a date in 2041 is never read under 1974's rules.
  // Offsets keep their seconds (local mean time before a zone adopted
  // standard time). A local reading skipped by a transition is converted with
  // the offset in effect before it; a repeated one gives the earlier instant.
  // Results have biases 0 and empty caches; a year carried past 65535 or
  // below 0 keeps its low 16 bits.
  DateTime ToLocalTime() const noexcept;  // this value is UTC
  DateTime ToUTCTime() const noexcept;    // this value is local wall time
  // Minutes east of UTC of standard time; false when the zone is unreadable.
  static bool GetTimeZoneInfo(int& bias) noexcept;
  // Minutes east of UTC in effect now (daylight saving included).
  static bool GetTimeZoneInfoWithDaylightSavingTime(int& bias) noexcept;
  // Minutes west of UTC in effect at this local wall time (the offset
  // ToUTCTime applies), truncated toward zero.
  int GetTimeZoneBias() const noexcept;
  // The zone's standard-time name; never writes more than `size` units.
  static void GetTimeZoneName(unsigned short* name, unsigned long long size, struct tm& t) noexcept;

  ODBCDateTime ToODBCDateTime() const noexcept;
  ODBCDate ToODBCDate() const noexcept;
  ODBCTime ToODBCTime() const noexcept;
  long long Totime_t() const noexcept;    // truncated toward zero
  long long Totime_t64() const noexcept;  // half up after 1970

  // --- Text and saved form -------------------------------------------------

  QBase::ReturnString ToString() const;      // 2024-06-05 07:08:09.045
  QBase::ReturnString ToJSONString() const;  // 2024-06-05T07:08:09.045Z
  QBase::ReturnString ToDateString() const;  // 6/5/2024
  QBase::ReturnWString ToWString() const;
  QBase::ReturnWString ToJSONWString() const;
  // Parses "Y-M-D", optionally followed by ' ' or 'T' and "h:m:s.ms".
  // Each number is read as strtoul reads it with a 32-bit unsigned long
  // (leading white space and a sign accepted, digits after the '.' taken as a
  // whole number of milliseconds, so ".5" is 5 ms). The year must be at least
  // 1, the month 1..12, the day 1..31 (clamped to the month; a negative day
  // counts from the month's end), hour 0..23, minute and second 0..59,
  // millisecond 0..999. Returns the number of characters consumed (trailing
  // text such as a 'Z' is left alone), or 0 on failure with the value
  // unchanged. Nothing is read past the terminator; a null text fails.
  unsigned int FromString(char const* text) noexcept;

  // The saved record: 44 bytes, eleven little-endian 32-bit words: marker
  // (-100; -101 reads as the empty value 1899-12-30 00:00:00.000), year,
  // month, day, hour, minute, second, millisecond, week cache, weekday cache
  // (-1 when not computed) and `mode` as given. The biases are not saved.
  static unsigned int GetSaveObjSize() noexcept { return 44; }
  // -1 (nothing written) when size < 44 or buffer is null, else 0.
  int SaveObj(unsigned int size, void* buffer, int mode) const noexcept;
  // Reads a record of exactly 44 bytes; any other size, or a null buffer, is
  // refused with -1 before a byte is read. Strict loading (lenient false)
  // refuses a wrong marker, a mode word above 1 and any out-of-range field
  // with -1 (the value may then hold part of the record: discard or reset
  // it); lenient loading clamps fields into range. The caches are taken from
  // the record as saved; the biases are kept.
  int LoadObj(unsigned int size, void* buffer, bool lenient) noexcept;

 private:
  friend struct DateTimeTestPeer;

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
