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

}  // namespace

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
