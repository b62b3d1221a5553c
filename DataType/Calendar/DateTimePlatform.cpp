// DateTime and the outside world: ODBC structures, Unix time, the clock and
// the computer's time zone. The clock and zone are reached only through
// Platform/Clock.h and Platform/Zone.h.
//
// The zone conversions live in TimeZone.cpp. The zone queries here ask the C
// library about the process's zone, after TimeZone::Local() has made it read
// TZ again if TZ changed.
#include <cstring>

#include "DataType/Calendar/DateTime.h"
#include "DataType/Calendar/TimeZone.h"
#include "Platform/Clock.h"
#include "Platform/Zone.h"

namespace QDataType {

namespace {

constexpr long long kSecondsPerDay = 86400;
constexpr long long kMillisecondsPerDay = 86400000;
constexpr int kUnixEpochDay = 25569;           // 1970-01-01
constexpr int kLastDay = 23242572;             // 65535-12-31
constexpr long long kEarliestSeconds = -100000000000000LL;  // ~3 million years before 1970

// Seconds from 1970-01-01 00:00:00 to a wall-clock reading, on whatever clock
// the reading was taken (UTC gives Unix time, local gives local seconds).
long long WallSeconds(int year, int month, int day, int hour, int minute, int second) noexcept {
  long long const days = DateTime::YMDToDAYS(static_cast<unsigned short>(year), static_cast<short>(month),
                                             static_cast<short>(day)) -
                         kUnixEpochDay;
  return days * kSecondsPerDay + hour * 3600 + minute * 60 + second;
}

}  // namespace

// --- ODBC ---------------------------------------------------------------------

DateTime::DateTime(ODBCDateTime const& ts) noexcept
    : DateTime(ts.year, ts.month, ts.day, ts.hour, ts.minute, ts.second,
               ts.fraction < 1000000000u ? static_cast<int>(ts.fraction / 1000000u) : 0, 0, 0) {}

DateTime::DateTime(ODBCDate const& d) noexcept : DateTime(d.year, d.month, d.day, 0, 0, 0, 0, 0, 0) {}

DateTime::DateTime(ODBCTime const& t) noexcept : DateTime(1899, 12, 31, t.hour, t.minute, t.second, 0, 0, 0) {}

ODBCDateTime DateTime::ToODBCDateTime() const noexcept {
  return ODBCDateTime{static_cast<int16_t>(year_),
                      static_cast<uint16_t>(month_),
                      static_cast<uint16_t>(day_),
                      static_cast<uint16_t>(hour_),
                      static_cast<uint16_t>(minute_),
                      static_cast<uint16_t>(second_),
                      static_cast<uint32_t>(millisecond_) * 1000000u};
}

ODBCDate DateTime::ToODBCDate() const noexcept {
  return ODBCDate{static_cast<int16_t>(year_), static_cast<uint16_t>(month_), static_cast<uint16_t>(day_)};
}

ODBCTime DateTime::ToODBCTime() const noexcept {
  return ODBCTime{static_cast<uint16_t>(hour_), static_cast<uint16_t>(minute_), static_cast<uint16_t>(second_)};
}

// --- Unix time ----------------------------------------------------------------

DateTime::DateTime(long long seconds, int millisecond) noexcept
    : year_(1970),
      month_(1),
      day_(1),
      hour_(0),
      minute_(0),
      second_(0),
      millisecond_(static_cast<int16_t>(millisecond)),
      week_(-1),
      dayOfWeek_(-1),
      bias_(0),
      daylightBias_(0) {
  if (seconds >= 0) {
    // The UTC fields of the instant, the millisecond as given. Instants past
    // the last representable second stop there.
    long long days = seconds / kSecondsPerDay;
    int sod = static_cast<int>(seconds - days * kSecondsPerDay);
    if (days > kLastDay - kUnixEpochDay) days = kLastDay - kUnixEpochDay, sod = kSecondsPerDay - 1;
    unsigned short y;
    short m, d;
    DAYSToYMD(static_cast<int>(days + kUnixEpochDay), y, m, d);
    year_ = y;
    month_ = m;
    day_ = d;
    hour_ = static_cast<int16_t>(sod / 3600);
    minute_ = static_cast<int16_t>(sod / 60 % 60);
    second_ = static_cast<int16_t>(sod % 60);
    return;
  }
  // Before 1970 the millisecond joins the count; the double form clamps
  // anything before 0001-01-01.
  if (seconds < kEarliestSeconds) seconds = kEarliestSeconds;
  long long const ms = (kUnixEpochDay * kSecondsPerDay + seconds) * 1000 + millisecond;
  *this = DateTime(MillisecondsToDATE(ms));
}

long long DateTime::Totime_t() const noexcept {
  return (ToMilliseconds(*this) - kUnixEpochDay * kMillisecondsPerDay) / 1000;
}

long long DateTime::Totime_t64() const noexcept {
  long long const delta = ToMilliseconds(*this) - kUnixEpochDay * kMillisecondsPerDay;
  long long const q = delta / 1000;
  return delta - q * 1000 >= 500 ? q + 1 : q;
}

// --- Clock --------------------------------------------------------------------

DateTime DateTime::Now() noexcept {
  TimeZone::Local();  // the C library reads TZ again if it changed
  Platform::ClockReading const now = Platform::ReadClock();
  struct tm tm;
  Platform::LocalTimeAt(now.seconds, tm);
  Platform::ZoneDescription const zone = Platform::DescribeZone(now.seconds);
  return DateTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, now.millisecond,
                  zone.standardOffset / 60, zone.daylightNow ? zone.daylightStep / 60 : 0);
}

