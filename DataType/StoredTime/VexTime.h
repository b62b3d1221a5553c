/// @file
/// VexTime: a stored time value, static or dynamic.
///
/// @class QDataType::VexTime
/// A stored time value: a static date in UTC or local time, or a dynamic
/// description.
///
/// The model
/// ---------
/// A VexTime is a small handle that holds one of:
///   - a static date-time kept in UTC (TIME_MODE_UTC) or in the machine's
///     local wall time (TIME_MODE_LOCAL): an owned DateTime;
///   - a dynamic description (TIME_MODE_DYNAMIC): an owned DynamicTime,
///     resolved against the clock (or a given reference) whenever a concrete
///     date is needed; a resolved description is a UTC moment;
///   - nothing (TIME_MODE_UNSET).
///
/// A static value is one of mode 0 or 1. Callers read and write its calendar
/// fields either as stored ("actual") or as resolved and converted to UTC or
/// local time, compare values, turn them into a DateTime or a double date,
/// ask for the expiration of a dynamic value, and save and load it.
///
/// Memory: the owned object comes from the Buffer (arena) given to the
/// constructor, or from the heap when it is null; the buffer never changes
/// (copies and assignments keep their own). Dropping an object (mode change,
/// assignment, Reset, destruction) frees a heap object and only forgets an
/// arena object, which goes back with the arena. When the same kind of object
/// is needed again the existing one is reused, so a value does not allocate
/// again across loads and assignments of the same kind. The heap failing
/// raises std::bad_alloc; an arena failing is described below.
///
/// Results
/// -------
/// Operations return 0 or one of the codes below (int; hexadecimal as
/// unsigned). Field getters return the field, or E_TIME_NOT_SET in its place.
/// Nothing else is thrown. Every operation that needs a value (SetMode, the
/// description and offset accessors, GetNthTimePointBefore, every field
/// getter and setter, TolocalDATE, TolocalDATEWithFixedTime) answers an unset
/// value with E_TIME_NOT_SET and changes nothing; ToDateTime answers it with 1.
///
/// Zones. Static fields are stored in the zone of the mode. A field getter
/// with `actual` reads the stored field as it is; without it, the value is
/// resolved (a dynamic one against now) and converted to the zone asked for.
/// A zone-dependent setter on a static value of the other zone converts the
/// stored date to that zone, sets the field there and converts back. Setters
/// on a dynamic value set the description's field of the same name.
///
/// Saved record: 44 bytes, eleven little-endian 32-bit words.
/// @code{.unparsed}
///   word 0   -101 unset; -100 static; otherwise dynamic: the kind (flags
///            included) OR-ed with the month offset shifted 16 bits left
///            (two's complement), so a kind of DT_NONE saves as -100 whatever
///            its offset, and such a record loads as a static value
///   1..9     static: year, month, day, hour, minute, second, millisecond,
///            week of the month, weekday (DateTime's record); dynamic: year,
///            month, day, hour, minute, second fields, day offset, week and
///            day-of-week fields; unset: zeros
///   10       static: 0 UTC, 1 local; dynamic: 1; unset: 0
/// @endcode
/// Loading a dynamic record takes the kind from the low 16 bits of word 0
/// (zero-extended) and the month offset from the high 16 bits.
///
/// Choices where the behaviour is not otherwise settled
/// ----------------------------------------------------
/// - An arena that cannot supply the owned object (operator new(size_t,
///   Buffer*) returning null): the value becomes unset and stays a proper
///   unset value; every later operation answers exactly as for an unset value
///   (E_TIME_NOT_SET, 1 from ToDateTime, -101 from GetRealMode, and so on).
///   The operation that needed the object returns what it returns on success
///   (the constructors, SetToCurrentTime, PutDynamicTime, SetReadMode,
///   assignment, GetExpiration's result, LoadObj and LoadFromStream); a
///   stream load still reads the item, so the stream stays in step.
/// - A static record whose mode word is neither 0 nor 1 loads as UTC, as the
///   constructors clamp any mode other than 0 and 1 to UTC. A stored date is
///   never marked dynamic.
/// - SetMode on a static value with a mode other than UTC and LOCAL: treated
///   as TIME_MODE_UTC (converted to UTC and stored as UTC).
/// - operator< and operator> with an unset operand: an unset value orders
///   before every value that holds one (dynamic kinds 0 and 1 included), and
///   two unset values are neither less nor greater, as they are equal.
/// - A null buffer given to SaveObj or LoadObj returns -1, nothing read or
///   written; a null stream makes SaveToStream and LoadFromStream return 0
///   without doing anything.
/// - Comparisons that resolve both sides against now read the clock once, so
///   two descriptions are resolved against the same moment.
///
/// Threads: distinct values may be used on distinct threads, and the const
/// operations may run on one shared value from several threads at once (they
/// only read it; a stored date fills its caches as DateTime allows). Changing
/// a value while another thread uses it is a data race, and values that
/// share an arena share its thread rules.
#pragma once

