/// @file
/// TimeSeriesImpl: the one implementation of the TimeSeries interface.
///
/// @class QDataType::TimeSeriesImpl
/// The one implementation of the TimeSeries interface.
///
/// It holds the schedule as 23 signed 32-bit integers, in this order: the
/// values of year, month, day, hour, minute, second, millisecond, week and the
/// day-of-week mask; the recurrences of year, month, day, hour, minute,
/// second, millisecond, week and day of week; the window's start hour, start
/// minute, end hour, end minute and interval. Callers normally get one from
/// CreateTimeSeries; the constructors are public for those that embed one.
#pragma once

#include "Base/Export.h"
#include "DataType/Calendar/DateTime.h"
#include "DataType/TimeSeries/TimeSeries.h"

namespace QDataType {

struct TimeSeriesTestPeer;  // white-box access for the library's own tests
namespace series {
struct Fields;
}

class QDT_API TimeSeriesImpl : public TimeSeries {
 public:
  /// The full constructor, as CreateTimeSeries (which see) calls it.
  TimeSeriesImpl(RECURRENCE yearRecurrence, int year, RECURRENCE monthRecurrence, int month, RECURRENCE dayRecurrence,
                 int day, RECURRENCE weekRecurrence, int week, RECURRENCE dayOfWeekRecurrence, int dayOfWeekMask,
                 RECURRENCE hourRecurrence, int hour, RECURRENCE minuteRecurrence, int minute,
                 RECURRENCE secondRecurrence, int second, RECURRENCE millisecondRecurrence, int millisecond,
                 int windowStartHour, int windowStartMinute, int windowEndHour, int windowEndMinute,
                 int windowInterval);
  /// The nine pairs only: negative RECURRENCE_EVERY values made positive, no
  /// window (all five fields -1).
  TimeSeriesImpl(RECURRENCE yearRecurrence, int year, RECURRENCE monthRecurrence, int month, RECURRENCE dayRecurrence,
                 int day, RECURRENCE weekRecurrence, int week, RECURRENCE dayOfWeekRecurrence, int dayOfWeekMask,
                 RECURRENCE hourRecurrence, int hour, RECURRENCE minuteRecurrence, int minute,
                 RECURRENCE secondRecurrence, int second, RECURRENCE millisecondRecurrence, int millisecond);

  void Destroy() override;
  unsigned int GetNextOccurrencesAfterStart(const DateTime& start, const DateTime& from, unsigned int count,
                                            DateTime* out) override;
  unsigned int GetNextOccurrences(const DateTime& from, unsigned int count, DateTime* out) override;
  unsigned int GetOccurrencesBetween(const DateTime& from, const DateTime& to, DateTime** out) override;
  // In a zone named per call (TimeZone.h).
  unsigned int GetNextOccurrencesAfterStart(const DateTime& start, const DateTime& from, unsigned int count,
                                            DateTime* out, TimeZone const& zone) override;
  unsigned int GetNextOccurrences(const DateTime& from, unsigned int count, DateTime* out,
                                  TimeZone const& zone) override;
  unsigned int GetOccurrencesBetween(const DateTime& from, const DateTime& to, DateTime** out,
                                     TimeZone const& zone) override;

  int GetYear() override;
  int GetMonth() override;
  int GetDay() override;
  int GetWeek() override;
  int GetDayOfWeek() override;
  int GetHour() override;
  int GetMinute() override;
  int GetSecond() override;
  int GetMillisecond() override;

  RECURRENCE GetYearRecurrence() override;
  RECURRENCE GetMonthRecurrence() override;
  RECURRENCE GetDayRecurrence() override;
  RECURRENCE GetWeekRecurrence() override;
  RECURRENCE GetDayOfWeekRecurrence() override;
  RECURRENCE GetHourRecurrence() override;
  RECURRENCE GetMinuteRecurrence() override;
  RECURRENCE GetSecondRecurrence() override;
  RECURRENCE GetMillisecondRecurrence() override;

