/// @file
/// TimeZone: the rules of one time zone, named per call.
///
/// @class QDataType::TimeZone
/// The rules of one time zone: for every instant, the offset of the zone's
/// wall clock from UTC.
///
/// The model
/// ---------
/// A TimeZone maps instants to wall-clock readings. An instant is a Unix time
/// (seconds since 1970-01-01 00:00:00 UTC) or a DateTime read as UTC; a wall
/// time is a DateTime read on the zone's clock. An offset is local minus UTC,
/// in seconds (positive east of Greenwich), so local = instant + offset.
///
/// Zones come from three places, and answer alike once found:
///   - `Find("Europe/Berlin")`: a zone of the system's tz database (the folder
///     TZDIR names when the first zone is looked up, else
///     /usr/share/zoneinfo): its recorded transitions, then its closing rule
///     for every later instant. Answers are those of Python's zoneinfo on the
///     same database.
///   - `Find("EST5EDT,M3.2.0,M11.1.0")`: a POSIX TZ rule, for every instant.
///   - `Local()`: the process's zone as the C library reads it (TZ, else
///     /etc/localtime), with the C library's answers. The calls of DateTime,
///     DynamicTime, VexTime and TimeSeries that take no zone are the same
///     calls with `TimeZone::Local()`.
///
/// A zone is immutable and loaded once: `Find` keeps every zone it loaded for
/// the life of the process and returns the same pointer for the same name,
/// and `Local()` the same reference for the same TZ value. Zones are never
/// copied or destroyed by callers. Any number of threads may use any zones at
/// once; conversions in a zone found by name never touch the C library's zone
/// state or the environment (`Local()` alone reads TZ).
///
/// From UTC to wall time there is exactly one answer. From wall time to UTC
/// there may be none (a reading skipped when the clocks go forward) or two (a
/// reading repeated when they go back): `Lookup` gives both readings a
/// caller may pick from, `earlier` with the offset in effect before the
/// change and `later` with the offset after it. The library's conversions
/// (`DateTime::ToUTCTime` and every computation built on it) take `earlier`:
/// a skipped reading is read with the offset before the change, a repeated
/// one gives the earlier instant.
///
/// What is refused: `Find` returns nullptr for a name that is neither a zone
/// of the database nor a POSIX rule; for a file it cannot read in full (a
/// truncated or corrupt file, one with leap seconds, one whose closing rule it
/// does not understand); and for every name that could reach a file outside
/// the database folder (an absolute path, an empty, "." or ".." component, a
/// control character, more than 255 bytes, or a link in the folder that leads
/// out of it). No file outside that folder is ever opened.
///
/// Example:
/// @code
///   TimeZone const* tokyo = TimeZone::Find("Asia/Tokyo");
///   DateTime const utc(2026, 3, 1, 0, 0, 0);
///   DateTime const there = utc.ToLocalTime(*tokyo);   // 2026-03-01 09:00
///   DateTime const back = there.ToUTCTime(*tokyo);    // 2026-03-01 00:00
/// @endcode
#pragma once

#include "Base/Export.h"
#include "DataType/Calendar/DateTime.h"

namespace QDataType {

namespace Platform {
class ZoneRules;
}

/// How many instants a wall-clock reading has in a zone.
enum class LocalKind {
  Unique,    ///< one instant
  Skipped,   ///< none: the clocks went forward over it
  Repeated,  ///< two: the clocks went back over it
};

/// The UTC instants of a wall-clock reading (TimeZone::Lookup). Both are the
/// reading's fields moved by an offset, its millisecond kept; biases 0.
struct LocalLookup {
  LocalKind kind;    ///< how many instants the reading has
  DateTime earlier;  ///< the reading taken with the offset before a change (the only one when Unique)
  DateTime later;    ///< the reading taken with the offset after a change (= earlier when Unique)
};

class QDT_API TimeZone {
 public:
  /// The zone of a tz database name ("Europe/Berlin", "UTC",
  /// "America/Argentina/Buenos_Aires") or of a POSIX TZ rule
  /// ("EST5EDT,M3.2.0,M11.1.0", "<+0530>-5:30"); nullptr for anything else
  /// (see the model for what is refused). Loaded on the first call for a name
  /// and kept for the life of the process: later calls return the same
  /// pointer.
  static TimeZone const* Find(char const* name) noexcept;
  /// The process's zone: TZ, else /etc/localtime, as the C library reads
  /// them. A change of TZ is seen by the next call (which also makes the C
  /// library read TZ again); /etc/localtime is read once.
  static TimeZone const& Local() noexcept;
  /// UTC.
  static TimeZone const& UTC() noexcept;
  /// The tz database's release ("2025b"), or "" when it does not say.
  static char const* GetDatabaseVersion() noexcept;

  /// Zones are shared, never copied: callers hold pointers and references.
  ///@{
  TimeZone(TimeZone const&) = delete;
  TimeZone& operator=(TimeZone const&) = delete;
  ///@}

  /// The name the zone was found by: the name given to Find, the TZ value
  /// for Local() (its zone name when TZ is unset and /etc/localtime links
  /// into the database, else "localtime"), "UTC" for UTC().
  char const* GetName() const noexcept;
  /// The offset at the instant `unixSeconds`, seconds east of UTC.
  int GetOffset(long long unixSeconds) const noexcept;
  /// The UTC instants of the wall-clock reading `local` (its biases are
  /// ignored; see LocalLookup and the model).
  LocalLookup Lookup(DateTime const& local) const noexcept;

 private:
  friend class DateTime;
  explicit TimeZone(Platform::ZoneRules const* rules) noexcept : rules_(rules) {}
  ~TimeZone() = default;
  struct Registry;
  Platform::ZoneRules const* rules_;
};

}  // namespace QDataType
