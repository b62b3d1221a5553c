// TimeSeries: the exception, the factory, construction with its
// normalisation, the accessors and their checks, Clone and Destroy.
#include "DataType/TimeSeries/TimeSeries.h"

#include <climits>

#include "DataType/TimeSeries/TimeSeriesImpl.h"

namespace QDataType {

namespace {

// A negative RECURRENCE_EVERY value made positive; -2147483648, which has no
// positive counterpart, becomes 2147483647.
int Normalised(RECURRENCE recurrence, int value) {
  if (recurrence != RECURRENCE_EVERY || value >= 0) return value;
  return value == INT_MIN ? INT_MAX : -value;
}

bool Within(int v, int lo, int hi) { return v >= lo && v <= hi; }

}  // namespace

TimeSeriesException::TimeSeriesException() = default;
TimeSeriesException::TimeSeriesException(TimeSeriesException const& other) = default;
TimeSeriesException& TimeSeriesException::operator=(TimeSeriesException const& other) = default;
TimeSeriesException::~TimeSeriesException() = default;

TimeSeries* CreateTimeSeries(RECURRENCE yearRecurrence, int year, RECURRENCE monthRecurrence, int month,
                             RECURRENCE dayRecurrence, int day, RECURRENCE weekRecurrence, int week,
                             RECURRENCE dayOfWeekRecurrence, int dayOfWeekMask, RECURRENCE hourRecurrence, int hour,
                             RECURRENCE minuteRecurrence, int minute, RECURRENCE secondRecurrence, int second,
                             RECURRENCE millisecondRecurrence, int millisecond, int windowStartHour,
                             int windowStartMinute, int windowEndHour, int windowEndMinute, int windowInterval) {
  return new TimeSeriesImpl(yearRecurrence, year, monthRecurrence, month, dayRecurrence, day, weekRecurrence, week,
                            dayOfWeekRecurrence, dayOfWeekMask, hourRecurrence, hour, minuteRecurrence, minute,
                            secondRecurrence, second, millisecondRecurrence, millisecond, windowStartHour,
                            windowStartMinute, windowEndHour, windowEndMinute, windowInterval);
}

// --- Construction ----------------------------------------------------------------

TimeSeriesImpl::TimeSeriesImpl(RECURRENCE yearRecurrence, int year, RECURRENCE monthRecurrence, int month,
                               RECURRENCE dayRecurrence, int day, RECURRENCE weekRecurrence, int week,
                               RECURRENCE dayOfWeekRecurrence, int dayOfWeekMask, RECURRENCE hourRecurrence, int hour,
                               RECURRENCE minuteRecurrence, int minute, RECURRENCE secondRecurrence, int second,
                               RECURRENCE millisecondRecurrence, int millisecond)
    : year_(Normalised(yearRecurrence, year)),
      month_(Normalised(monthRecurrence, month)),
      day_(Normalised(dayRecurrence, day)),
      hour_(Normalised(hourRecurrence, hour)),
      minute_(Normalised(minuteRecurrence, minute)),
      second_(Normalised(secondRecurrence, second)),
      millisecond_(Normalised(millisecondRecurrence, millisecond)),
      week_(Normalised(weekRecurrence, week)),
      dayOfWeekMask_(Normalised(dayOfWeekRecurrence, dayOfWeekMask)),
      yearRecurrence_(yearRecurrence),
      monthRecurrence_(monthRecurrence),
      dayRecurrence_(dayRecurrence),
      hourRecurrence_(hourRecurrence),
      minuteRecurrence_(minuteRecurrence),
      secondRecurrence_(secondRecurrence),
      millisecondRecurrence_(millisecondRecurrence),
      weekRecurrence_(weekRecurrence),
      dayOfWeekRecurrence_(dayOfWeekRecurrence),
      windowStartHour_(-1),
      windowStartMinute_(-1),
      windowEndHour_(-1),
      windowEndMinute_(-1),
      windowInterval_(-1) {}

TimeSeriesImpl::TimeSeriesImpl(RECURRENCE yearRecurrence, int year, RECURRENCE monthRecurrence, int month,
                               RECURRENCE dayRecurrence, int day, RECURRENCE weekRecurrence, int week,
                               RECURRENCE dayOfWeekRecurrence, int dayOfWeekMask, RECURRENCE hourRecurrence, int hour,
                               RECURRENCE minuteRecurrence, int minute, RECURRENCE secondRecurrence, int second,
                               RECURRENCE millisecondRecurrence, int millisecond, int windowStartHour,
                               int windowStartMinute, int windowEndHour, int windowEndMinute, int windowInterval)
    : TimeSeriesImpl(yearRecurrence, year, monthRecurrence, month, dayRecurrence, day, weekRecurrence, week,
                     dayOfWeekRecurrence, dayOfWeekMask, hourRecurrence, hour, minuteRecurrence, minute,
                     secondRecurrence, second, millisecondRecurrence, millisecond) {
  // Fields out of range are unset; a complete window needs both the hour and
  // the minute recurrence to be RECURRENCE_WINDOW.
  windowStartHour_ = Within(windowStartHour, -1, 23) ? windowStartHour : -1;
  windowStartMinute_ = Within(windowStartMinute, -1, 59) ? windowStartMinute : -1;
  windowEndHour_ = Within(windowEndHour, -1, 23) ? windowEndHour : -1;
  windowEndMinute_ = Within(windowEndMinute, -1, 59) ? windowEndMinute : -1;
  windowInterval_ = Within(windowInterval, -1, 1439) ? windowInterval : -1;
  bool const complete = windowStartHour_ != -1 && windowStartMinute_ != -1 && windowEndHour_ != -1 &&
                        windowEndMinute_ != -1 && windowInterval_ != -1;
  if (complete && !(hourRecurrence == RECURRENCE_WINDOW && minuteRecurrence == RECURRENCE_WINDOW)) {
    windowStartHour_ = windowStartMinute_ = windowEndHour_ = windowEndMinute_ = windowInterval_ = -1;
  }
}

TimeSeriesImpl::~TimeSeriesImpl() = default;

void TimeSeriesImpl::Destroy() { delete this; }

TimeSeries* TimeSeriesImpl::Clone() {
  return new TimeSeriesImpl(yearRecurrence_, year_, monthRecurrence_, month_, dayRecurrence_, day_, weekRecurrence_,
                            week_, dayOfWeekRecurrence_, dayOfWeekMask_, hourRecurrence_, hour_, minuteRecurrence_,
                            minute_, secondRecurrence_, second_, millisecondRecurrence_, millisecond_, windowStartHour_,
                            windowStartMinute_, windowEndHour_, windowEndMinute_, windowInterval_);
}

// --- Accessors -------------------------------------------------------------------

int TimeSeriesImpl::GetYear() { return year_; }
int TimeSeriesImpl::GetMonth() { return month_; }
int TimeSeriesImpl::GetDay() { return day_; }
int TimeSeriesImpl::GetWeek() { return week_; }
int TimeSeriesImpl::GetDayOfWeek() { return dayOfWeekMask_; }
int TimeSeriesImpl::GetHour() { return hour_; }
int TimeSeriesImpl::GetMinute() { return minute_; }
int TimeSeriesImpl::GetSecond() { return second_; }
int TimeSeriesImpl::GetMillisecond() { return millisecond_; }

RECURRENCE TimeSeriesImpl::GetYearRecurrence() { return yearRecurrence_; }
RECURRENCE TimeSeriesImpl::GetMonthRecurrence() { return monthRecurrence_; }
RECURRENCE TimeSeriesImpl::GetDayRecurrence() { return dayRecurrence_; }
RECURRENCE TimeSeriesImpl::GetWeekRecurrence() { return weekRecurrence_; }
RECURRENCE TimeSeriesImpl::GetDayOfWeekRecurrence() { return dayOfWeekRecurrence_; }
RECURRENCE TimeSeriesImpl::GetHourRecurrence() { return hourRecurrence_; }
RECURRENCE TimeSeriesImpl::GetMinuteRecurrence() { return minuteRecurrence_; }
RECURRENCE TimeSeriesImpl::GetSecondRecurrence() { return secondRecurrence_; }
RECURRENCE TimeSeriesImpl::GetMillisecondRecurrence() { return millisecondRecurrence_; }

namespace {

// Stores v unless it is refused.
bool Store(int& field, int v, bool refused) {
  if (refused) return false;
  field = v;
  return true;
}

// A recurrence is always stored; RECURRENCE_EVERY raises a value below 1.
bool StoreRecurrence(RECURRENCE& field, int& value, RECURRENCE r) {
  field = r;
  if (r == RECURRENCE_EVERY && value < 1) value = 1;
  return true;
}

}  // namespace

bool TimeSeriesImpl::PutYear(int v) { return Store(year_, v, v < 1 && yearRecurrence_ == RECURRENCE_EVERY); }
bool TimeSeriesImpl::PutMonth(int v) {
  return Store(month_, v, v == 0 || (v < 0 && monthRecurrence_ == RECURRENCE_EVERY));
}
bool TimeSeriesImpl::PutDay(int v) { return Store(day_, v, v == 0 || (v < 0 && dayRecurrence_ == RECURRENCE_EVERY)); }
bool TimeSeriesImpl::PutWeek(int v) {
  return Store(week_, v, v == 0 || (v < 0 && weekRecurrence_ == RECURRENCE_EVERY));
}
bool TimeSeriesImpl::PutDayOfWeek(int mask) { return Store(dayOfWeekMask_, mask, mask < 1); }
bool TimeSeriesImpl::PutHour(int v) { return Store(hour_, v, !Within(v, 0, 23)); }
bool TimeSeriesImpl::PutMinute(int v) { return Store(minute_, v, !Within(v, 0, 59)); }
bool TimeSeriesImpl::PutSecond(int v) { return Store(second_, v, !Within(v, 0, 59)); }
bool TimeSeriesImpl::PutMillisecond(int v) { return Store(millisecond_, v, !Within(v, 0, 999)); }

bool TimeSeriesImpl::PutYearRecurrence(RECURRENCE r) { return StoreRecurrence(yearRecurrence_, year_, r); }
bool TimeSeriesImpl::PutMonthRecurrence(RECURRENCE r) { return StoreRecurrence(monthRecurrence_, month_, r); }
bool TimeSeriesImpl::PutDayRecurrence(RECURRENCE r) { return StoreRecurrence(dayRecurrence_, day_, r); }
bool TimeSeriesImpl::PutWeekRecurrence(RECURRENCE r) { return StoreRecurrence(weekRecurrence_, week_, r); }
bool TimeSeriesImpl::PutDayOfWeekRecurrence(RECURRENCE r) {
  if (r == RECURRENCE_EVERY) return false;
  dayOfWeekRecurrence_ = r;
  return true;
}
bool TimeSeriesImpl::PutHourRecurrence(RECURRENCE r) { return StoreRecurrence(hourRecurrence_, hour_, r); }
bool TimeSeriesImpl::PutMinuteRecurrence(RECURRENCE r) { return StoreRecurrence(minuteRecurrence_, minute_, r); }
bool TimeSeriesImpl::PutSecondRecurrence(RECURRENCE r) { return StoreRecurrence(secondRecurrence_, second_, r); }
bool TimeSeriesImpl::PutMillisecondRecurrence(RECURRENCE r) {
  return StoreRecurrence(millisecondRecurrence_, millisecond_, r);
}

int TimeSeriesImpl::GetWindowStartHour() { return windowStartHour_; }
int TimeSeriesImpl::GetWindowStartMinute() { return windowStartMinute_; }
int TimeSeriesImpl::GetWindowEndHour() { return windowEndHour_; }
int TimeSeriesImpl::GetWindowEndMinute() { return windowEndMinute_; }
int TimeSeriesImpl::GetWindowInterval() { return windowInterval_; }

bool TimeSeriesImpl::PutWindowStartHour(int v) { return Store(windowStartHour_, v, !Within(v, -1, 23)); }
bool TimeSeriesImpl::PutWindowStartMinute(int v) { return Store(windowStartMinute_, v, !Within(v, -1, 59)); }
bool TimeSeriesImpl::PutWindowEndHour(int v) { return Store(windowEndHour_, v, !Within(v, -1, 23)); }
bool TimeSeriesImpl::PutWindowEndMinute(int v) { return Store(windowEndMinute_, v, !Within(v, -1, 59)); }
bool TimeSeriesImpl::PutWindowInterval(int v) { return Store(windowInterval_, v, !Within(v, -1, 1439)); }

}  // namespace QDataType
