// Recurrence schedules: the next 1,000 occurrences of four schedules, next to
// libical's recurrence iterator on the equivalent rules, in a zone with
// daylight saving (Europe/Berlin). Both sides walk local wall time and hand
// back UTC: ours converts each occurrence with DateTime::ToUTCTime, the peer
// with icaltimezone_convert_time. Each operation builds a fresh list of
// 1,000 results; figures are per occurrence (items/s).
//   every day at 09:30          FREQ=DAILY;BYHOUR=9;BYMINUTE=30
//   every weekday at 09:00      FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR;BYHOUR=9
//   second Tuesday, 09:00       FREQ=MONTHLY;BYDAY=2TU;BYHOUR=9
//   every 15 minutes            FREQ=MINUTELY;INTERVAL=15
// Run: python3 bench/timeseries_ratios.py build/release/bench/timeseries_bench
#include <benchmark/benchmark.h>
#include <libical/ical.h>
#include <stdlib.h>
#include <time.h>

#include <vector>

#include "DataType/TimeSeries/TimeSeries.h"

using QDataType::DateTime;
using QDataType::RECURRENCE;
using QDataType::RECURRENCE_EVERY;
using QDataType::RECURRENCE_FIXED;
using QDataType::RECURRENCE_NONE;
using QDataType::TimeSeries;

namespace {

constexpr unsigned kCount = 1000;
constexpr RECURRENCE F = RECURRENCE_FIXED, E = RECURRENCE_EVERY, N = RECURRENCE_NONE;

struct Case {
  char const* rule;     // the peer's RRULE
  char const* dtstart;  // its first occurrence, local
  // Ours: (recurrence, value) for year, month, day, week, day of week, hour,
  // minute, second, millisecond.
  RECURRENCE r[9];
  int v[9];
};

Case const kCases[] = {
    {"FREQ=DAILY;BYHOUR=9;BYMINUTE=30", "20240101T093000", {N, N, N, N, N, F, F, F, F}, {0, 0, 0, 0, 0, 9, 30, 0, 0}},
    {"FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR;BYHOUR=9",
     "20240101T090000",
     {N, N, N, N, F, F, F, F, F},
     {0, 0, 0, 0, 62, 9, 0, 0, 0}},
    {"FREQ=MONTHLY;BYDAY=2TU;BYHOUR=9", "20240109T090000", {N, N, N, F, F, F, F, F, F}, {0, 0, 0, 2, 4, 9, 0, 0, 0}},
    {"FREQ=MINUTELY;INTERVAL=15", "20240101T000000", {N, N, N, N, N, E, E, F, F}, {0, 0, 0, 0, 0, 1, 15, 0, 0}},
};

void UseBerlin() {
  static bool const done = [] {
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
    return true;
  }();
  (void)done;
}

// The peer's list: the rule's first kCount occurrences, in UTC.
std::vector<icaltimetype> PeerList(Case const& c) {
  icaltimezone* const zone = icaltimezone_get_builtin_timezone("Europe/Berlin");
  icaltimezone* const utc = icaltimezone_get_utc_timezone();
  struct icalrecurrencetype const rule = icalrecurrencetype_from_string(c.rule);
  icaltimetype start = icaltime_from_string(c.dtstart);
  start = icaltime_set_timezone(&start, zone);
  std::vector<icaltimetype> out(kCount);
  icalrecur_iterator* it = icalrecur_iterator_new(rule, start);
  for (unsigned i = 0; i < kCount; ++i) {
    out[i] = icalrecur_iterator_next(it);
    icaltimezone_convert_time(&out[i], zone, utc);
  }
  icalrecur_iterator_free(it);
  return out;
}

void BM_TimeSeries_Next(benchmark::State& state) {
  UseBerlin();
  Case const& c = kCases[state.range(0)];
  TimeSeries* s =
      QDataType::CreateTimeSeries(c.r[0], c.v[0], c.r[1], c.v[1], c.r[2], c.v[2], c.r[3], c.v[3], c.r[4], c.v[4],
                                  c.r[5], c.v[5], c.r[6], c.v[6], c.r[7], c.v[7], c.r[8], c.v[8], -1, -1, -1, -1, -1);
  DateTime const from(2023, 12, 31, 23, 0, 0);  // 2024-01-01 00:00 local

  // Both sides list the same instants.
  std::vector<DateTime> mine(kCount);
  s->GetNextOccurrences(from, kCount, mine.data());
  std::vector<icaltimetype> const theirs = PeerList(c);
  for (unsigned i = 0; i < kCount; ++i) {
    DateTime const& d = mine[i];
    icaltimetype const& t = theirs[i];
    if (d.GetYear() != t.year || d.GetMonth() != t.month || d.GetDay() != t.day || d.GetHour() != t.hour ||
        d.GetMinute() != t.minute || d.GetSecond() != t.second) {
      state.SkipWithError("the peer lists other instants");
      s->Destroy();
      return;
    }
  }

  for (auto _ : state) {
    std::vector<DateTime> out(kCount);
    unsigned const n = s->GetNextOccurrences(from, kCount, out.data());
    if (n != kCount) state.SkipWithError("short list");
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * kCount);
  s->Destroy();
}

// The same list through the lazy range: it computes blocks that continue
// the walk, so a step should cost what an entry of the bulk listing costs.
void BM_TimeSeries_Range(benchmark::State& state) {
  UseBerlin();
  Case const& c = kCases[state.range(0)];
  QDataType::TimeSeriesPtr const s =
      QDataType::MakeTimeSeries(c.r[0], c.v[0], c.r[1], c.v[1], c.r[2], c.v[2], c.r[3], c.v[3], c.r[4], c.v[4],
                                c.r[5], c.v[5], c.r[6], c.v[6], c.r[7], c.v[7], c.r[8], c.v[8]);
  DateTime const from(2023, 12, 31, 23, 0, 0);
  for (auto _ : state) {
    std::vector<DateTime> out;
    out.reserve(kCount);
    for (DateTime const& d : s->Occurrences(from)) {
      out.push_back(d);
      if (out.size() == kCount) break;
    }
    if (out.size() != kCount) state.SkipWithError("short list");
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * kCount);
}

void BM_Libical_Next(benchmark::State& state) {
  UseBerlin();
  Case const& c = kCases[state.range(0)];
  for (auto _ : state) benchmark::DoNotOptimize(PeerList(c).data());
  state.SetItemsProcessed(state.iterations() * kCount);
}

void Cases(benchmark::internal::Benchmark* b) {
  b->ArgName("rule");
  for (int i = 0; i < 4; ++i) b->Arg(i);
}

BENCHMARK(BM_TimeSeries_Next)->Apply(Cases);
BENCHMARK(BM_TimeSeries_Range)->Apply(Cases);
BENCHMARK(BM_Libical_Next)->Apply(Cases);

}  // namespace

BENCHMARK_MAIN();
