// Builds a schedule from arbitrary bytes (all 23 fields) and runs the three
// computations from dates taken from the input, with small counts, in a zone
// with daylight saving. Every result must be a list of valid dates no longer
// than asked for, every array handed over must be released cleanly, and where
// the step-by-step walk (StepWalk.h, the yardstick for the walk's shortcuts)
// finishes within a small budget the results must be the same. Run it with
// -timeout=1: no computation may take long, whatever the fields.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "StepWalk.h"
#include "DataType/TimeSeries/TimeSeries.h"
#include "DateTimeChecks.h"

using QDataType::CreateTimeSeries;
using QDataType::DateTime;
using QDataType::RECURRENCE;
using QDataType::TimeSeries;
using QDataType::TimeSpan;
using QDataType::testing_series::StepWalk;

namespace {

class Input {
 public:
  Input(uint8_t const* data, size_t size) : data_(data), size_(size) {}

  template <typename T>
  T Take() {
    T v{};
    size_t const n = size_ - offset_ < sizeof v ? size_ - offset_ : sizeof v;
    if (n > 0) std::memcpy(&v, data_ + offset_, n);
    offset_ += n;
    return v;
  }

  // A value: small ones (the units' ranges and just past them) more often
  // than the whole 32-bit range.
  int Value() {
    uint8_t const kind = Take<uint8_t>();
    int32_t const raw = Take<int32_t>();
    switch (kind % 4) {
      case 0:
        return raw % 70;
      case 1:
        return raw % 1500;
      case 2:
        return raw % 70000;
      default:
        return raw;
    }
  }
  RECURRENCE Recurrence() {
    uint8_t const kind = Take<uint8_t>();
    switch (kind % 6) {
      case 0:
      case 1:
        return QDataType::RECURRENCE_FIXED;
      case 2:
      case 3:
        return QDataType::RECURRENCE_EVERY;
      case 4:
        return QDataType::RECURRENCE_WINDOW;
      default:
        return static_cast<RECURRENCE>(Take<int32_t>());
    }
  }
  // A date anywhere in the calendar, the millisecond included.
  DateTime Date() {
    long long const first = DateTime::ToMilliseconds(DateTime(0, 1, 1));
    long long const last = DateTime::ToMilliseconds(DateTime(65535, 12, 31, 23, 59, 59, 999));
    uint64_t const raw = Take<uint64_t>();
    return DateTime(DateTime::MillisecondsToDATE(first + static_cast<long long>(raw % (last - first + 1))));
  }
  // A date near `d`, either side, within about `days` days.
  DateTime Near(DateTime const& d, long long days) {
    long long const span = static_cast<long long>(Take<uint32_t>() % (2 * days * 86400000LL + 1)) - days * 86400000LL;
    return d + TimeSpan(span);
  }

 private:
  uint8_t const* data_;
  size_t size_;
  size_t offset_ = 0;
};

void CheckList(DateTime const* out, unsigned n) {
  for (unsigned i = 0; i < n; ++i) Check(Valid(out[i]));
}

void CheckSame(DateTime const* out, unsigned n, std::vector<DateTime> const& expected) {
  Check(n == expected.size());
  for (unsigned i = 0; i < n; ++i) Check(DateTime::DateTimeOrder(out[i], expected[i]) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return UseZone("Europe/Berlin"); }

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
  Input in(data, size);
  RECURRENCE r[9];
  int v[9];
  for (int i = 0; i < 9; ++i) r[i] = in.Recurrence(), v[i] = in.Value();
  int w[5];
  for (int i = 0; i < 5; ++i) w[i] = in.Take<int8_t>() % 25 + (i == 4 ? in.Take<uint8_t>() * 6 : 0);
  TimeSeries* s = CreateTimeSeries(r[0], v[0], r[1], v[1], r[2], v[2], r[3], v[3], r[4], v[4], r[5], v[5], r[6], v[6],
                                   r[7], v[7], r[8], v[8], w[0], w[1], w[2], w[3], w[4]);
  // The window through the putters too, where the rule of the factory does
  // not reach.
  if (in.Take<uint8_t>() % 4 == 0) {
    s->PutWindowStartHour(w[0]);
    s->PutWindowStartMinute(w[1]);
    s->PutWindowEndHour(w[2]);
    s->PutWindowEndMinute(w[3]);
    s->PutWindowInterval(w[4]);
  }

  uint8_t const mode = in.Take<uint8_t>();
  DateTime const from = in.Date();
  DateTime const start = mode & 1 ? in.Date() : in.Near(from, 40);
  DateTime const to = mode & 2 ? in.Date() : in.Near(from, 3);
  unsigned const count = in.Take<uint8_t>() % 9;
  bool const compare = (mode & 4) != 0;

  std::vector<DateTime> out(count);
  std::vector<DateTime> expected;
  unsigned n = s->GetNextOccurrences(from, count, count ? out.data() : nullptr);
  Check(n <= count);
  CheckList(out.data(), n);
  if (compare) {
    StepWalk ref(*s, 4000);
    ref.Next(from, count, expected);
    if (!ref.Overrun()) CheckSame(out.data(), n, expected);
  }

  n = s->GetNextOccurrencesAfterStart(start, from, count, count ? out.data() : nullptr);
  Check(n <= count);
  CheckList(out.data(), n);
  if (compare) {
    StepWalk ref(*s, 4000);
    ref.AfterStart(start, from, count, expected);
    if (!ref.Overrun()) CheckSame(out.data(), n, expected);
  }

  DateTime* sentinel = reinterpret_cast<DateTime*>(&out);
  DateTime* list = sentinel;
  n = s->GetOccurrencesBetween(from, to, &list);
  Check(list != sentinel || n == 0);
  if (list != sentinel) {
    CheckList(list, n);
    if (compare && n < 2000) {
      StepWalk ref(*s, 4000);
      bool const listed = ref.Between(from, to, expected);
      if (!ref.Overrun()) {
        Check(listed);
        CheckSame(list, n, expected);
      }
    }
    delete[] list;
  }

  // The lazy range, over more entries than its first block holds: the same
  // list as the bulk computation.
  if (mode & 8) {
    unsigned const many = 16 + count * 4;
    std::vector<DateTime> bulk(many);
    bulk.resize(s->GetNextOccurrences(from, many, bulk.data()));
    std::vector<DateTime> lazy;
    for (DateTime const& d : s->Occurrences(from)) {
      if (lazy.size() == many) break;
      lazy.push_back(d);
    }
    Check(lazy.size() == bulk.size());
    CheckSame(lazy.data(), static_cast<unsigned>(lazy.size()), bulk);
  }

  TimeSeries* copy = s->Clone();
  copy->Destroy();
  s->Destroy();
  return 0;
}
