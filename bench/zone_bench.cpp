// Zone conversions against the C library called directly, on the same
// instants, in a zone with daylight saving (Europe/Berlin):
//   ToLocalTime  vs  localtime_r on the instant's time_t
//   ToUTCTime    vs  mktime on the reading's broken-down time (tm_isdst -1)
// Each pair runs on three sets of readings (the benchmark's argument): spread
// over 1971..2037, within 2050 (rules from the zone's closing rule) and within
// 1950 (the zone's history).
// Run: zone_bench --benchmark_min_time=0.2
#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <time.h>

#include <random>
#include <vector>

#include "DataType/Calendar/DateTime.h"

namespace {

using QDataType::DateTime;

constexpr int kCount = 4096;

struct Inputs {
  std::vector<DateTime> values;  // wall-clock readings
  std::vector<time_t> instants;  // the same readings taken as UTC
  std::vector<struct tm> broken; // the same readings as broken-down time
};

enum Era { kSpread = 0, k2050 = 1, k1950 = 2 };

// Readings spread over 1971..2037, or within one year, a quarter of them
// within a day of a daylight-saving change.
Inputs MakeEra(int era) {
  Inputs in;
  std::mt19937_64 rng(12345 + era);
  int const first = era == k2050 ? 2050 : era == k1950 ? 1950 : 1971;
  int const last = era == k2050 ? 2050 : era == k1950 ? 1950 : 2037;
  std::uniform_int_distribution<long long> any(DateTime(first, 1, 1).Totime_t(),
                                               DateTime(last, 12, 31, 23, 59, 59).Totime_t());
  std::uniform_int_distribution<int> year(first, last), offset(-86400, 86400);
  for (int i = 0; i < kCount; ++i) {
    long long t;
    if (i % 4 == 0) {  // around the last Sunday of March or October, 01:00 UTC
      int const y = year(rng);
      int const month = i % 8 == 0 ? 3 : 10;
      int const back = DateTime(y, month, 31, 1, 0, 0).GetDayOfWeek();
      t = DateTime(y, month, 31 - back, 1, 0, 0).Totime_t() + offset(rng);
    } else {
      t = any(rng);
    }
    time_t const tt = static_cast<time_t>(t);
    struct tm g;
    gmtime_r(&tt, &g);
    g.tm_isdst = -1;
    in.values.emplace_back(g.tm_year + 1900, g.tm_mon + 1, g.tm_mday, g.tm_hour, g.tm_min, g.tm_sec, 0);
    in.instants.push_back(tt);
    in.broken.push_back(g);
  }
  return in;
}

Inputs const& MakeInputs(int era) {
  static Inputs const inputs[3] = {MakeEra(kSpread), MakeEra(k2050), MakeEra(k1950)};
  return inputs[era];
}

void Eras(benchmark::internal::Benchmark* b) {
  b->ArgName("era");  // 0: 1971..2037, 1: 2050, 2: 1950
  for (int era : {kSpread, k2050, k1950}) b->Arg(era);
}

void BM_ToLocalTime(benchmark::State& state) {
  Inputs const& in = MakeInputs(static_cast<int>(state.range(0)));
  size_t i = 0;
  for (auto _ : state) {
    DateTime const r = in.values[i].ToLocalTime();
    benchmark::DoNotOptimize(r);
    i = (i + 1) % kCount;
  }
}
BENCHMARK(BM_ToLocalTime)->Apply(Eras);

void BM_localtime_r(benchmark::State& state) {
  Inputs const& in = MakeInputs(static_cast<int>(state.range(0)));
  size_t i = 0;
  for (auto _ : state) {
    struct tm r;
    benchmark::DoNotOptimize(localtime_r(&in.instants[i], &r));
    benchmark::DoNotOptimize(r);
    i = (i + 1) % kCount;
  }
}
BENCHMARK(BM_localtime_r)->Apply(Eras);

void BM_ToUTCTime(benchmark::State& state) {
  Inputs const& in = MakeInputs(static_cast<int>(state.range(0)));
  size_t i = 0;
  for (auto _ : state) {
    DateTime const r = in.values[i].ToUTCTime();
    benchmark::DoNotOptimize(r);
    i = (i + 1) % kCount;
  }
}
BENCHMARK(BM_ToUTCTime)->Apply(Eras);

void BM_mktime(benchmark::State& state) {
  Inputs const& in = MakeInputs(static_cast<int>(state.range(0)));
  size_t i = 0;
  for (auto _ : state) {
    struct tm t = in.broken[i];
    benchmark::DoNotOptimize(mktime(&t));
    benchmark::DoNotOptimize(t);
    i = (i + 1) % kCount;
  }
}
BENCHMARK(BM_mktime)->Apply(Eras);

}  // namespace

int main(int argc, char** argv) {
  setenv("TZ", "Europe/Berlin", 1);
  tzset();
  MakeInputs(kSpread);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
