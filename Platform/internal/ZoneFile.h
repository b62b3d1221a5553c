// A zone's rules, read from its tz database file (TZif).
//
// A zone file lists the zone's transitions up to some year (2037 for the
// files of most systems) and ends with a rule in the POSIX TZ form, e.g.
// "EST5EDT,M3.2.0,M11.1.0", for every instant after its last transition.
// `FooterRule` holds such a rule parsed once and evaluates it as the C
// library and Python's zoneinfo do: the UTC year of an instant (the local
// year of a wall reading), its two change instants, and the hemisphere test.
//
// `ZoneTable` holds the whole file: its transitions with the offset each one
// brings, the offset before the first and after the last, each transition's
// two wall-clock readings, and the closing rule. An instant is a binary
// search; a wall reading is a search of the readings of the side asked for
// (before or after a change that skips or repeats it), with zoneinfo's
// choices at the edges, so that both agree on every file of the database.
//
// Only files and rules understood in full are used: a file with leap
// seconds, a type offset beyond 26 hours, instants beyond 2^62 seconds or a
// closing rule that is there but not understood (daylight time without
// change dates, say) leaves `usable` false.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "Base/Export.h"

namespace QDataType {
namespace Platform {
namespace zone_internal {

// One change date of a rule: "Jn" (day 1..365, February 29 never counted),
// "n" (day 0..365 counting February 29) or "Mm.w.d" (weekday d of week w of
// month m, week 5 meaning the last), at `seconds` of local time.
struct ChangeDate {
  enum Kind { kJulian1, kJulian0, kMonthWeekDay } kind;
  int day;      // Jn and n: the day; Mm.w.d: the weekday d (0 = Sunday)
  int month;    // Mm.w.d only
  int week;     // Mm.w.d only
  int seconds;  // local time of day of the change, may be negative or past 24 h
};

// Days from 1970-01-01 to y-m-d of the proleptic Gregorian calendar.
QDT_API long long DaysFromCivil(long long y, unsigned m, unsigned d) noexcept;

struct QDT_API FooterRule {
  bool usable = false;        // the rule holds from its table's last transition on
  int standardOffset = 0;     // seconds east of UTC
  int daylightOffset = 0;     // seconds east of UTC; = standardOffset when none
  bool hasDaylight = false;
  ChangeDate start{}, end{};  // daylight time starts (standard local time), ends (daylight local time)

  // The offset at instant t, seconds east of UTC.
  int OffsetAt(long long t) const noexcept;
  // The offset of the local reading `local` (wall-clock seconds from
  // 1970-01-01), the change dates read in its local year: `second` false
  // takes the offset before a change that skips or repeats the reading,
  // true the one after.
  int LocalOffsetAt(long long local, bool second) const noexcept;
  // The instants daylight time starts and ends in `year` (the UTC year of
  // the instants asked about); meaningful only with hasDaylight.
  void ChangesIn(long long year, long long& start, long long& end) const noexcept;
};

// A TZif file's transitions and closing rule, read the way Python's zoneinfo
// reads them (the reference the tests compare with; on the files of the tz
// database the C library gives the same answers).
struct QDT_API ZoneTable {
  bool usable = false;              // read in full (leap-second files never are)
  std::vector<long long> at;        // transition instants, ascending; may be empty
  std::vector<int> offsetFrom;      // the offset from at[i] on, seconds east
  // The two wall-clock readings of each transition: at[i] plus the larger
  // (wallLate) and the smaller (wallEarly) of the offsets before and after
  // it. A reading at or past wallLate[i] is past the transition on the first
  // of two possible readings, one at or past wallEarly[i] on the second.
  std::vector<long long> wallLate, wallEarly;
  int offsetBefore = 0;             // before at[0]: the first standard-time type's offset
  int offsetAfter = 0;              // past the last transition when there is no usable rule
  FooterRule footer;                // past the last transition, when footer.usable

  // The offset at instant t, seconds east.
  int OffsetAt(long long t) const noexcept;
  // The offset of the local reading `local` (seconds on the wall clock from
  // 1970-01-01): with `second` false the one in effect before a transition
  // that skips or repeats it, with `second` true the one after.
  int LocalOffsetAt(long long local, bool second) const noexcept;
  // The old form: false when not usable.
  bool OffsetAt(long long t, int& offset) const noexcept {
    if (!usable) return false;
    offset = OffsetAt(t);
    return true;
  }
};

// The table of a TZif file's contents (version 2 or later); not usable when
// the bytes are anything else or memory runs out.
QDT_API ZoneTable ReadZoneTable(unsigned char const* data, size_t size) noexcept;

// Parses a POSIX TZ rule text (the file's last line); false when it is not
// understood in full.
QDT_API bool ParseFooter(char const* text, size_t size, FooterRule& rule) noexcept;

}  // namespace zone_internal
}  // namespace Platform
}  // namespace QDataType
