// TimeSeries: the three computations and the routines of the walk, on
// DateTime values. The walk itself lives in internal/Walk.cpp; this file
// checks the arguments, converts between UTC and local wall time, and owns
// the arrays.
#include <algorithm>
#include <cstdint>
#include <memory>

#include "Base/Message.h"
#include "DataType/Calendar/TimeZone.h"
#include "DataType/TimeSeries/TimeSeriesImpl.h"
#include "DataType/TimeSeries/internal/Walk.h"

namespace QDataType {

namespace {

using series::Local;

constexpr unsigned kMaxListing = 8192;  // entries GetOccurrencesBetween lists at most
constexpr long long kHour = 3600000;

[[noreturn]] void ThrowInvalidParameter() { QBase::Throw<TimeSeriesException>("Invalid parameter"); }

Local LocalOf(DateTime const& utc, TimeZone const& zone) { return series::FromDateTime(utc.ToLocalTime(zone)); }
DateTime UtcOf(Local local, TimeZone const& zone) { return series::ToDateTime(local).ToUTCTime(zone); }

// Writes UTC entries into the caller's array.
class ArraySink final : public series::Sink {
 public:
  ArraySink(DateTime* out, TimeZone const& zone) : out_(out), zone_(zone) {}
  bool Put(unsigned index, Local& current) override {
    out_[index] = UtcOf(current, zone_);
    return true;
  }

 private:
  DateTime* out_;
  TimeZone const& zone_;
};

// Collects UTC entries in an array that starts with the estimated capacity
// and doubles, up to kMaxListing entries.
class ListSink final : public series::Sink {
 public:
  ListSink(unsigned capacity, TimeZone const& zone) : data_(new DateTime[capacity]), capacity_(capacity), zone_(zone) {}
  bool Put(unsigned index, Local& current) override {
    if (index >= capacity_) {
      if (capacity_ >= kMaxListing) return false;
      unsigned const grown = capacity_ > kMaxListing / 2 ? kMaxListing : capacity_ * 2;
      std::unique_ptr<DateTime[]> bigger(new DateTime[grown]);
      std::copy(data_.get(), data_.get() + capacity_, bigger.get());
      data_.swap(bigger);
      capacity_ = grown;
    }
    data_[index] = UtcOf(current, zone_);
    return true;
  }
  DateTime* Release() { return data_.release(); }