#include "Base/Export.h"
#include "Base/Memory.h"
#include "Base/Serialization.h"
#include "DataType/Calendar/DateTime.h"
#include "DataType/DynamicTime/DynamicTime.h"

namespace QDataType {

/// What a VexTime holds.
enum TIME_MODE : int {
  TIME_MODE_UTC = 0,      ///< static, in UTC
  TIME_MODE_LOCAL = 1,    ///< static, in local wall time
  TIME_MODE_DYNAMIC = 2,  ///< a description resolved on demand
  TIME_MODE_UNSET = -101, ///< no value
};

// Result codes (hexadecimal as unsigned).
constexpr int E_TIME_NOT_SET = -0x7FF7C648;         ///< 0x800839B8: the value is unset
constexpr int E_TIME_NOT_DYNAMIC = -0x7FFBCF80;     ///< 0x80043080: an offset of a static value
constexpr int E_TIME_RESOLVE_FAILED = -0x7FFBCF81;  ///< 0x8004307F: DynamicTime::ToDateTime failed
constexpr int E_TIME_FIELD_REJECTED = -0x7FFBCF7B;  ///< 0x80043085: the date refused a week or weekday
static_assert(static_cast<unsigned>(E_TIME_NOT_SET) == 0x800839B8u, "E_TIME_NOT_SET");
static_assert(static_cast<unsigned>(E_TIME_NOT_DYNAMIC) == 0x80043080u, "E_TIME_NOT_DYNAMIC");
static_assert(static_cast<unsigned>(E_TIME_RESOLVE_FAILED) == 0x8004307Fu, "E_TIME_RESOLVE_FAILED");
static_assert(static_cast<unsigned>(E_TIME_FIELD_REJECTED) == 0x80043085u, "E_TIME_FIELD_REJECTED");

class QDT_API VexTime {
 public:
  // --- Construction --------------------------------------------------------

  /// Unset, on the heap.
  VexTime() noexcept;
  /// Unset; the owned object will come from `buffer` (the heap when null).
  explicit VexTime(QBase::Buffer* buffer) noexcept;
  /// A static value from a double date (day number and fraction) and a
  /// millisecond (DateTime::PutMillisecond: ignored outside 0..999). A mode
  /// other than TIME_MODE_LOCAL is TIME_MODE_UTC. The date is taken as UTC
  /// when givenInUTC, else as local wall time, and stored converted to the
  /// zone of the mode.
  ///@{
  VexTime(double date, int milliseconds, TIME_MODE mode, bool givenInUTC);
  VexTime(double date, int milliseconds, TIME_MODE mode, bool givenInUTC, QBase::Buffer* buffer);
  ///@}
  /// The same from a DateTime, with its millisecond.
  ///@{
  VexTime(DateTime const& date, TIME_MODE mode, bool givenInUTC);
  VexTime(DateTime const& date, TIME_MODE mode, bool givenInUTC, QBase::Buffer* buffer);
  ///@}
  /// Unset with this buffer (never the other's), then assigned.
  ///@{
  VexTime(VexTime const& other);
  VexTime(VexTime const& other, QBase::Buffer* buffer);
  ///@}
  /// Takes other's mode and a copy of its date or description, in this
  /// value's own storage.
  VexTime& operator=(VexTime const& other);
  /// Frees a heap object; an arena object goes back with the arena.
  ~VexTime();

  /// Drops the owned object; the value is unset.
  void Reset() noexcept;

  // --- Modes -----------------------------------------------------------------

  /// TIME_MODE_UTC for a UTC value, TIME_MODE_LOCAL for every other one
  /// (dynamic and unset included).
  TIME_MODE GetMode() const noexcept;
  /// The mode as held: TIME_MODE_UTC, TIME_MODE_LOCAL, TIME_MODE_DYNAMIC or
  /// TIME_MODE_UNSET.
  TIME_MODE GetRealMode() const noexcept { return mode_; }
  /// Moves a static value between UTC and local time, converting its date.
  /// 0 and nothing done for a dynamic value or the same mode.
  int SetMode(TIME_MODE newMode) noexcept;
  /// Prepares the value for a value of the given mode, converting nothing:
  /// UNSET resets; a static mode keeps a static date (relabelled) or makes
  /// 1899-12-30 00:00:00.000; DYNAMIC keeps a description or makes one of kind
  /// DT_NONE. Any other mode: no change. Always 0.
  int SetReadMode(TIME_MODE newMode);
  /// The value becomes DateTime::NowUTC(), in UTC.
  void SetToCurrentTime();

