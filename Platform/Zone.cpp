#include "Platform/Zone.h"

#include <fcntl.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <new>

#include "Platform/internal/ZoneFile.h"

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

// --- The zone file ---------------------------------------------------------
//
// Offsets from 2038 on come from the zone file that TZ names, read once per
// thread and TZ value into a table (transitions and closing rule) and
// searched here; the C library answers the rest (see Zone.h).

constexpr long long kFarFuture = 1LL << 31;  // 2038-01-19
constexpr size_t kMaxZoneText = 256;          // longer TZ values are left to the C library
constexpr long long kMaxFileSize = 1 << 20;

// The zone file's bytes; false when it cannot be read whole.
bool ReadFile(char const* path, std::unique_ptr<unsigned char[]>& bytes, size_t& size) noexcept {
  int const fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = false;
  off_t const end = lseek(fd, 0, SEEK_END);
  if (end > 0 && end <= kMaxFileSize && lseek(fd, 0, SEEK_SET) == 0) {
    size = static_cast<size_t>(end);
    bytes.reset(new (std::nothrow) unsigned char[size]);
    size_t got = 0;
    while (bytes && got < size) {
      ssize_t const n = read(fd, bytes.get() + got, size - got);
      if (n <= 0) break;
      got += static_cast<size_t>(n);
    }
    ok = bytes && got == size;
  }
  close(fd);
  return ok;
}

// The file the C library reads for a TZ value (null: unset), as it finds it.
zone_internal::ZoneTable LoadTable(char const* tz) noexcept {
  char path[kMaxZoneText + 512];
  if (tz == nullptr) {
    std::strcpy(path, "/etc/localtime");
  } else {
    if (*tz == ':') ++tz;
    if (*tz == '\0') return {};  // UTC
    if (*tz == '/') {
      std::strcpy(path, tz);
    } else {
      char const* dir = getenv("TZDIR");
      if (dir == nullptr || *dir == '\0' || std::strlen(dir) > 500) dir = "/usr/share/zoneinfo";
      std::strcpy(path, dir);
      std::strcat(path, "/");
      std::strcat(path, tz);
    }
  }
  std::unique_ptr<unsigned char[]> bytes;
  size_t size = 0;
  if (!ReadFile(path, bytes, size)) return {};
  return zone_internal::ReadZoneTable(bytes.get(), size);
}

// The table of the zone now in TZ; null when there is none to use.
zone_internal::ZoneTable const* CurrentTable() noexcept {
  struct Cache {
    bool loaded = false;
    bool tzSet = false;
    char tz[kMaxZoneText + 1] = {};
    zone_internal::ZoneTable table;
  };
  thread_local Cache cache;
  char const* const tz = getenv("TZ");
  if (tz != nullptr && std::strlen(tz) > kMaxZoneText) return nullptr;
  bool const same = cache.loaded && cache.tzSet == (tz != nullptr) && (tz == nullptr || std::strcmp(cache.tz, tz) == 0);
  if (!same) {
    cache.table = LoadTable(tz);
    cache.tzSet = tz != nullptr;
    std::strcpy(cache.tz, tz != nullptr ? tz : "");
    cache.loaded = true;
  }
  return cache.table.usable ? &cache.table : nullptr;
}

}  // namespace

bool LocalTimeAt(long long t, struct tm& out) noexcept {
  time_t const tt = static_cast<time_t>(t);
  if (t >= -kLimit && t <= kLimit && localtime_r(&tt, &out) != nullptr) return true;
  std::memset(&out, 0, sizeof out);
  return false;
}

bool FileOffsetAt(long long t, int& offset) noexcept {
  // Before 2038 (inside the transition lists of most files) the C library is
  // as quick as the table, and cheaper than the look-up of TZ that finding
  // the table takes.
  if (t < kFarFuture || t > kLimit) return false;
  zone_internal::ZoneTable const* const table = CurrentTable();
  return table != nullptr && table->OffsetAt(t, offset);
}

int OffsetAt(long long t) noexcept {
  int offset;
  if (FileOffsetAt(t, offset)) return offset;
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
