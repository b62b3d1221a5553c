// The C++ conveniences of TimeSeries: the vector listing, the lazy range of
// occurrences and the owning factory.
#include <algorithm>
#include <memory>
#include <utility>

#include "DataType/Calendar/TimeZone.h"
#include "DataType/TimeSeries/TimeSeriesImpl.h"
#include "DataType/TimeSeries/internal/Walk.h"

namespace QDataType {

namespace {

constexpr size_t kFirstBlock = 16;
constexpr size_t kLargestBlock = 1024;
constexpr long long kHour = 3600000;

}  // namespace

unsigned int TimeSeriesImpl::ResumeNextOccurrences(const DateTime& from, TimeZone const& zone, bool resuming,
                                                   long long& local, unsigned int count, DateTime* out) {
  if (count == 0 || out == nullptr) return 0;
  series::Walk walk(Snapshot());
  if (walk.WindowInEffect() && windowInterval_ == 0) return 0;
  // Writes UTC entries, moving one that comes out earlier than `from` an
  // hour on (as GetNextOccurrences does), and remembers the last one.
  class ResumableSink final : public series::Sink {
   public:
    ResumableSink(DateTime const& from, TimeZone const& zone, DateTime* out, unsigned first, long long& last)
        : from_(from), zone_(zone), out_(out), first_(first), last_(last) {}
    bool Put(unsigned index, series::Local& current) override {
      DateTime& entry = out_[index - first_];
      entry = series::ToDateTime(current).ToUTCTime(zone_);
      if (from_ > entry) {
        DateTime const moved = series::ToDateTime(current) + TimeSpan(kHour);
        entry = moved.ToUTCTime(zone_);
        current = series::FromDateTime(moved);
      }
      last_ = current;
      return true;
    }

   private:
    DateTime const& from_;
    TimeZone const& zone_;
    DateTime* out_;
    unsigned first_;
    long long& last_;
  };
  if (!resuming) {
    ResumableSink sink(from, zone, out, 0, local);
    return walk.Next(series::FromDateTime(from.ToLocalTime(zone)), count, sink);
  }
  ResumableSink sink(from, zone, out, 1, local);
  return walk.Continue(local, 1, count + 1, sink) - 1;
}

std::vector<DateTime> TimeSeries::GetOccurrencesBetween(const DateTime& from, const DateTime& to) {
  DateTime* array = nullptr;
  unsigned const n = GetOccurrencesBetween(from, to, &array);
  std::unique_ptr<DateTime[]> const owned(array);
  return std::vector<DateTime>(owned.get(), owned.get() + (array != nullptr ? n : 0));
}

OccurrenceRange::OccurrenceRange(OccurrenceRange&& other) noexcept
    : series_(std::exchange(other.series_, nullptr)),
      zone_(other.zone_),
      from_(other.from_),
      block_(std::move(other.block_)),
      index_(std::exchange(other.index_, 0)),
      resume_(other.resume_),
      started_(std::exchange(other.started_, true)),
      finished_(std::exchange(other.finished_, true)) {
  other.block_.clear();
}

OccurrenceRange& OccurrenceRange::operator=(OccurrenceRange&& other) noexcept {
  if (this != &other) {
    series_ = std::exchange(other.series_, nullptr);
    zone_ = other.zone_;
    from_ = other.from_;
    block_ = std::move(other.block_);
    other.block_.clear();
    index_ = std::exchange(other.index_, 0);
    resume_ = other.resume_;
    started_ = std::exchange(other.started_, true);
    finished_ = std::exchange(other.finished_, true);
  }
  return *this;
}

OccurrenceRange::~OccurrenceRange() = default;

void OccurrenceRange::Advance() {
  if (started_ && ++index_ < block_.size()) return;
  index_ = 0;
  if (finished_ || series_ == nullptr) {
    block_.clear();
    return;
  }
  size_t const size = !started_ ? kFirstBlock : std::min(block_.size() * 2, kLargestBlock);
  DateTime const last = started_ ? block_.back() : from_;
  block_.resize(size);
  if (zone_ == nullptr) zone_ = &TimeZone::Local();  // the process's zone as the walk begins
  unsigned n;
  if (auto* impl = dynamic_cast<TimeSeriesImpl*>(series_)) {
    n = impl->ResumeNextOccurrences(from_, *zone_, started_, resume_, static_cast<unsigned>(size), block_.data());
  } else if (!started_) {  // an implementation of the caller's own: through the interface
    n = series_->GetNextOccurrences(from_, static_cast<unsigned>(size), block_.data(), *zone_);
  } else {
    n = series_->GetNextOccurrencesAfterStart(last, last + TimeSpan(1), static_cast<unsigned>(size), block_.data(),
                                              *zone_);
  }
  started_ = true;
  if (n < size) finished_ = true;
  block_.resize(n);
}

TimeSeriesPtr MakeTimeSeries(RECURRENCE yearRecurrence, int year, RECURRENCE monthRecurrence, int month,
                             RECURRENCE dayRecurrence, int day, RECURRENCE weekRecurrence, int week,
                             RECURRENCE dayOfWeekRecurrence, int dayOfWeekMask, RECURRENCE hourRecurrence, int hour,
                             RECURRENCE minuteRecurrence, int minute, RECURRENCE secondRecurrence, int second,
                             RECURRENCE millisecondRecurrence, int millisecond, int windowStartHour,
                             int windowStartMinute, int windowEndHour, int windowEndMinute, int windowInterval) {
  return TimeSeriesPtr(CreateTimeSeries(yearRecurrence, year, monthRecurrence, month, dayRecurrence, day,
                                        weekRecurrence, week, dayOfWeekRecurrence, dayOfWeekMask, hourRecurrence, hour,
                                        minuteRecurrence, minute, secondRecurrence, second, millisecondRecurrence,
                                        millisecond, windowStartHour, windowStartMinute, windowEndHour,
                                        windowEndMinute, windowInterval));
}

}  // namespace QDataType
