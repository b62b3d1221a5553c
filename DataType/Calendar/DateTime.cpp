// DateTime: fields, day numbering, the double form, putters, weeks, ordering.
//
// Day numbers come from civil-date arithmetic on a March-based year (no month
// tables, no loops), shifted so that 1899-12-30 is day 0. It is exact for
// every year the 16-bit field can hold. Weekday, week of the month and day of
// the year are computed from the day number too.
#include "DataType/Calendar/DateTime.h"
#include "DataType/Calendar/internal/Civil.h"

#include <cmath>
#include <cstdint>

namespace QDataType {

using namespace calendar_internal;

// --- Construction ------------------------------------------------------------

DateTime::DateTime(int year, int month, int day, int hour, int minute, int second, int millisecond, int bias,
                   int daylightBias) noexcept
    : DateTime(InRange{}, year, month, day, hour, minute, second, millisecond, bias, daylightBias) {
  if (!PlainlyInRange()) Sanitize(true);
}

DateTime::DateTime(double x) noexcept
    : year_(1899), month_(12), day_(30), hour_(0), minute_(0), second_(0), millisecond_(0), week_(-1),
      dayOfWeek_(-1), bias_(0), daylightBias_(0) {
  // NaN fails every comparison below; it is taken as 0.0 like the exact zero.
  if (x == 0.0 || std::isnan(x)) return;

  double f;
  int days;
  if (x > 23242571.0) {
    days = 23242571;  // 65535-12-30
    f = x - std::floor(x);
  } else if (x < -693959.0) {
    days = -693593;  // 0001-01-01
    f = std::ceil(x) - x;
  } else {
    const double fl = std::floor(x);
    days = static_cast<int>(fl);
    f = x - fl;
  }
  if (!(f >= 0.0)) f = 0.0;  // only an infinite x gets here (inf - inf)

  const Civil c = CivilFromDays(days);
  year_ = static_cast<uint16_t>(c.year);
  month_ = static_cast<int16_t>(c.month);
  day_ = static_cast<int16_t>(c.day);

  long long t = static_cast<long long>(f * 86400000.0 + 0.5);
  if (t == kMsPerDay) t = kMsPerDay - 1;
  if (t > 0) {
    hour_ = static_cast<int16_t>(t / 3600000);
    minute_ = static_cast<int16_t>(t % 3600000 / 60000);
    second_ = static_cast<int16_t>(t % 60000 / 1000);
    millisecond_ = static_cast<int16_t>(t % 1000);
  }
  // Every field is in range by construction: the clamping pass would change
  // nothing, so it is not run.
}

DateTime& DateTime::operator=(DateTime const& other) noexcept {
  if (this == &other) return *this;
  year_ = other.year_;
  month_ = other.month_;
  day_ = other.day_;
  hour_ = other.hour_;
  minute_ = other.minute_;
  second_ = other.second_;
  millisecond_ = other.millisecond_;
  week_ = LoadCache(other.week_);
  dayOfWeek_ = LoadCache(other.dayOfWeek_);
  bias_ = other.bias_;
  daylightBias_ = other.daylightBias_;
  if (!PlainlyInRange()) Sanitize(true);
  return *this;
}

// --- Normalisation -------------------------------------------------------------

int DateTime::Sanitize(bool fix) noexcept {
  bool addDay = false;
  if (hour_ == 24 && minute_ == 0 && second_ == 0) {
    hour_ = 0;
    addDay = true;
  }

  if (month_ < 1) {
    if (!fix) return -1;
    month_ = 1;
  } else if (month_ > 12) {
    if (!fix) return -1;
    month_ = 12;
  }

  if (day_ < 1) {
    if (!fix) return -1;
    day_ = 1;
  } else {
    const int dim = DaysInMonth(year_, month_);
    if (day_ > dim) day_ = static_cast<int16_t>(dim);
  }

  // Clamps a time field into [0, hi]; false when it was out of range and
  // nothing may be fixed.
  auto clamp = [fix](int16_t& field, int16_t hi) {
    if (field >= 0 && field <= hi) return true;
    if (!fix) return false;
    field = field < 0 ? int16_t{0} : hi;
    return true;
  };
  if (!clamp(hour_, 23) || !clamp(minute_, 59) || !clamp(second_, 59) || !clamp(millisecond_, 999)) return -1;

  if (addDay) *this = FromMilliseconds(ToMilliseconds(*this) + kMsPerDay);
  return 0;
}

void DateTime::AdjustDay() noexcept {
  if (day_ < 1) {
    day_ = 1;
    return;
  }
  const int dim = DaysInMonth(year_, month_);
  if (day_ > dim) day_ = static_cast<int16_t>(dim);
}

// --- Day numbers and the double form -------------------------------------------

int DateTime::YMDToDAYS(unsigned short year, short month, short day) noexcept {
  if (month < 1 || month > 12) return 0;
  return DaysFromCivil(year, static_cast<unsigned>(month), day);
}

void DateTime::DAYSToYMD(int days, unsigned short& year, short& month, short& day) noexcept {
  const Civil c = CivilFromDays(days);
  year = static_cast<unsigned short>(c.year);
  month = static_cast<short>(c.month);
  day = static_cast<short>(c.day);
}

long long DateTime::ToMilliseconds(DateTime const& d) noexcept { return MillisecondsOf(d); }

double DateTime::MillisecondsToDATE(long long ms) noexcept {
  // The quotient is kept whole (|q| < 2^37 for any count), so a count far
  // outside the calendar stays far outside it and the double constructor
  // clamps it to the nearer end, instead of wrapping back into the calendar.
  const long long q = ms / kMsPerDay;
  const double f = static_cast<double>(ms % kMsPerDay) / 86400000.0;
  return f < 0 ? static_cast<double>(q - 1) + (f + 1.0) : static_cast<double>(q) + f;
}


double DateTime::ToDATE() const noexcept {
  const double fraction =
      ((minute_ / 1440.0 + hour_ / 24.0) + second_ / 86400.0) + millisecond_ / 86400000.0;
  return static_cast<double>(YMDToDAYS(year_, month_, day_)) + fraction;
}

// --- Calendar getters ------------------------------------------------------------

bool DateTime::IsLeapYear(int year) noexcept { return Leap(year); }
bool DateTime::IsLeapYear() const noexcept { return Leap(year_); }

int DateTime::GetDaysInMonth() const noexcept { return DaysInMonth(year_, month_); }
int DateTime::GetQuarter() const noexcept { return (month_ - 1) / 3 + 1; }
int DateTime::GetFirstMonthOfQuater() const noexcept { return ((month_ - 1) / 3) * 3 + 1; }

int DateTime::GetDayOfYear() const noexcept {
  return YMDToDAYS(year_, month_, day_) - YMDToDAYS(year_, 1, 1) + 1;
}

int DateTime::YearOfSamePattern(int year) noexcept {
  if (year < 0) return -1;
  if (year >= 1971 && year <= 2037) return year;
  // Years repeat their calendar every 400 years, so a later year has the
  // pattern of one in 400..799.
  const int y = year >= 2038 ? year % 400 + 400 : year;
  static constexpr short kByJanuaryFirst[7][2] = {
      // common, leap
      {1978, 2012},  // Sunday
      {1973, 1996},  // Monday
      {1974, 1980},  // Tuesday
      {1997, 1992},  // Wednesday
      {1981, 1976},  // Thursday
      {1971, 1988},  // Friday
      {1977, 1972},  // Saturday
  };
  return kByJanuaryFirst[WeekdayOfDay(DaysFromCivil(static_cast<unsigned>(y), 1, 1))][Leap(y) ? 1 : 0];
}

// --- Weeks ---------------------------------------------------------------------

int DateTime::WeekFromDayAndDayOfWeek(int day, int dayOfWeek) noexcept {
  const long long k = static_cast<long long>(day) - dayOfWeek - 1;
  const long long q = k / 7;
  const long long r = k - 7 * q;
  return static_cast<int>(q + 1 + (r > 0 ? 1 : 0));
}

void DateTime::SetWeekAndDayOfWeek() const noexcept {
  const int wd = WeekdayOfDay(YMDToDAYS(year_, month_, day_));
  StoreCache(dayOfWeek_, wd);
  StoreCache(week_, WeekFromDayAndDayOfWeek(day_, wd));
}


// --- Putters -------------------------------------------------------------------

bool DateTime::PutYear(int year) noexcept {
  if (year < 0) return false;
  year_ = static_cast<uint16_t>(year);
  AdjustDay();
  week_ = dayOfWeek_ = -1;
  return true;
}

bool DateTime::PutMonth(int month) noexcept {
  if (month < 1 || month > 12) return false;
  month_ = static_cast<int16_t>(month);
  AdjustDay();
  week_ = dayOfWeek_ = -1;
  return true;
}

bool DateTime::PutDay(int day) noexcept {
  if (day == 0 || day < -31 || day > 31) return false;
  if (day < 0) {
    day = GetDaysInMonth() + 1 + day;
    if (day < 1) day = 1;
  }
  day_ = static_cast<int16_t>(day);
  AdjustDay();
  week_ = dayOfWeek_ = -1;
  return true;
}

bool DateTime::PutHour(int hour) noexcept {
  if (hour < 0 || hour > 23) return false;
  hour_ = static_cast<int16_t>(hour);
  return true;
}

bool DateTime::PutMinute(int minute) noexcept {
  if (minute < 0 || minute > 59) return false;
  minute_ = static_cast<int16_t>(minute);
  return true;
}

bool DateTime::PutSecond(int second) noexcept {
  if (second < 0 || second > 59) return false;
  second_ = static_cast<int16_t>(second);
  return true;
}

bool DateTime::PutMillisecond(int millisecond) noexcept {
  if (millisecond < 0 || millisecond > 999) return false;
  millisecond_ = static_cast<int16_t>(millisecond);
  return true;
}

bool DateTime::PutWeek(int week) noexcept {
  if (week < 1 || week > 6) return false;
  const int current = GetWeek();
  week_ = dayOfWeek_ = -1;
  const DateTime moved = FromMilliseconds(ToMilliseconds(*this) + (week - current) * TimeSpan::kWeek);
  if (moved.month_ != month_) return false;
  *this = moved;
  return true;
}

bool DateTime::PutDayOfWeek(int dayOfWeek, bool allowOtherMonth) noexcept {
  if (dayOfWeek < 0 || dayOfWeek > 6) return false;
  const int current = GetDayOfWeek();
  const DateTime moved = FromMilliseconds(ToMilliseconds(*this) + (dayOfWeek - current) * TimeSpan::kDay);
  if (!allowOtherMonth && moved.month_ != month_) return false;
  *this = moved;
  return true;
}

bool DateTime::PutWeekAndDayOfWeek(int n, int dayOfWeek) noexcept {
  // Outside n != 0 and a weekday 0..6 the move has no meaning; it is refused
  // rather than leaving a day below 1.
  if (n == 0 || dayOfWeek < 0 || dayOfWeek > 6) return false;
  const int d = day_;
  const int c = GetDayOfWeek();
  const int first = (c - (d - 1) % 7 + 7) % 7;  // weekday of the 1st
  const bool before = dayOfWeek < first;
  const int dim = GetDaysInMonth();

  long long w = n;
  if (n < 0) {
    const int count = ((before ? first - dayOfWeek - 8 : first - dayOfWeek - 1) + dim) / 7 + 1;
    w = static_cast<long long>(n) + count;
    if (w < 1) return false;
  }
  if (before) ++w;

  const long long newDay = d + 7 * (w - GetWeek()) + (dayOfWeek - c);
  if (newDay > dim || newDay < 1) return false;
  week_ = static_cast<int16_t>(w);
  dayOfWeek_ = static_cast<int16_t>(dayOfWeek);
  day_ = static_cast<int16_t>(newDay);
  return true;
}

// --- Ordering --------------------------------------------------------------------

int DateTime::DateTimeOrder(DateTime const& a, DateTime const& b) noexcept {
  if (a.year_ != b.year_) return a.year_ > b.year_ ? 1 : -1;
  const int16_t DateTime::*const fields[] = {&DateTime::month_,  &DateTime::day_,    &DateTime::hour_,
                                              &DateTime::minute_, &DateTime::second_, &DateTime::millisecond_};
  for (auto field : fields) {
    if (a.*field != b.*field) return a.*field > b.*field ? 1 : -1;
  }
  return 0;
}

bool DateTime::operator==(DateTime const& o) const noexcept {
  return year_ == o.year_ && month_ == o.month_ && day_ == o.day_ && hour_ == o.hour_ && minute_ == o.minute_ &&
         second_ == o.second_ && millisecond_ == o.millisecond_;
}
bool DateTime::operator!=(DateTime const& o) const noexcept { return !(*this == o); }
bool DateTime::operator<(DateTime const& o) const noexcept { return DateTimeOrder(*this, o) < 0; }
bool DateTime::operator>(DateTime const& o) const noexcept { return DateTimeOrder(o, *this) < 0; }
bool DateTime::operator<=(DateTime const& o) const noexcept { return DateTimeOrder(o, *this) >= 0; }
bool DateTime::operator>=(DateTime const& o) const noexcept { return DateTimeOrder(*this, o) >= 0; }

}  // namespace QDataType
