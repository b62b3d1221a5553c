// Time zones, as the library reads them.
//
// The model
// ---------
// A zone is a set of rules that gives, for every instant, the offset of the
// zone's wall clock from UTC. `ZoneRules` holds one zone's rules, read once
// and never changed, so any number of threads may use one at the same time:
//   - a zone of the tz database, read from its TZif file (the folder TZDIR
//     names, else /usr/share/zoneinfo): its transitions, and its closing
//     POSIX rule (e.g. "EST5EDT,M3.2.0,M11.1.0") for every instant after the
//     last of them;
//   - a POSIX TZ rule given as text ("CET-1CEST,M3.5.0,M10.5.0/3");
//   - the process's zone (TZ, else /etc/localtime), read the way the C
//     library reads it. What the rules above cannot hold (a file with leap
//     seconds, a TZ value the C library reads in its own way) is then asked
//     of the C library itself (localtime_r), so the process's zone always
//     answers as the C library does.
// Rules read from a file answer as Python's zoneinfo does on the same file
// (the tests compare them on every zone of the database).
//
// Instants are Unix time: seconds since 1970-01-01 00:00:00 UTC. A local wall
// time is handled as "local seconds": the same count taken on the wall clock,
// as if the wall clock were UTC. An offset is local minus UTC, in seconds
// (positive east of Greenwich), so local = instant + offset.
//
// From UTC to local wall time there is always exactly one answer. From local
// wall time to UTC there may be none (a reading skipped when the clocks go
// forward) or two (a reading repeated when they go back). `Resolve` gives
// both readings: `earlier` taken with the offset in effect before the change,
// `later` with the offset after it. The library's own rule takes `earlier`:
// a skipped reading is converted with the offset before the skip, and a
// repeated one resolves to the earlier instant.
//
// A zone's description (standard offset, daylight step, names) is read from
// the C library's rules for the process's zone around a given instant.
// Daylight time means the larger of the two offsets in use around that
// instant, whatever flag the tz database gives it, so a zone whose "summer"
// time is its standard time (negative daylight saving in the database) reads
// like any other: the smaller offset is standard and the step is positive.
//
// Only TimeZone::Local() reads TZ or calls tzset (through
// ProcessZoneSetting and SyncCLibraryZone); everything else here reads
// nothing of the process's environment but TZDIR, once.
//
// Internal to the library: nothing here is part of the public headers.
#pragma once

#include <ctime>
#include <string>

#include "Base/Export.h"
#include "Platform/internal/ZoneFile.h"

namespace QDataType {
namespace Platform {

// The broken-down local wall time of the instant t (localtime_r), tm_gmtoff
// and tm_zone included. False when the C library cannot break it down (a
// year beyond its range); `out` is then all zero.
QDT_API bool LocalTimeAt(long long t, struct tm& out) noexcept;

// How many instants a local reading has.
enum class ReadingKind { kUnique, kSkipped, kRepeated };

// The instants of a local reading (see the model). Unique: earlier = later.
struct LocalReading {
  ReadingKind kind;
  long long earlier, later;        // Unix time
  int earlierOffset, laterOffset;  // the offsets used: local - instant, seconds
};

// One zone's rules; never changed once loaded.
class QDT_API ZoneRules {
 public:
  // A zone of the database by its name ("Europe/Berlin"), or a POSIX TZ rule
  // text; nullptr for anything else, and for every name that could reach a
  // file outside the database folder (absolute, "." or ".." components,
  // empty components, control characters, over 255 bytes). The caller owns
  // the result.
  static ZoneRules* LoadNamed(char const* name) noexcept;
  // The zone a TZ value selects (null: TZ unset), as the C library reads it;
  // never null but when memory runs out.
  static ZoneRules* LoadProcess(char const* tz) noexcept;
  // UTC.
  static ZoneRules const& UTC() noexcept;

  ZoneRules(ZoneRules const&) = delete;
  ZoneRules& operator=(ZoneRules const&) = delete;
  ~ZoneRules();

  // The name it was loaded by (the TZ value for the process's zone, the
  // zone's name in the database for /etc/localtime when it can be told,
  // else "localtime").
  char const* Name() const noexcept { return name_.c_str(); }
  // The offset at the instant t, seconds east of UTC.
  int OffsetAt(long long t) const noexcept;
  // The local seconds of the instant t (t + its offset; the C library's
  // broken-down time for rules it answers, a leap second held at :59).
  long long WallAt(long long t) const noexcept;
  // The instants of the local reading `localSeconds`.
  LocalReading Resolve(long long localSeconds) const noexcept;
  // Resolve(localSeconds).earlier, sooner.
  long long EarlierInstant(long long localSeconds) const noexcept;

 private:
  ZoneRules() = default;
  std::string name_;
  bool cLibrary_ = false;  // answered by localtime_r
  zone_internal::ZoneTable table_;
};

// The value of TZ (null when unset); read by TimeZone::Local() alone.
QDT_API char const* ProcessZoneSetting() noexcept;
// Makes the C library read TZ again (tzset), after TimeZone::Local() saw it
// change, so that its own answers (LocalTimeAt, DescribeZone) follow.
QDT_API void SyncCLibraryZone() noexcept;
// The folder of the tz database: TZDIR as it was first read, else
// /usr/share/zoneinfo.
QDT_API char const* ZoneFolder() noexcept;
// The database's release ("2025b", from tzdata.zi in that folder), or "".
QDT_API char const* ZoneDatabaseVersion() noexcept;

// The zone around an instant.
struct ZoneDescription {
  int standardOffset;    // seconds east of UTC in standard time
  int daylightStep;      // extra seconds east in daylight time; 0 if none
  bool daylightNow;      // daylight time in effect at the instant
  char standardName[32]; // e.g. "CET"; zero-terminated, possibly empty
  char daylightName[32]; // e.g. "CEST"; empty for a zone without one
};

// Describes the zone from its rules at t and half a year on either side.
QDT_API ZoneDescription DescribeZone(long long t) noexcept;

}  // namespace Platform
}  // namespace QDataType
