// The walk of a schedule through local wall time: the routines that decide
// which days and times match, the odometer, the day searches, and the three
// walks that list occurrences.
//
// A local wall time is held as a count of milliseconds from 1899-12-30
// 00:00:00.000 (day 0), so that a move is an addition; it is the count that
// DateTime::ToMilliseconds gives, and a move lands exactly where DateTime's
// operator+ would. Moves that would leave the calendar (past 65535-12-30,
// where DateTime's arithmetic stops) are made by DateTime itself.
//
// Everything here gives the results of the step-by-step walk that TimeSeries.h
// describes; where that walk would take many steps, the answer is reached in
// fewer:
//   - Day searches test a day and, when it fails, jump to the first later day
//     that the failing tests could admit (the next admitted year, month, day
//     of month, weekday, week, or multiple of a step), so a search costs a few
//     tests per admitted month rather than one per day. A search without an
//     anchor gives up after 400 years without a match (146,097 days, a whole
//     number of weeks: the calendar repeats). The search limit (2,928 days,
//     times a year step) and the end of the calendar are kept exactly.
//   - The odometer, once its fixed units are set (after one step), is a
//     counter when every step fits its unit (ms <= 1000, s and min <= 60):
//     the stepped units of each run between out-of-range fixed units add
//     their step on each wrap of the unit below. Its k-th step and the step
//     on which the day's times run out then have closed forms, and the times
//     of a day rise with k, so "step until past t" is a binary search.
//   - A walk from `start` to a far `from` is a chain of days. Its next day
//     depends only on the current day's first time and on the date through
//     rules that repeat every 400 years (146,097 days), every week, or every
//     day; once the chain comes back to the same first time on a day in the
//     same position of that period, whole repetitions are skipped.
//   - An odometer whose acting digits do not look at the time (steps beyond
//     their units, out-of-range fixed digits, nothing that sets a digit above
//     a move) moves the same distance on every step: its runs are
//     arithmetic progressions. Other odometers that are not counters are
//     stepped one by one. A walk that
//     comes back to a time of day it has visited, on a day in the same
//     position of the date rules' period, repeats itself (Brent's cycle
//     finding): whole repetitions are skipped, and one that gains no day,
//     which would go round for ever, ends the walk.
// A budget bounds whatever remains: when it runs out the walk ends as if no
// further occurrence existed.
#pragma once

#include "DataType/Calendar/DateTime.h"
#include "DataType/TimeSeries/TimeSeries.h"

namespace QDataType {
namespace series {

// Milliseconds from 1899-12-30 00:00:00.000 on the local wall clock.
using Local = long long;

// A date in the proleptic Gregorian calendar.
struct Civil {
  int year, month, day;
};

Local FromDateTime(DateTime const& d) noexcept;
DateTime ToDateTime(Local t) noexcept;

// The 23 fields of a schedule, as stored.
struct Fields {
  int year, month, day, hour, minute, second, millisecond, week, dayOfWeekMask;
  RECURRENCE yearRec, monthRec, dayRec, hourRec, minuteRec, secondRec, millisecondRec, weekRec, dayOfWeekRec;
  int windowStartHour, windowStartMinute, windowEndHour, windowEndMinute, windowInterval;
};

// Takes the occurrences of a walk. Put receives entry `index` as local wall
// time; it may move `current` (the walk goes on from the moved value) and
// returns false when no further entry can be taken (the walk stops there,
// the entry not taken).
class Sink {
 public:
  virtual bool Put(unsigned index, Local& current) = 0;

 protected:
  ~Sink() = default;
};

class Walk {
 public:
  explicit Walk(Fields const& fields) noexcept;

  bool WindowInEffect() const noexcept { return window_; }

  // The routines, exactly as the step-by-step walk has them.
  bool DateMatches(Local const* anchor, Local candidate) const noexcept;
  bool TimeMatches(Local const* anchor, Local candidate) const noexcept;
  bool NextTime(Local previous, Local& result) const noexcept;
  bool FindFirstDay(Local& day) noexcept;
  bool NextDay(Local anchor, Local& result) noexcept;