  // --- The dynamic description ------------------------------------------------

  /// The description's kind; DT_NONE (-100) for a static value.
  int GetDynamicTime(int& kind) const noexcept;
  /// Makes the value dynamic with this kind (a static date is dropped; an
  /// existing description keeps its fields). DT_NONE changes nothing. 0.
  int PutDynamicTime(int kind);
  /// The description's day and month offsets (DynamicTime's); 0, or
  /// E_TIME_NOT_DYNAMIC on a static value.
  ///@{
  int GetDynamicDayOffset(int& dayOffset) const noexcept;
  int PutDynamicDayOffset(int dayOffset) noexcept;
  int GetDynamicMonthOffset(short& monthOffset) const noexcept;
  int PutDynamicMonthOffset(short monthOffset) noexcept;
  ///@}
  /// The stored date (unconverted) or the description resolved against now,
  /// moved back by n units (DynamicTime::MoveNthTimePointBefore). 0,
  /// E_TIME_RESOLVE_FAILED, or E_TIME_NOT_SET.
  int GetNthTimePointBefore(int n, TIME_GRANULARITY unit, DateTime& result) const noexcept;

  // --- Calendar fields -----------------------------------------------------------

  /// actual: the stored field (a static value's in its own zone, whatever
  /// inUTC says; a dynamic value's description field). Otherwise the field of
  /// ToDateTime(inUTC, ...) from the reference 0.0 (now, for a dynamic value);
  /// a failed resolution gives the field of 1899-12-30 00:00:00.000.
  ///@{
  int GetYear(bool inUTC, bool actual) const noexcept;
  int GetMonth(bool inUTC, bool actual) const noexcept;
  int GetDay(bool inUTC, bool actual) const noexcept;
  int GetWeek(bool inUTC, bool actual) const noexcept;
  int GetDayOfWeek(bool inUTC, bool actual) const noexcept;
  int GetHour(bool inUTC, bool actual) const noexcept;
  int GetMinutes(bool inUTC, bool actual) const noexcept;
  ///@}
  /// As above, resolved in UTC unless the value is TIME_MODE_LOCAL.
  int GetSeconds(bool actual) const noexcept;
  /// 0 for a dynamic value.
  int GetMilliSeconds() const noexcept;

  /// In the zone asked for (see the model); 0, E_TIME_NOT_SET, or for PutWeek
  /// and PutDayOfWeek E_TIME_FIELD_REJECTED when the date refused the value
  /// (the stored date is then unchanged). The DateTime setters ignore values
  /// out of range. The last argument of PutDayOfWeek is not used.
  ///@{
  int PutYear(int year, bool inUTC) noexcept;
  int PutMonth(int month, bool inUTC) noexcept;
  int PutDay(int day, bool inUTC) noexcept;
  int PutHour(int hour, bool inUTC) noexcept;
  int PutMinutes(int minutes, bool inUTC) noexcept;
  int PutWeek(int week, bool inUTC) noexcept;
  int PutDayOfWeek(int dayOfWeek, bool inUTC, bool unused) noexcept;
  ///@}
  /// The stored field, no zone conversion. PutMilliSeconds leaves a dynamic
  /// value as it is.
  ///@{
  int PutSeconds(int seconds) noexcept;
  int PutMilliSeconds(int milliseconds) noexcept;
  ///@}
  /// The stored field directly, no zone conversion; 0 also when the date
  /// refused a week or weekday.
  ///@{
  int PutActualYear(int year) noexcept;
  int PutActualMonth(int month) noexcept;
  int PutActualDay(int day) noexcept;
  int PutActualWeek(int week) noexcept;
  int PutActualDayOfWeek(int dayOfWeek) noexcept;
  int PutActualHour(int hour) noexcept;
  int PutActualMinutes(int minutes) noexcept;
  ///@}

  // --- Conversions ---------------------------------------------------------------

  /// The value as a DateTime in UTC or local time. `result` is also the
  /// reference of a dynamic value (local wall time; the default value means
  /// now). 0; E_TIME_RESOLVE_FAILED with `result` unchanged; 1 with `result`
  /// unchanged for an unset value.
  int ToDateTime(bool inUTC, DateTime& result) const noexcept;
  /// ToDateTime with a local-mode value, a dynamic value's reference and the
  /// local result all in the wall time of `zone`. ToDateTime(inUTC, result)
  /// is this call with TimeZone::Local().
  int ToDateTime(bool inUTC, DateTime& result, TimeZone const& zone) const noexcept;
  /// ToDateTime from the reference 0.0 (now), as a double date.
  int TolocalDATE(double& date, bool inUTC) const noexcept;
  /// The same with the reference DateTime(fixedTime, 0): Unix seconds.
  int TolocalDATEWithFixedTime(double& date, bool inUTC, int fixedTime) const noexcept;

