#include "Platform/internal/ZoneFile.h"

namespace QDataType {
namespace Platform {
namespace zone_internal {

namespace {

constexpr long long kDay = 86400;
constexpr int kMaxOffset = 26 * 3600;           // offsets of a file's types stay within +-26 hours
constexpr long long kMaxInstant = 1LL << 62;    // and its instants within +-2^62 seconds

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

long long FloorDiv(long long a, long long b) noexcept { return a / b - (a % b < 0); }

// Beyond +-2^56 seconds (two billion years) a rule answers as at that
// bound, far from any overflow of its arithmetic.
long long Clamp(long long t) noexcept {
  constexpr long long kBound = 1LL << 56;
  return t < -kBound ? -kBound : t > kBound ? kBound : t;
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

long long DaysFromCivil(long long y, unsigned m, unsigned d) noexcept {
  y -= m <= 2;
  long long const era = (y >= 0 ? y : y - 399) / 400;
  unsigned const yoe = static_cast<unsigned>(y - era * 400);
  unsigned const doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  unsigned const doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

void FooterRule::ChangesIn(long long year, long long& on, long long& off) const noexcept {
  on = ChangeInstant(start, year, standardOffset);
  off = ChangeInstant(end, year, daylightOffset);
}

int FooterRule::OffsetAt(long long t) const noexcept {
  if (!hasDaylight) return standardOffset;
  t = Clamp(t);
  long long on, off;
  ChangesIn(YearOfDay(FloorDiv(t, kDay)), on, off);
  // Daylight time across New Year (the southern hemisphere) ends before it
  // starts within one year.
  bool const daylight = on > off ? (t < off || t >= on) : (t >= on && t < off);
  return daylight ? daylightOffset : standardOffset;
}

int FooterRule::LocalOffsetAt(long long local, bool second) const noexcept {
  if (!hasDaylight) return standardOffset;
  local = Clamp(local);
  long long const year = YearOfDay(FloorDiv(local, kDay));
  // The changes on the wall clock: the start in standard time, the end in
  // daylight time. Taking back the step from one of them leaves the span in
  // which daylight time holds on the chosen reading.
  long long on = ChangeInstant(start, year, 0), off = ChangeInstant(end, year, 0);
  int const step = daylightOffset - standardOffset;
  if (second == (step >= 0)) {
    off -= step;
  } else {
    on += step;
  }
  bool const daylight = on < off ? (local >= on && local < off) : !(local >= off && local < on);
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
  // Leap seconds shift every instant: such files are not read.
  if (c.type == 0 || c.type > 256 || c.leap != 0 || body > left) return table;
  unsigned char const* const times = h2 + kHeader;
  unsigned char const* const indices = times + c.time * 8;
  unsigned char const* const types = indices + c.time;
  auto offsetOf = [types](unsigned long long k) { return static_cast<int>(static_cast<int32_t>(Be32(types + 6 * k))); };
  auto isDaylight = [types](unsigned long long k) { return types[6 * k + 4] != 0; };
  for (unsigned long long k = 0; k < c.type; ++k) {
    if (offsetOf(k) <= -kMaxOffset || offsetOf(k) >= kMaxOffset) return table;
  }

  try {
    table.at.reserve(static_cast<size_t>(c.time));
    table.offsetFrom.reserve(static_cast<size_t>(c.time));
    for (unsigned long long i = 0; i < c.time; ++i) {
      long long const t = Be64(times + 8 * i);
      if ((i > 0 && t <= table.at.back()) || t < -kMaxInstant || t > kMaxInstant || indices[i] >= c.type) {
        return ZoneTable();
      }
      table.at.push_back(t);
      table.offsetFrom.push_back(offsetOf(indices[i]));
    }
    // Each transition's two readings on the wall clock; before the first,
    // the offset of type 0 stands as zoneinfo has it.
    table.wallLate.resize(table.at.size());
    table.wallEarly.resize(table.at.size());
    int previous = offsetOf(0);
    for (size_t i = 0; i < table.at.size(); ++i) {
      int const next = table.offsetFrom[i];
      table.wallLate[i] = table.at[i] + (previous > next ? previous : next);
      table.wallEarly[i] = table.at[i] + (previous > next ? next : previous);
      previous = next;
    }
  } catch (...) {
    return ZoneTable();
  }
  // Before the first transition: the first standard-time type, or the first
  // transition's when every type is daylight time. Past the last one without
  // a rule: the last transition's type, or the last type when there is none.
  unsigned long long first = 0;
  while (first < c.type && isDaylight(first)) ++first;
  table.offsetBefore = first < c.type ? offsetOf(first) : c.time > 0 ? table.offsetFrom[0] : offsetOf(0);
  table.offsetAfter = c.time > 0 ? table.offsetFrom.back() : offsetOf(c.type - 1);
  table.usable = true;

  // The closing rule: "\n<rule>\n" after the data.
  unsigned char const* const footer = h2 + kHeader + body;
  if (left - body < 2 || footer[0] != '\n') return table;
  size_t const room = left - static_cast<size_t>(body) - 1;
  size_t n = 0;
  while (n < room && footer[1 + n] != '\n') ++n;
  if (n == room || n == 0) return table;  // unterminated, or no rule
  if (!ParseFooter(reinterpret_cast<char const*>(footer + 1), n, table.footer)) {
    // A rule that is there but not understood: the file is not read, rather
    // than answered wrongly past its last transition.
    return ZoneTable();
  }
  table.footer.usable = true;
  return table;
}

namespace {

// Python's bisect_right: the number of entries before the first one above
// x, found by the same halving steps (the lists are ascending on the files
// of the database; on others this still gives one defined answer).
size_t BisectRight(std::vector<long long> const& list, long long x) noexcept {
  size_t lo = 0, hi = list.size();
  while (lo < hi) {
    size_t const mid = lo + (hi - lo) / 2;
    if (x < list[mid]) {
      hi = mid;
    } else {
      lo = mid + 1;
    }
  }
  return lo;
}

}  // namespace

int ZoneTable::OffsetAt(long long t) const noexcept {
  size_t const n = at.size();
  if (n == 0 || t > at.back()) return footer.usable ? footer.OffsetAt(t) : offsetAfter;
  if (t < at.front()) return offsetBefore;
  // The last transition at or before t.
  size_t lo = 0, hi = n - 1;  // at[lo] <= t, and t < at[hi] or hi = n - 1 = t's transition
  if (t >= at[hi]) return offsetFrom[hi];
  while (hi - lo > 1) {
    size_t const mid = lo + (hi - lo) / 2;
    (at[mid] <= t ? lo : hi) = mid;
  }
  return offsetFrom[lo];
}

int ZoneTable::LocalOffsetAt(long long local, bool second) const noexcept {
  std::vector<long long> const& wall = second ? wallEarly : wallLate;
  size_t const n = wall.size();
  if (n != 0 && local < wall.front()) return offsetBefore;
  if (n == 0 || local > wall.back()) {
    return footer.usable ? footer.LocalOffsetAt(local, second) : offsetAfter;
  }
  return offsetFrom[BisectRight(wall, local) - 1];
}

}  // namespace zone_internal
}  // namespace Platform
}  // namespace QDataType
