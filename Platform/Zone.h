// The computer's time zone, as the library reads it.
//
// The model
// ---------
// The zone is the process's zone as the C library knows it: the TZ
// environment variable, else /etc/localtime. Its rules come from the tz
// database and are applied for the instant converted, never "the offset in
// effect now", so a conversion gives the same answer whenever it is made.
// Whoever changes TZ calls tzset() before the next conversion. Only
// re-entrant C library calls are made (localtime_r), so every function may
// run on many threads at once.
//
// One shortcut, for speed alone: from 2038 on (past the transition lists of
// most zone files) a zone follows its file's closing rule (e.g.
// "EST5EDT,M3.2.0,M11.1.0"), whose text the C library parses again on every
// call. Offsets at those instants are read here from the zone file that TZ
// names (TZDIR or /usr/share/zoneinfo, /etc/localtime when TZ is unset):
// its transitions and closing rule, loaded once per thread and TZ value and
// evaluated with the C library's own algorithm, so the answers are the C
// library's (a test compares them in every zone). What the file cannot say
// (no such file, leap seconds, a closing rule not understood in full) is
// asked of the C library. A zone file replaced on disk while TZ stays the
// same is seen there by new threads only.
//
// Instants are Unix time: seconds since 1970-01-01 00:00:00 UTC. A local wall
// time is handled as "local seconds": the same count taken on the wall clock,
// as if the wall clock were UTC. An offset is local minus UTC, in seconds
// (positive east of Greenwich), so local = instant + offset.
//
// From UTC to local wall time there is always exactly one answer. From local
// wall time to UTC there may be none (a reading skipped when the clocks go
// forward) or two (a reading repeated when they go back). The rule here: a
// skipped reading is converted with the offset in effect just before the
// skip, and a repeated one resolves to the earlier instant. Both come to the
// same thing: near a transition, the offset in effect before it wins while
// it can still apply.
//
// A zone's description (standard offset, daylight step, names) is read from
// the rules around a given instant. Daylight time means the larger of the two
// offsets in use around that instant, whatever flag the tz database gives it,
// so a zone whose "summer" time is its standard time (negative daylight
// saving in the database) reads like any other: the smaller offset is
// standard and the step is positive.
//
// Internal to the library: nothing here is part of the public headers.
#pragma once

#include <ctime>

#include "Base/Export.h"

namespace QDataType {
namespace Platform {

// The broken-down local wall time of the instant t (localtime_r), tm_gmtoff
// and tm_zone included. False when the C library cannot break it down (a
// year beyond its range); `out` is then all zero.
QDT_API bool LocalTimeAt(long long t, struct tm& out) noexcept;

// The offset in effect at the instant t, seconds east of UTC; 0 when t cannot
// be broken down.
QDT_API int OffsetAt(long long t) noexcept;

// The offset at t as the zone file gives it, for t from 2038 on; false
// before, or when the file cannot say: the C library is then to be asked
// (LocalTimeAt).
QDT_API bool FileOffsetAt(long long t, int& offset) noexcept;

// A local wall time resolved to an instant.
struct LocalResolution {
  long long instant;  // Unix time
  int offset;         // the offset used: local - instant, seconds
};

// The instant of the local wall time `localSeconds` (see the model above for
// skipped and repeated readings).
QDT_API LocalResolution ResolveLocal(long long localSeconds) noexcept;

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