  // The walks. Each returns the number of entries put.
  unsigned Next(Local from, unsigned count, Sink& sink);
  unsigned NextAfterStart(Local start, Local from, unsigned count, Sink& sink);
  // Next's walk resumed after an entry it put (`previous`, as the sink left
  // it): entries `first` .. count - 1. Returns the index after the last put.
  unsigned Continue(Local previous, unsigned first, unsigned count, Sink& sink);
  // Between: false when the walk ends before it lists anything and its
  // array is to be released (`*out` left as it was); true with n entries
  // otherwise.
  bool Between(Local from, Local to, Sink& sink, unsigned& n);

  // True once the budget ran out or a cycle ended a walk.
  bool Abandoned() const noexcept { return abandoned_; }

 private:
  enum Kind { kFree, kFixed, kHigh, kLow, kStep };
  struct Digit {
    Kind kind;
    long long value;  // kFixed: the value set; kStep: the step
  };
  struct AnchorInfo {
    Local at;
    long long day;
    int year, month, dayOfWeek;
  };
  struct Counter;  // the odometer's closed form from one state

  // One step of the budget; false (and the walk abandoned) once it is spent.
  bool Spend(long long units) noexcept;
  template <int I>
  void StepDigit(long long& day, long long& tod, bool& advanced, bool& carry) const noexcept;
  Local Move(Local t, long long milliseconds) const noexcept;
  Local PutYear(Local t, int year) const noexcept;

  bool TestDay(AnchorInfo const* anchor, long long wholeDays, long long day, Civil const& civil,
               long long& next) const noexcept;
  bool Search(Local const* anchor, Local start, Local& found) noexcept;

  bool AdvanceWhileBefore(Local& current, Local target) noexcept;
  bool AdvanceByCycles(Local& current, Local target) noexcept;
  void SkipBelow(Local& current, Local target) noexcept;
  bool DayTransition(Local first, Local& next) noexcept;
  bool SkipRepetitions(Local& first, long long limitDay) noexcept;

  // Window mode.
  Local WithTime(Local t, int hour, int minute) const noexcept;
  bool WindowAdvance(Local& current, Local& end) noexcept;
  bool WindowSkipBelow(Local& current, Local& end, Local target) noexcept;
  bool WindowStart(Local& current, Local& end) noexcept;

  unsigned WindowNext(Local from, unsigned count, Sink& sink);
  unsigned WindowNextAfterStart(Local start, Local from, unsigned count, Sink& sink);
  bool WindowBetween(Local from, Local to, Sink& sink, unsigned& n);

  Fields f_;
  bool window_;
  long long windowStep_;   // interval in milliseconds
  long long searchLimit_;  // days a search tries: 2,928, times a year step
  long long step_[9];      // steps of the EVERY units, at least 1 (unit order of Fields)
  Digit digit_[4];         // millisecond, second, minute, hour
  bool counter_;           // the odometer is a counter after its first step
  long long stride_;       // > 0: after its first step, every step moves this far and says "later"
  bool steps_[4];          // digit steps in the counter (its run is enabled)
  int lastForced_;         // highest out-of-range fixed digit, -1 if none
  long long period_;       // days after which the date rules repeat (1, 7 or 146,097)
  long long budget_;
  bool abandoned_;
  // DayTransition's last steps within a day (from a first occurrence at
  // firstTod: the day's last one and the step past it, as offsets) and on a
  // new day (from its last occurrence's and the new day's times of day: ok,
  // and the first occurrence as an offset).
  struct DayMemo {
    bool valid;
    long long firstTod, last, over;
  } dayMemo_{};
  struct StartMemo {
    bool valid;
    long long lastTod, dayTod;
    bool ok;
    long long shift;
  } startMemo_{};
};

}  // namespace series
}  // namespace QDataType
