// Zone conversions against the C library called directly, on the same
// instants, in a zone with daylight saving (Europe/Berlin):
//   ToLocalTime  vs  localtime_r on the instant's time_t
//   ToUTCTime    vs  mktime on the reading's broken-down time (tm_isdst -1)
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

// Readings spread over 1971..2037, a quarter of them within a day of a
// daylight-saving change.
Inputs const& MakeInputs() {
  static Inputs const inputs = [] {
    Inputs in;
    std::mt19937_64 rng(12345);
    std::uniform_int_distribution<long long> any(31536000LL, 2145916799LL);
    std::uniform_int_distribution<int> year(1971, 2037), offset(-86400, 86400);
    for (int i = 0; i < kCount; ++i) {
      long long t;
      if (i % 4 == 0) {  // around the last Sunday of March or October, 01:00 UTC
        int const y = year(rng);
        int const month = i % 8 == 0 ? 3 : 10;
        DateTime last(y, month, 31, 1, 0, 0);
        int const back = last.GetDayOfWeek();
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
  }();
  return inputs;
}

void BM_ToLocalTime(benchmark::State& state) {
  Inputs const& in = MakeInputs();
  size_t i = 0;
  for (auto _ : state) {
    DateTime const r = in.values[i].ToLocalTime();
    benchmark::DoNotOptimize(r);
    i = (i + 1) % kCount;
  }
}
BENCHMARK(BM_ToLocalTime);

void BM_localtime_r(benchmark::State& state) {
  Inputs const& in = MakeInputs();
  size_t i = 0;
  for (auto _ : state) {
    struct tm r;
    benchmark::DoNotOptimize(localtime_r(&in.instants[i], &r));
    benchmark::DoNotOptimize(r);
    i = (i + 1) % kCount;
  }
}
BENCHMARK(BM_localtime_r);

void BM_ToUTCTime(benchmark::State& state) {
  Inputs const& in = MakeInputs();
  size_t i = 0;
  for (auto _ : state) {
    DateTime const r = in.values[i].ToUTCTime();
    benchmark::DoNotOptimize(r);
    i = (i + 1) % kCount;
  }
}
BENCHMARK(BM_ToUTCTime);

void BM_mktime(benchmark::State& state) {
  Inputs const& in = MakeInputs();
  size_t i = 0;
  for (auto _ : state) {
    struct tm t = in.broken[i];
    benchmark::DoNotOptimize(mktime(&t));
    benchmark::DoNotOptimize(t);
    i = (i + 1) % kCount;
  }
}
BENCHMARK(BM_mktime);

}  // namespace

int main(int argc, char** argv) {
  setenv("TZ", "Europe/Berlin", 1);
  tzset();
  MakeInputs();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
