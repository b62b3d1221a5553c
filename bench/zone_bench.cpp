// Zone conversions against abseil's time zone library, on the same instants
// and the same zone (Europe/Berlin), wall-clock fields in and out on both
// sides:
//   UTC -> local   DateTime::ToLocalTime(zone)   absl::ToCivilSecond(absl::FromCivil(utc fields, UTC), zone)
//   local -> UTC   DateTime::ToUTCTime(zone)     absl::ToCivilSecond(absl::FromCivil(local fields, zone), UTC)
// in a zone found by name (TimeZone::Find) and through the process's zone
// (TZ=Europe/Berlin: DateTime::ToLocalTime() and ToUTCTime(), i.e.
// TimeZone::Local()), each on two sets of readings (the argument): spread
// over 1971..2037 (the zone file's transitions), and within 2050 (its
// closing rule). Last, the look-up of a zone already loaded:
// TimeZone::Find against absl::LoadTimeZone.
// Run: zone_bench --benchmark_min_time=0.2, or bench/zone_ratios.py for the table.
#include <absl/time/civil_time.h>
#include <absl/time/time.h>
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <time.h>

#include <random>
#include <vector>

#include "DataType/Calendar/DateTime.h"
#include "DataType/Calendar/TimeZone.h"

namespace {

using QDataType::DateTime;
using QDataType::TimeZone;

constexpr int kCount = 4096;
constexpr char kZone[] = "Europe/Berlin";

struct Inputs {
  std::vector<DateTime> values;           // wall-clock readings
  std::vector<absl::CivilSecond> civil;   // the same readings
};

enum Era { kSpread = 0, k2050 = 1 };

// Readings spread over 1971..2037, or within 2050, a quarter of them within a
// day of a daylight-saving change.
Inputs MakeEra(int era) {
  Inputs in;
  std::mt19937_64 rng(12345 + era);
  int const first = era == k2050 ? 2050 : 1971;
  int const last = era == k2050 ? 2050 : 2037;
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
    in.values.emplace_back(g.tm_year + 1900, g.tm_mon + 1, g.tm_mday, g.tm_hour, g.tm_min, g.tm_sec, 0);
    in.civil.emplace_back(g.tm_year + 1900, g.tm_mon + 1, g.tm_mday, g.tm_hour, g.tm_min, g.tm_sec);
  }
  return in;
}

Inputs const& MakeInputs(int era) {
  static Inputs const inputs[2] = {MakeEra(kSpread), MakeEra(k2050)};
  return inputs[era];
}

TimeZone const& Named() {
  static TimeZone const* const zone = TimeZone::Find(kZone);
  return *zone;
}

absl::TimeZone const& Peer() {
  static absl::TimeZone const zone = [] {
    absl::TimeZone z;
    if (!absl::LoadTimeZone(kZone, &z)) abort();
    return z;
  }();
  return zone;
}

void Eras(benchmark::internal::Benchmark* b) {
  b->ArgName("era");  // 0: 1971..2037, 1: 2050
  for (int era : {kSpread, k2050}) b->Arg(era);
}

template <class Convert>
void Run(benchmark::State& state, Convert convert) {
  Inputs const& in = MakeInputs(static_cast<int>(state.range(0)));
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(convert(in, i));
    i = (i + 1) % kCount;
  }
}

// --- UTC -> local ---------------------------------------------------------------

void BM_Named_ToLocal(benchmark::State& state) {
  TimeZone const& zone = Named();
  Run(state, [&zone](Inputs const& in, size_t i) { return in.values[i].ToLocalTime(zone); });
}
BENCHMARK(BM_Named_ToLocal)->Apply(Eras);

void BM_Process_ToLocal(benchmark::State& state) {
  Run(state, [](Inputs const& in, size_t i) { return in.values[i].ToLocalTime(); });
}
BENCHMARK(BM_Process_ToLocal)->Apply(Eras);

void BM_Absl_ToLocal(benchmark::State& state) {
  absl::TimeZone const zone = Peer();
  absl::TimeZone const utc = absl::UTCTimeZone();
  Run(state, [&zone, &utc](Inputs const& in, size_t i) {
    return absl::ToCivilSecond(absl::FromCivil(in.civil[i], utc), zone);
  });
}
BENCHMARK(BM_Absl_ToLocal)->Apply(Eras);

// --- local -> UTC ---------------------------------------------------------------

void BM_Named_ToUTC(benchmark::State& state) {
  TimeZone const& zone = Named();
  Run(state, [&zone](Inputs const& in, size_t i) { return in.values[i].ToUTCTime(zone); });
}
BENCHMARK(BM_Named_ToUTC)->Apply(Eras);

void BM_Process_ToUTC(benchmark::State& state) {
  Run(state, [](Inputs const& in, size_t i) { return in.values[i].ToUTCTime(); });
}
BENCHMARK(BM_Process_ToUTC)->Apply(Eras);

void BM_Absl_ToUTC(benchmark::State& state) {
  absl::TimeZone const zone = Peer();
  absl::TimeZone const utc = absl::UTCTimeZone();
  Run(state, [&zone, &utc](Inputs const& in, size_t i) {
    return absl::ToCivilSecond(absl::FromCivil(in.civil[i], zone), utc);
  });
}
BENCHMARK(BM_Absl_ToUTC)->Apply(Eras);

// --- Finding a zone already loaded ---------------------------------------------------

void BM_Named_Find(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(TimeZone::Find(kZone));
}
BENCHMARK(BM_Named_Find);

void BM_Absl_Load(benchmark::State& state) {
  absl::TimeZone zone;
  for (auto _ : state) {
    benchmark::DoNotOptimize(absl::LoadTimeZone(kZone, &zone));
    benchmark::DoNotOptimize(zone);
  }
}
BENCHMARK(BM_Absl_Load);

}  // namespace

int main(int argc, char** argv) {
  setenv("TZ", kZone, 1);
  tzset();
  MakeInputs(kSpread);
  Named();
  Peer();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
