#include "Platform/Zone.h"

#include <time.h>

#include <cstring>

namespace QDataType {
namespace Platform {

namespace {

constexpr long long kDay = 86400;
constexpr long long kHalfYear = 183 * kDay;
// Far beyond any calendar the library handles, and far from overflow when a
// day or so is added or taken away.
constexpr long long kLimit = 1LL << 56;

struct Sample {
  bool ok;
  int offset;
  int isdst;
  char const* name;
};

Sample Take(long long t, struct tm& tm) noexcept {
  if (!LocalTimeAt(t, tm)) return Sample{false, 0, 0, ""};
  return Sample{true, static_cast<int>(tm.tm_gmtoff), tm.tm_isdst, tm.tm_zone != nullptr ? tm.tm_zone : ""};
}

void CopyName(char (&to)[32], char const* from) noexcept {
  std::size_t n = 0;
  for (; n + 1 < sizeof to && from[n] != '\0'; ++n) to[n] = from[n];
  to[n] = '\0';
}

}  // namespace

bool LocalTimeAt(long long t, struct tm& out) noexcept {
  time_t const tt = static_cast<time_t>(t);
  if (t >= -kLimit && t <= kLimit && localtime_r(&tt, &out) != nullptr) return true;
  std::memset(&out, 0, sizeof out);
  return false;
}

int OffsetAt(long long t) noexcept {
  struct tm tm;
  return LocalTimeAt(t, tm) ? static_cast<int>(tm.tm_gmtoff) : 0;
}

LocalResolution ResolveLocal(long long localSeconds) noexcept {
  if (localSeconds < -kLimit || localSeconds > kLimit) return LocalResolution{localSeconds, 0};
  // Offsets in use stay well within a day of zero, so the instant one day
  // before the reading (taken as UTC) precedes every candidate instant
  // localSeconds - offset. Its offset is the one in effect "before".
  int const before = OffsetAt(localSeconds - kDay);
  long long const early = localSeconds - before;
  int const atEarly = OffsetAt(early);
  if (atEarly == before) return LocalResolution{early, before};  // unique, or the earlier of two
  // The clocks changed between the probe and `early`: try the offset after
  // the change. If that does not fit either, the reading was skipped.
  long long const late = localSeconds - atEarly;
  if (OffsetAt(late) == atEarly) return LocalResolution{late, atEarly};
  return LocalResolution{early, before};
}

ZoneDescription DescribeZone(long long t) noexcept {
  struct tm tmNow, tmBefore, tmAfter;
  Sample const now = Take(t, tmNow);
  Sample const others[2] = {Take(t - kHalfYear, tmBefore), Take(t + kHalfYear, tmAfter)};

  // One standard and one daylight sample, "now" preferred for either.
  Sample const* standard = now.ok && now.isdst <= 0 ? &now : nullptr;
  Sample const* daylight = now.ok && now.isdst > 0 ? &now : nullptr;
  for (Sample const& s : others) {
    if (!s.ok) continue;
    if (standard == nullptr && s.isdst <= 0) standard = &s;
    if (daylight == nullptr && s.isdst > 0) daylight = &s;
  }

  ZoneDescription d{};
  if (standard == nullptr && daylight == nullptr) {  // nothing could be read: UTC
    return d;
  }
  if (standard == nullptr || daylight == nullptr) {  // one offset all year
    Sample const* only = standard != nullptr ? standard : daylight;
    d.standardOffset = only->offset;
    CopyName(d.standardName, only->name);
    return d;
  }
  bool const nowFlagged = now.ok && now.isdst > 0;
  if (daylight->offset < standard->offset) {  // negative daylight saving: swap the roles
    Sample const* tmp = standard;
    standard = daylight;
    daylight = tmp;
    d.daylightNow = now.ok && !nowFlagged;
  } else {
    d.daylightNow = nowFlagged;
  }
  d.standardOffset = standard->offset;
  d.daylightStep = daylight->offset - standard->offset;
  if (d.daylightStep == 0) d.daylightNow = false;
  CopyName(d.standardName, standard->name);
  CopyName(d.daylightName, daylight->name);
  return d;
}

}  // namespace Platform
}  // namespace QDataType