  bool PutYear(int year) override;
  bool PutMonth(int month) override;
  bool PutDay(int day) override;
  bool PutWeek(int week) override;
  bool PutDayOfWeek(int dayOfWeekMask) override;
  bool PutHour(int hour) override;
  bool PutMinute(int minute) override;
  bool PutSecond(int second) override;
  bool PutMillisecond(int millisecond) override;

  bool PutYearRecurrence(RECURRENCE recurrence) override;
  bool PutMonthRecurrence(RECURRENCE recurrence) override;
  bool PutDayRecurrence(RECURRENCE recurrence) override;
  bool PutWeekRecurrence(RECURRENCE recurrence) override;
  bool PutDayOfWeekRecurrence(RECURRENCE recurrence) override;
  bool PutHourRecurrence(RECURRENCE recurrence) override;
  bool PutMinuteRecurrence(RECURRENCE recurrence) override;
  bool PutSecondRecurrence(RECURRENCE recurrence) override;
  bool PutMillisecondRecurrence(RECURRENCE recurrence) override;

  TimeSeries* Clone() override;

  int GetWindowStartHour() override;
  int GetWindowStartMinute() override;
  int GetWindowEndHour() override;
  int GetWindowEndMinute() override;
  int GetWindowInterval() override;
  bool PutWindowStartHour(int hour) override;
  bool PutWindowStartMinute(int minute) override;
  bool PutWindowEndHour(int hour) override;
  bool PutWindowEndMinute(int minute) override;
  bool PutWindowInterval(int minutes) override;

  /// Nothing to release: the schedule is held by value. Schedules from
  /// CreateTimeSeries and Clone are given back with Destroy instead.
  virtual ~TimeSeriesImpl();

 private:
  friend struct TimeSeriesTestPeer;

  series::Fields Snapshot() const;

  // The routines of the walk, on local wall times (see TimeSeries.h). An
  // absent anchor (null) skips the tests that need one: the stepped units.
  bool DateMatches(const DateTime* anchor, const DateTime& candidate) const;
  bool TimeMatches(const DateTime* anchor, const DateTime& candidate) const;
  // The first day on or after `day` that the date units admit, at 00:00.
  bool FindFirstDay(DateTime& day) const;
  // The next day after the anchor's that the date units admit counted from
  // the anchor: the very next day keeps the anchor's time, a later one is
  // given 00:00. false (result unchanged) when the search limit is reached.
  bool NextDay(const DateTime& anchor, DateTime& result) const;
  // One odometer step; false when the times of the day are exhausted.
  bool NextTime(const DateTime& previous, DateTime& result) const;
  // Right after out[index] is written from `current` (its UTC form): when
  // `from` is later than it, `current` moves one hour on and out[index] is
  // written again from it.
  void CorrectForOffsetChange(const DateTime& from, unsigned int index, DateTime* out, DateTime& current) const;
  // The same in the wall time of `zone`.
  void CorrectForOffsetChange(const DateTime& from, unsigned int index, DateTime* out, DateTime& current,
                              TimeZone const& zone) const;

  int year_;
  int month_;
  int day_;
  int hour_;
  int minute_;
  int second_;
  int millisecond_;
  int week_;
  int dayOfWeekMask_;
  RECURRENCE yearRecurrence_;
  RECURRENCE monthRecurrence_;
  RECURRENCE dayRecurrence_;
  RECURRENCE hourRecurrence_;
  RECURRENCE minuteRecurrence_;
  RECURRENCE secondRecurrence_;
  RECURRENCE millisecondRecurrence_;
  RECURRENCE weekRecurrence_;
  RECURRENCE dayOfWeekRecurrence_;
  int windowStartHour_;
  int windowStartMinute_;
  int windowEndHour_;
  int windowEndMinute_;
  int windowInterval_;
};

}  // namespace QDataType