  // --- Comparison ------------------------------------------------------------------

  /// Unset equals only unset; two dynamic values are equal when their kinds
  /// are; two static values of one mode compare their dates; otherwise both
  /// become dates (a dynamic one resolved against now) compared in local time
  /// when either side is local, else as they are.
  bool operator==(VexTime const& other) const noexcept;
  /// A dynamic value of kind 1 orders before every value, one of kind 0 after
  /// every value; two dynamic values of equal kinds are not ordered; otherwise
  /// the dates as for equality.
  bool operator<(VexTime const& other) const noexcept;
  /// The same order from the other side: a dynamic value of kind 0 is
  /// greater than every value and one of kind 1 than none (an unset operand
  /// aside); otherwise the dates as for equality.
  bool operator>(VexTime const& other) const noexcept;

  // --- Expiration ------------------------------------------------------------------

  /// For a dynamic value of kind 2 (relative flags allowed): the next whole
  /// second after its resolution against now. For kinds 3 to 14: local
  /// midnight of the next day (3), of the Sunday starting the next week (4, 7
  /// to 13), of the first day of the next month (5), of 1 January of the next
  /// year (6) or of the first day of the quarter (14), found from now moved by
  /// the value's offsets and moved back by them again (kind 3 ignores them).
  /// `expiration` becomes a UTC value (in its own storage) and 0 is returned.
  /// 1 and `expiration` untouched for any other value, or a kind carrying
  /// DT_FLAG_BUSINESS_DAYS. A failed resolution counts from 1899-12-30.
  int GetExpiration(VexTime& expiration) const;
  /// GetExpiration with now and the midnights taken in the wall time of
  /// `zone`. GetExpiration(expiration) is this call with TimeZone::Local().
  int GetExpiration(VexTime& expiration, TimeZone const& zone) const;

  // --- Persistence ------------------------------------------------------------------

  /// The size of the saved record: 44 bytes.
  static unsigned int GetSaveObjSize() noexcept { return 44; }
  /// -1 when size < 44 (nothing written); else writes 44 bytes, 0.
  int SaveObj(unsigned int size, void* buffer) const noexcept;
  /// -1 when size < 44 (nothing changed); else loads the record, 0. Any field
  /// values are accepted (a static date is clamped into range).
  int LoadObj(unsigned int size, void* buffer);
  /// WriteInt(mode), then WriteDateTime(date) or WriteDynamicTime(description)
  /// for a static or dynamic value. 0.
  int SaveToStream(QSerialization::WriteDataStream* stream) const;
  /// ReadInt(&m): -101 resets, 0 and 1 read a date (ReadDateTime), 2 a
  /// description (ReadDynamicTime); any other m changes nothing. 0.
  int LoadFromStream(QSerialization::ReadDataStream* stream);

 private:
  bool IsStatic() const noexcept { return mode_ == TIME_MODE_UTC || mode_ == TIME_MODE_LOCAL; }
  bool IsDynamic() const noexcept { return mode_ == TIME_MODE_DYNAMIC; }
  DateTime* Date() const noexcept { return static_cast<DateTime*>(value_); }
  DynamicTime* Dynamic() const noexcept { return static_cast<DynamicTime*>(value_); }

  // Makes the value static in `mode` holding `date` (an existing date is
  // reused), or unset when the arena cannot supply one. False then.
  bool HoldDate(DateTime const& date, TIME_MODE mode);
  // Makes the value dynamic holding `description`, likewise.
  bool HoldDynamic(DynamicTime const& description);
  // Drops the owned object (value null); the mode is left to the caller.
  void Drop() noexcept;
  // Both sides as dates for a comparison: static dates unconverted,
  // descriptions resolved against now; then, when the modes differ and one
  // side is local, the other side converted to local time.
  void Align(VexTime const& other, DateTime& a, DateTime& b) const noexcept;
  // The calendar fields by number (the order of the getters: year, month,
  // day, week, day of week, hour, minute).
  int GetField(int field, bool inUTC, bool actual) const noexcept;
  int PutField(int field, int v, bool inUTC) noexcept;
  int PutActualField(int field, int v) noexcept;

  QBase::Buffer* buffer_;
  TIME_MODE mode_;
  void* value_;
};

}  // namespace QDataType