 private:
  std::unique_ptr<DateTime[]> data_;
  unsigned capacity_;
  TimeZone const& zone_;
};

int SetBits(unsigned mask) {
  int n = 0;
  for (int d = 0; d < 7; ++d) n += (mask >> d) & 1u;
  return n;
}

}  // namespace

series::Fields TimeSeriesImpl::Snapshot() const {
  return series::Fields{year_,
                        month_,
                        day_,
                        hour_,
                        minute_,
                        second_,
                        millisecond_,
                        week_,
                        dayOfWeekMask_,
                        yearRecurrence_,
                        monthRecurrence_,
                        dayRecurrence_,
                        hourRecurrence_,
                        minuteRecurrence_,
                        secondRecurrence_,
                        millisecondRecurrence_,
                        weekRecurrence_,
                        dayOfWeekRecurrence_,
                        windowStartHour_,
                        windowStartMinute_,
                        windowEndHour_,
                        windowEndMinute_,
                        windowInterval_};
}

// --- The computations ------------------------------------------------------------

unsigned int TimeSeriesImpl::GetNextOccurrences(const DateTime& from, unsigned int count, DateTime* out) {
  return GetNextOccurrences(from, count, out, TimeZone::Local());
}

unsigned int TimeSeriesImpl::GetNextOccurrencesAfterStart(const DateTime& start, const DateTime& from,
                                                          unsigned int count, DateTime* out) {
  return GetNextOccurrencesAfterStart(start, from, count, out, TimeZone::Local());
}

unsigned int TimeSeriesImpl::GetOccurrencesBetween(const DateTime& from, const DateTime& to, DateTime** out) {
  return GetOccurrencesBetween(from, to, out, TimeZone::Local());
}

unsigned int TimeSeriesImpl::GetNextOccurrences(const DateTime& from, unsigned int count, DateTime* out,
                                                TimeZone const& zone) {
  if (count == 0) return 0;
  if (out == nullptr) ThrowInvalidParameter();
  long long last = 0;
  return ResumeNextOccurrences(from, zone, false, last, count, out);
}

unsigned int TimeSeriesImpl::ResumeNextOccurrences(const DateTime& from, TimeZone const& zone, bool resuming,
                                                   long long& local, unsigned int count, DateTime* out) {
  if (count == 0 || out == nullptr) return 0;
  series::Walk walk(Snapshot());
  if (walk.WindowInEffect() && windowInterval_ == 0) return 0;
  // Each entry is corrected for a change of offset as soon as it is written,
  // and the walk goes on from the corrected time; the last one is kept for a
  // walk that resumes. A resumed walk writes its entry 1 onward to out[0].
  class CorrectingSink final : public series::Sink {
   public:
    CorrectingSink(TimeSeriesImpl const& series, DateTime const& from, DateTime* out, unsigned first,
                   TimeZone const& zone, long long& last)
        : series_(series), from_(from), out_(out), first_(first), zone_(zone), last_(last) {}
    bool Put(unsigned index, Local& current) override {
      DateTime local = series::ToDateTime(current);
      out_[index - first_] = local.ToUTCTime(zone_);
      if (from_ > out_[index - first_]) {
        series_.CorrectForOffsetChange(from_, index - first_, out_, local, zone_);
        current = series::FromDateTime(local);
      }
      last_ = current;
      return true;
    }

   private:
    TimeSeriesImpl const& series_;
    DateTime const& from_;
    DateTime* out_;
    unsigned first_;
    TimeZone const& zone_;
    long long& last_;
  };
  if (!resuming) {
    CorrectingSink sink(*this, from, out, 0, zone, local);
    return walk.Next(LocalOf(from, zone), count, sink);
  }
  CorrectingSink sink(*this, from, out, 1, zone, local);
  return walk.Continue(local, 1, count + 1, sink) - 1;
}

unsigned int TimeSeriesImpl::GetNextOccurrencesAfterStart(const DateTime& start, const DateTime& from,
                                                          unsigned int count, DateTime* out, TimeZone const& zone) {
  if (count == 0) return 0;
  if (out == nullptr) ThrowInvalidParameter();
  series::Walk walk(Snapshot());
  if (walk.WindowInEffect() && windowInterval_ == 0) return 0;
  ArraySink sink(out, zone);
  return walk.NextAfterStart(LocalOf(start, zone), LocalOf(from, zone), count, sink);
}

unsigned int TimeSeriesImpl::GetOccurrencesBetween(const DateTime& from, const DateTime& to, DateTime** out,
                                                   TimeZone const& zone) {
  if (from > to) return 0;
  if (out == nullptr) ThrowInvalidParameter();
  series::Walk walk(Snapshot());
  Local const lower = LocalOf(from, zone), upper = LocalOf(to, zone);

  // The capacity estimate, in wrapping 32-bit arithmetic.
  uint32_t e = 1;
  if (yearRecurrence_ == RECURRENCE_EVERY) {
    e = static_cast<uint32_t>(series::ToDateTime(upper).GetYear() - series::ToDateTime(lower).GetYear() + 1);
  }
  if (monthRecurrence_ != RECURRENCE_FIXED) e *= 12u;
  if (dayRecurrence_ != RECURRENCE_FIXED) e *= 31u;
  if (weekRecurrence_ == RECURRENCE_EVERY) e *= 6u;
  if (dayOfWeekRecurrence_ == RECURRENCE_FIXED)
    e *= static_cast<uint32_t>(SetBits(static_cast<unsigned>(dayOfWeekMask_)));
  if (hourRecurrence_ == RECURRENCE_EVERY) e *= 24u;
  if (minuteRecurrence_ == RECURRENCE_EVERY) e *= 60u;
  if (secondRecurrence_ == RECURRENCE_EVERY) e *= 60u;
  if (millisecondRecurrence_ == RECURRENCE_EVERY) e *= 1000u;
  int32_t const estimate = static_cast<int32_t>(e + 2u);
  unsigned const capacity =
      estimate >= 1 && static_cast<unsigned>(estimate) <= kMaxListing ? static_cast<unsigned>(estimate) : kMaxListing;

  if (walk.WindowInEffect() && windowInterval_ == 0) return 0;
  ListSink sink(capacity, zone);
  unsigned n = 0;
  if (!walk.Between(lower, upper, sink, n)) return 0;  // the array goes with the sink
  *out = sink.Release();
  return n;
}

// --- The routines, on DateTime values -----------------------------------------------

bool TimeSeriesImpl::DateMatches(const DateTime* anchor, const DateTime& candidate) const {
  Local const a = anchor != nullptr ? series::FromDateTime(*anchor) : 0;
  return series::Walk(Snapshot()).DateMatches(anchor != nullptr ? &a : nullptr, series::FromDateTime(candidate));
}

bool TimeSeriesImpl::TimeMatches(const DateTime* anchor, const DateTime& candidate) const {
  Local const a = anchor != nullptr ? series::FromDateTime(*anchor) : 0;
  return series::Walk(Snapshot()).TimeMatches(anchor != nullptr ? &a : nullptr, series::FromDateTime(candidate));
}

bool TimeSeriesImpl::FindFirstDay(DateTime& day) const {
  Local d = series::FromDateTime(day);
  series::Walk walk(Snapshot());
  if (!walk.FindFirstDay(d)) return false;
  day = series::ToDateTime(d);
  return true;
}

bool TimeSeriesImpl::NextDay(const DateTime& anchor, DateTime& result) const {
  Local r;
  series::Walk walk(Snapshot());
  if (!walk.NextDay(series::FromDateTime(anchor), r)) return false;
  result = series::ToDateTime(r);
  return true;
}

bool TimeSeriesImpl::NextTime(const DateTime& previous, DateTime& result) const {
  Local r;
  bool const advanced = series::Walk(Snapshot()).NextTime(series::FromDateTime(previous), r);
  result = series::ToDateTime(r);
  return advanced;
}

// out[index] has just been written from `current`, so it is current's UTC
// form.
void TimeSeriesImpl::CorrectForOffsetChange(const DateTime& from, unsigned int index, DateTime* out,
                                            DateTime& current) const {
  CorrectForOffsetChange(from, index, out, current, TimeZone::Local());
}

void TimeSeriesImpl::CorrectForOffsetChange(const DateTime& from, unsigned int index, DateTime* out,
                                            DateTime& current, TimeZone const& zone) const {
  if (!(from > out[index])) return;
  current = current + TimeSpan(kHour);
  out[index] = current.ToUTCTime(zone);
}

}  // namespace QDataType
