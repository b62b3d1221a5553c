// Dynamic dates and stored times, in TZ=Europe/Berlin:
//   BM_Resolve/<kind>     DynamicTime::ToDateTime of one description per kind
//                         against fixed references (local wall times in
//                         1971..2037), UTC result
//   BM_Peer/<kind>        for three kinds, the same computation written by
//                         hand: std::chrono calendar types for the date,
//                         mktime for local to UTC, gmtime_r for the UTC fields
//   BM_ZoneShare/<kind>   DateTime::ToUTCTime alone on that kind's local
//                         results: the final zone conversion inside BM_Resolve
//   BM_Expiration/<kind>  VexTime::GetExpiration (against the clock)
//   BM_SaveObj, BM_LoadObj  the 44-byte record, static and dynamic
// Run: python3 bench/dynamic_ratios.py build/release/bench/dynamic_bench
#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <time.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "DataType/DynamicTime/DynamicTime.h"
#include "DataType/StoredTime/VexTime.h"

namespace {

using namespace QDataType;
namespace chr = std::chrono;

constexpr int kCount = 1024;

struct Reference {
  int y, m, d, h, mi, s, ms;
};

// UTC fields, as the peers hand them back.
struct Utc {
  int y, m, d, h, mi, s;
};

std::vector<Reference> const& References() {
  static std::vector<Reference> const refs = [] {
    std::vector<Reference> r;
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> year(1972, 2036), month(1, 12), day(1, 31), hour(0, 23), minute(0, 59),
        ms(0, 999);
    while (r.size() < kCount) {
      DateTime const d(year(rng), month(rng), day(rng), hour(rng), minute(rng), minute(rng), ms(rng));
      r.push_back({d.GetYear(), d.GetMonth(), d.GetDay(), d.GetHour(), d.GetMinute(), d.GetSecond(),
                   d.GetMillisecond()});
    }
    return r;
  }();
  return refs;
}

std::vector<DateTime> const& ReferenceDates() {
  static std::vector<DateTime> const dates = [] {
    std::vector<DateTime> v;
    for (Reference const& r : References()) v.emplace_back(r.y, r.m, r.d, r.h, r.mi, r.s, r.ms);
    return v;
  }();
  return dates;
}

DynamicTime Describe(int kind, int y, int m, int d, int h, int k = 0, int wd = -1) {
  DynamicTime t(static_cast<DYNAMIC_TIME>(kind), 0);
  t.PutYear(y);
  t.PutMonth(m);
  t.PutDay(d);
  t.PutHour(h);
  t.PutWeek(k);
  t.PutDayOfWeek(wd);
  return t;
}

struct Kind {
  char const* label;
  DynamicTime description;
};

std::vector<Kind> const& Kinds() {
  static std::vector<Kind> const kinds = {
      {"0_fixed_date", Describe(DT_FIXED_DATE | DT_FLAG_ABSOLUTE_DATE, 2030, 6, 15, 12)},
      {"2_relative_date_time", Describe(DT_RELATIVE_DATE_TIME, 0, 0, -3, 2)},
      {"3_tomorrow_0800", Describe(DT_RELATIVE_DAY, 0, 0, 1, 8)},
      {"3_business_days_back", Describe(DT_RELATIVE_DAY | DT_FLAG_BUSINESS_DAYS, 0, 0, -3, 17)},
      {"4_monday_next_week", Describe(DT_RELATIVE_WEEK_DAY, 0, 0, 0, 9, 1, 1)},
      {"5_first_of_next_month", Describe(DT_RELATIVE_MONTH_DAY, 0, 1, 1, 8)},
      {"5_nth_weekday", Describe(DT_RELATIVE_MONTH_DAY, 0, 0, 0, 9, 2, 2)},
      {"6_new_year", Describe(DT_RELATIVE_YEAR_DATE, 1, 1, 1, 0)},
      {"7_this_sunday", Describe(DT_THIS_WEEK_SUNDAY, 0, 0, 0, 10)},
      {"10_this_wednesday", Describe(DT_THIS_WEEK_WEDNESDAY, 0, 0, 0, 10)},
      {"13_this_saturday", Describe(DT_THIS_WEEK_SATURDAY, 0, 0, 0, 10)},
      {"14_quarter_end", Describe(DT_RELATIVE_QUARTER_DAY, 0, 0, -1, 0)},
  };
  return kinds;
}

// --- The peers ----------------------------------------------------------------------

Utc LocalToUtc(chr::year_month_day ymd, int h, int mi, int s) {
  struct tm t = {};
  t.tm_year = static_cast<int>(ymd.year()) - 1900;
  t.tm_mon = static_cast<int>(static_cast<unsigned>(ymd.month())) - 1;
  t.tm_mday = static_cast<int>(static_cast<unsigned>(ymd.day()));
  t.tm_hour = h;
  t.tm_min = mi;
  t.tm_sec = s;
  t.tm_isdst = -1;
  time_t const instant = mktime(&t);
  struct tm g;
  gmtime_r(&instant, &g);
  return {g.tm_year + 1900, g.tm_mon + 1, g.tm_mday, g.tm_hour, g.tm_min, g.tm_sec};
}

// The first day of next month at 08:00.
Utc FirstOfNextMonth(Reference const& r) {
  chr::year_month const next = chr::year{r.y} / chr::month{static_cast<unsigned>(r.m)} + chr::months{1};
  return LocalToUtc(next / chr::day{1}, 8, 0, 0);
}

// The second Tuesday of the month at 09:00 (a missing occurrence falls back
// to the one before).
Utc SecondTuesday(Reference const& r) {
  chr::year_month const ym = chr::year{r.y} / chr::month{static_cast<unsigned>(r.m)};
  unsigned n = 2;
  chr::year_month_weekday ymw = ym / chr::Tuesday[n];
  while (!ymw.ok() && n > 1) ymw = ym / chr::Tuesday[--n];
  return LocalToUtc(chr::year_month_day{chr::sys_days{ymw}}, 9, 0, 0);
}

// Three business days back at 17:00 (a weekend counts as the Monday after).
Utc ThreeBusinessDaysBack(Reference const& r) {
  chr::sys_days day{chr::year{r.y} / chr::month{static_cast<unsigned>(r.m)} / chr::day{static_cast<unsigned>(r.d)}};
  unsigned w = chr::weekday{day}.c_encoding();
  if (w == 6 || w == 0) {
    day += chr::days{w == 6 ? 2 : 1};
    w = 1;
  }
  int const n = 3;
  day -= chr::days{n + 2 * (n / 5) + (static_cast<int>(w) <= n % 5 ? 2 : 0)};
  return LocalToUtc(chr::year_month_day{day}, 17, 0, 0);
}

struct Peer {
  char const* label;  // the kind it stands beside
  Utc (*compute)(Reference const&);
};

Peer const kPeers[] = {{"5_first_of_next_month", FirstOfNextMonth},
                       {"5_nth_weekday", SecondTuesday},
                       {"3_business_days_back", ThreeBusinessDaysBack}};

DynamicTime const& DescriptionOf(char const* label) {
  for (Kind const& k : Kinds())
    if (std::string(k.label) == label) return k.description;
  std::abort();
}

// Every peer must give our answer on every reference, or the comparison
// would mean nothing.
bool PeersAgree() {
  bool ok = true;
  for (Peer const& p : kPeers) {
    DynamicTime const& t = DescriptionOf(p.label);
    for (int i = 0; i < kCount; ++i) {
      DateTime d = ReferenceDates()[i];
      t.ToDateTime(d);
      Utc const u = p.compute(References()[i]);
      if (u.y != d.GetYear() || u.m != d.GetMonth() || u.d != d.GetDay() || u.h != d.GetHour() ||
          u.mi != d.GetMinute() || u.s != d.GetSecond()) {
        std::fprintf(stderr, "%s disagrees at reference %d: %s\n", p.label, i, d.ToString().GetString());
        ok = false;
        break;
      }
    }
  }
  return ok;
}

// --- Benchmarks ---------------------------------------------------------------------------

void Resolve(benchmark::State& state, DynamicTime const* t) {
  std::vector<DateTime> const& refs = ReferenceDates();
  size_t i = 0;
  for (auto _ : state) {
    DateTime d = refs[i];
    benchmark::DoNotOptimize(t->ToDateTime(d));
    benchmark::DoNotOptimize(d);
    i = (i + 1) % kCount;
  }
}

void RunPeer(benchmark::State& state, Peer const* p) {
  std::vector<Reference> const& refs = References();
  size_t i = 0;
  for (auto _ : state) {
    Utc const u = p->compute(refs[i]);
    benchmark::DoNotOptimize(u);
    i = (i + 1) % kCount;
  }
}

void ZoneShare(benchmark::State& state, DynamicTime const* t) {
  // The local results of the kind: the resolved instants back in local time.
  std::vector<DateTime> locals;
  for (DateTime d : ReferenceDates()) {
    t->ToDateTime(d);
    locals.push_back(d.ToLocalTime());
  }
  size_t i = 0;
  for (auto _ : state) {
    DateTime const u = locals[i].ToUTCTime();
    benchmark::DoNotOptimize(u);
    i = (i + 1) % kCount;
  }
}

void Expiration(benchmark::State& state, DynamicTime const* t) {
  VexTime v;
  v.PutDynamicTime(t->GetDynamicTime());
  VexTime e;
  for (auto _ : state) {
    benchmark::DoNotOptimize(v.GetExpiration(e));
  }
}

VexTime MakeStatic() { return VexTime(DateTime(2024, 3, 5, 14, 7, 9, 123), TIME_MODE_LOCAL, false); }

VexTime MakeDynamic() {
  VexTime v;
  v.PutDynamicTime(DT_RELATIVE_MONTH_DAY);
  v.PutMonth(1, false);
  v.PutDay(1, false);
  v.PutHour(8, false);
  v.PutDynamicMonthOffset(-2);
  return v;
}

void SaveObj(benchmark::State& state, VexTime (*make)()) {
  VexTime const v = make();
  unsigned char record[44];
  for (auto _ : state) {
    benchmark::DoNotOptimize(v.SaveObj(sizeof record, record));
    benchmark::ClobberMemory();
  }
}

void LoadObj(benchmark::State& state, VexTime (*make)()) {
  unsigned char record[44];
  make().SaveObj(sizeof record, record);
  VexTime v;
  for (auto _ : state) {
    benchmark::DoNotOptimize(v.LoadObj(sizeof record, record));
    benchmark::ClobberMemory();
  }
}

void Register() {
  for (Kind const& k : Kinds()) {
    benchmark::RegisterBenchmark((std::string("BM_Resolve/") + k.label).c_str(), Resolve, &k.description);
    benchmark::RegisterBenchmark((std::string("BM_ZoneShare/") + k.label).c_str(), ZoneShare, &k.description);
  }
  for (Peer const& p : kPeers) benchmark::RegisterBenchmark((std::string("BM_Peer/") + p.label).c_str(), RunPeer, &p);
  for (Kind const& k : Kinds()) {
    if (k.description.GetDynamicTime() & DT_FLAG_BUSINESS_DAYS) continue;  // has no expiration
    if ((k.description.GetDynamicTime() & ~DT_FLAG_ABSOLUTE_DATE) == DT_FIXED_DATE) continue;
    benchmark::RegisterBenchmark((std::string("BM_Expiration/") + k.label).c_str(), Expiration, &k.description);
  }
  benchmark::RegisterBenchmark("BM_SaveObj/static", SaveObj, &MakeStatic);
  benchmark::RegisterBenchmark("BM_SaveObj/dynamic", SaveObj, &MakeDynamic);
  benchmark::RegisterBenchmark("BM_LoadObj/static", LoadObj, &MakeStatic);
  benchmark::RegisterBenchmark("BM_LoadObj/dynamic", LoadObj, &MakeDynamic);
}

}  // namespace

int main(int argc, char** argv) {
  setenv("TZ", "Europe/Berlin", 1);
  tzset();
  if (!PeersAgree()) return 1;
  Register();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