DateTime DateTime::NowUTC() noexcept {
  Platform::ClockReading const now = Platform::ReadClock();
  return DateTime(now.seconds, now.millisecond);
}

// --- Zone conversion: TimeZone.cpp ----------------------------------------------

int DateTime::mktime(struct tm& t) const noexcept {
  int const pattern = YearOfSamePattern(year_);
  t.tm_year = pattern - 1900;
  t.tm_mon = month_ - 1;
  t.tm_mday = day_;
  t.tm_hour = hour_;
  t.tm_min = minute_;
  t.tm_sec = second_;
  t.tm_isdst = -1;
  // Normalise: resolve the reading to an instant and break that instant down
  // again, so every member (weekday, day of year, daylight flag) is filled.
  long long const local = WallSeconds(pattern, month_, day_, hour_, minute_, second_);
  long long const instant = TimeZone::Local().rules_->EarlierInstant(local);
  if (!Platform::LocalTimeAt(instant, t)) return -1;
  return static_cast<int>(instant);
}

// --- Zone queries -------------------------------------------------------------

// The zone is whatever the C library reads (TZ, else /etc/localtime); the C
// library falls back to UTC rather than fail, so it is always readable here.
bool DateTime::GetTimeZoneInfo(int& bias) noexcept {
  TimeZone::Local();  // the C library reads TZ again if it changed
  Platform::ZoneDescription const zone = Platform::DescribeZone(Platform::ReadClock().seconds);
  bias = zone.standardOffset / 60;
  return true;
}

bool DateTime::GetTimeZoneInfoWithDaylightSavingTime(int& bias) noexcept {
  TimeZone::Local();  // the C library reads TZ again if it changed
  Platform::ZoneDescription const zone = Platform::DescribeZone(Platform::ReadClock().seconds);
  bias = (zone.standardOffset + (zone.daylightNow ? zone.daylightStep : 0)) / 60;
  return true;
}

// Minutes west of UTC: the offset that ToUTCTime applies to this reading,
// truncated toward zero (a local mean time of -4:56:02 gives 296).
int DateTime::GetTimeZoneBias() const noexcept {
  long long const local = WallSeconds(year_, month_, day_, hour_, minute_, second_);
  return static_cast<int>(TimeZone::Local().rules_->EarlierInstant(local) - local) / 60;
}

void DateTime::GetTimeZoneName(unsigned short* name, unsigned long long size, struct tm& t) noexcept {
  if (name == nullptr || size == 0) return;
  TimeZone::Local();  // the C library reads TZ again if it changed
  Platform::ZoneDescription const zone = Platform::DescribeZone(Platform::ReadClock().seconds);
  // The standard-time name; failing that, the name of the kind of time `t`
  // says it is in (its daylight flag).
  char const* text = zone.standardName;
  if (text[0] == '\0' && t.tm_isdst > 0) text = zone.daylightName;
  // At most 31 units and the terminator, and never more than `size` units.
  unsigned long long limit = size - 1 < 31 ? size - 1 : 31;
  unsigned long long n = 0;
  try {
    QBase::WString const wide = QBase::UTF8ToWide(text, std::strlen(text));
    for (; n < limit && n < wide.size(); ++n) name[n] = wide[n];
  } catch (...) {
    n = 0;
  }
  name[n] = 0;
}

}  // namespace QDataType
