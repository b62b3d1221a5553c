#include "Platform/internal/ZoneFile.h"

namespace QDataType {
namespace Platform {
namespace zone_internal {

namespace {

constexpr long long kDay = 86400;

// Days from 1970-01-01 to y-m-d of the proleptic Gregorian calendar.
long long DaysFromCivil(long long y, unsigned m, unsigned d) noexcept {
  y -= m <= 2;
  long long const era = (y >= 0 ? y : y - 399) / 400;
  unsigned const yoe = static_cast<unsigned>(y - era * 400);
  unsigned const doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  unsigned const doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

// The year of day `days` since 1970-01-01.
long long YearOfDay(long long days) noexcept {
  days += 719468;
  long long const era = (days >= 0 ? days : days - 146096) / 146097;
  unsigned const doe = static_cast<unsigned>(days - era * 146097);
  unsigned const yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  unsigned const doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  unsigned const mp = (5 * doy + 2) / 153;
  return static_cast<long long>(yoe) + era * 400 + (mp >= 10);
}

bool IsLeap(long long y) noexcept { return y % 4 == 0 && (y % 100 != 0 || y % 400 == 0); }

unsigned DaysInMonth(long long y, unsigned m) noexcept {
  static constexpr unsigned char kLength[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return kLength[m - 1] + (m == 2 && IsLeap(y));
}

// The instant the change date takes place in `year`, its local time read
// with `offset` (seconds east).
long long ChangeInstant(ChangeDate const& c, long long year, int offset) noexcept {
  long long day;
  switch (c.kind) {
    case ChangeDate::kJulian1:  // February 29 is never counted
      day = DaysFromCivil(year, 1, 1) + c.day - 1 + (c.day >= 60 && IsLeap(year));
      break;
    case ChangeDate::kJulian0:
      day = DaysFromCivil(year, 1, 1) + c.day;
      break;
    default: {
      long long const first = DaysFromCivil(year, static_cast<unsigned>(c.month), 1);
      int const weekday = static_cast<int>(((first + 4) % 7 + 7) % 7);  // 1970-01-01 was a Thursday
      int d = c.day - weekday;
      if (d < 0) d += 7;
      int const length = static_cast<int>(DaysInMonth(year, static_cast<unsigned>(c.month)));
      for (int i = 1; i < c.week && d + 7 < length; ++i) d += 7;
      day = first + d;
      break;
    }
  }
  return day * kDay - offset + c.seconds;
}

// --- The rule text ---------------------------------------------------------

class Reader {
 public:
  Reader(char const* text, size_t size) noexcept : p_(text), end_(text + size) {}

  bool AtEnd() const noexcept { return p_ == end_; }
  char Peek() const noexcept { return p_ == end_ ? '\0' : *p_; }
  bool Take(char c) noexcept {
    if (Peek() != c) return false;
    ++p_;
    return true;
  }

  // "<...>" of letters, digits, '+' and '-', or three letters or more.
  bool Name() noexcept {
    char const* const start = p_;
    if (Take('<')) {
      while (IsAlnum(Peek()) || Peek() == '+' || Peek() == '-') ++p_;
      return p_ - start >= 4 && Take('>');
    }
    while (IsAlpha(Peek())) ++p_;
    return p_ - start >= 3;
  }

  // [+-]hh[:mm[:ss]] with hh <= maxHours; seconds, the sign applied.
  bool Clock(int maxHours, int& seconds) noexcept {
    int sign = 1;
    if (Take('-')) {
      sign = -1;
    } else {
      Take('+');
    }
    int h, m = 0, s = 0;
    if (!Number(h) || h > maxHours) return false;
    if (Take(':') && (!Number(m) || m > 59 || (Take(':') && (!Number(s) || s > 59)))) return false;
    seconds = sign * (h * 3600 + m * 60 + s);
    return true;
  }

  // ",Jn", ",n" or ",Mm.w.d", then an optional "/time" (2:00 without).
  bool Change(ChangeDate& c) noexcept {
    if (!Take(',')) return false;
    if (Take('J')) {
      c.kind = ChangeDate::kJulian1;
      if (!Number(c.day) || c.day < 1 || c.day > 365) return false;
    } else if (Take('M')) {
      c.kind = ChangeDate::kMonthWeekDay;
      if (!Number(c.month) || c.month < 1 || c.month > 12 || !Take('.') || !Number(c.week) || c.week < 1 ||
          c.week > 5 || !Take('.') || !Number(c.day) || c.day > 6) {
        return false;
      }
    } else {
      c.kind = ChangeDate::kJulian0;
      if (!Number(c.day) || c.day > 365) return false;
    }
    c.seconds = 2 * 3600;
    return !Take('/') || Clock(167, c.seconds);
  }

 private:
  static bool IsAlpha(char c) noexcept { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
  static bool IsDigit(char c) noexcept { return c >= '0' && c <= '9'; }
  static bool IsAlnum(char c) noexcept { return IsAlpha(c) || IsDigit(c); }

  // Up to three digits.
  bool Number(int& v) noexcept {
    if (!IsDigit(Peek())) return false;
    v = 0;
    for (int n = 0; n < 3 && IsDigit(Peek()); ++n) v = v * 10 + (*p_++ - '0');
    return !IsDigit(Peek());
  }

  char const* p_;
  char const* end_;
};

// --- The file ----------------------------------------------------------------

unsigned long long Be32(unsigned char const* p) noexcept {
  return static_cast<unsigned long long>(p[0]) << 24 | static_cast<unsigned long long>(p[1]) << 16 |
         static_cast<unsigned long long>(p[2]) << 8 | p[3];
}

long long Be64(unsigned char const* p) noexcept {
  unsigned long long const v = Be32(p) << 32 | Be32(p + 4);
  return static_cast<long long>(v);
}

struct Counts {
  unsigned long long isut, isstd, leap, time, type, chars;
};

constexpr size_t kHeader = 44;

Counts CountsAt(unsigned char const* h) noexcept {
  return Counts{Be32(h + 20), Be32(h + 24), Be32(h + 28), Be32(h + 32), Be32(h + 36), Be32(h + 40)};
}

}  // namespace

void FooterRule::ChangesIn(long long year, long long& on, long long& off) const noexcept {
  on = ChangeInstant(start, year, standardOffset);
  off = ChangeInstant(end, year, daylightOffset);
}

int FooterRule::OffsetAt(long long t) const noexcept {
  if (!hasDaylight) return standardOffset;
  long long const days = t >= 0 ? t / kDay : -((-t - 1) / kDay) - 1;
  long long on, off;
  ChangesIn(YearOfDay(days), on, off);
  // Daylight time across New Year (the southern hemisphere) ends before it
  // starts within one year.
  bool const daylight = on > off ? (t < off || t >= on) : (t >= on && t < off);
  return daylight ? daylightOffset : standardOffset;
}

bool ParseFooter(char const* text, size_t size, FooterRule& rule) noexcept {
  Reader r(text, size);
  int west;
  if (!r.Name() || !r.Clock(24, west)) return false;
  rule.standardOffset = -west;
  rule.daylightOffset = rule.standardOffset;
  rule.hasDaylight = false;
  if (r.AtEnd()) return true;
  if (!r.Name()) return false;
  rule.daylightOffset = rule.standardOffset + 3600;
  if (r.Peek() != ',') {
    if (!r.Clock(24, west)) return false;
    rule.daylightOffset = -west;
  }
  // Daylight time without change dates would need the system's default
  // rules: left to the C library.
  if (!r.Change(rule.start) || !r.Change(rule.end) || !r.AtEnd()) return false;
  rule.hasDaylight = true;
  return true;
}

ZoneTable ReadZoneTable(unsigned char const* data, size_t size) noexcept {
  ZoneTable table;
  if (data == nullptr || size < kHeader || data[0] != 'T' || data[1] != 'Z' || data[2] != 'i' || data[3] != 'f' ||
      data[4] < '2') {
    return table;
  }
  // Skip the 32-bit data to the second header; all sizes in 64 bits, so no
  // count can wrap them.
  Counts const v1 = CountsAt(data);
  unsigned long long const skip = v1.time * 5 + v1.type * 6 + v1.chars + v1.leap * 8 + v1.isstd + v1.isut;
  if (skip > size - kHeader || size - kHeader - skip < kHeader) return table;
  unsigned char const* const h2 = data + kHeader + skip;
  if (h2[0] != 'T' || h2[1] != 'Z' || h2[2] != 'i' || h2[3] != 'f') return table;
  Counts const c = CountsAt(h2);
  unsigned long long const body = c.time * 9 + c.type * 6 + c.chars + c.leap * 12 + c.isstd + c.isut;
  size_t const left = size - static_cast<size_t>((h2 + kHeader) - data);
  // Leap seconds shift every instant: left to the C library.
  if (c.time == 0 || c.type == 0 || c.leap != 0 || body > left) return table;
  unsigned char const* const times = h2 + kHeader;
  unsigned char const* const indices = times + c.time * 8;
  unsigned char const* const types = indices + c.time;
  auto offsetOf = [types](unsigned long long k) { return static_cast<int>(static_cast<int32_t>(Be32(types + 6 * k))); };
  auto isDaylight = [types](unsigned long long k) { return types[6 * k + 4] != 0; };

  try {
    table.at.reserve(static_cast<size_t>(c.time));
    table.offsetFrom.reserve(static_cast<size_t>(c.time));
  } catch (...) {
    return ZoneTable();
  }
  for (unsigned long long i = 0; i < c.time; ++i) {
    long long const t = Be64(times + 8 * i);
    if ((i > 0 && t <= table.at.back()) || indices[i] >= c.type) return ZoneTable();
    table.at.push_back(t);
    table.offsetFrom.push_back(offsetOf(indices[i]));
  }
  // Before the first transition: the first standard-time type, or type 0
  // when every type is daylight time.
  unsigned long long first = 0;
  while (first < c.type && isDaylight(first)) ++first;
  table.offsetBefore = offsetOf(first == c.type ? 0 : first);
  table.usable = true;

  // The closing rule: "\n<rule>\n" after the data.
  unsigned char const* const footer = h2 + kHeader + body;
  if (left - body < 2 || footer[0] != '\n') return table;
  size_t const room = left - static_cast<size_t>(body) - 1;
  size_t n = 0;
  while (n < room && footer[1 + n] != '\n') ++n;
  if (n == room || n == 0) return table;  // unterminated, or no rule
  if (!ParseFooter(reinterpret_cast<char const*>(footer + 1), n, table.footer)) return table;
  table.footer.usable = true;
  return table;
}

bool ZoneTable::OffsetAt(long long t, int& offset) const noexcept {
  if (!usable) return false;
  if (t >= at.back()) {
    if (!footer.usable) return false;
    offset = footer.OffsetAt(t);
    return true;
  }
  if (t < at.front()) {
    offset = offsetBefore;
    return true;
  }
  // The last transition at or before t.
  size_t lo = 0, hi = at.size() - 1;  // at[lo] <= t < at[hi]
  while (hi - lo > 1) {
    size_t const mid = lo + (hi - lo) / 2;
    (at[mid] <= t ? lo : hi) = mid;
  }
  offset = offsetFrom[lo];
  return true;
}

}  // namespace zone_internal
}  // namespace Platform
}  // namespace QDataType
