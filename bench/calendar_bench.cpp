// Calendar benchmarks. Each library operation runs next to its peers in the
// same binary: the standard library's C++20 calendar (year_month_day <->
// sys_days) and the civil-date algorithms written inline below, the floor for
// a date <-> day-number round trip. Inputs cycle through an array of varied
// dates (1900-2099, as a caller's data mostly is) so that no branch predictor
// or constant folding sees one value.
//
// Every operand is made before the loop and held the way a caller holds it:
// DateTime values for the library, sys_time / sys_days for the C++20 peer.
// The library's operands are never asked for a weekday or week, so their
// caches stay unset whatever ran before: no figure leans on a cache a
// caller's fresh value would not have.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "DataType/Calendar/DateTime.h"

using QDataType::DateTime;
using QDataType::TimeSpan;

namespace {

// --- The inline floor -----------------------------------------------------------

struct Ymd {
  int y;
  unsigned m, d;
};

inline int DaysFromCivil(int y, unsigned m, unsigned d) noexcept {
  y -= m <= 2;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int>(doe) - 719468;
}

inline Ymd CivilFromDays(int z) noexcept {
  z += 719468;
  const int era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int y = static_cast<int>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  return {y + (m <= 2), m, d};
}

inline unsigned WeekdayFromDays(int z) noexcept { return static_cast<unsigned>(z >= -4 ? (z + 4) % 7 : (z + 5) % 7 + 6); }

// --- Inputs -------------------------------------------------------------------------

constexpr size_t kCount = 4096;  // a power of two: the index wraps with a mask

struct Input {
  int y, m, d, h, mi, s, ms;
  long long span;
};

std::vector<Input> const& Inputs() {
  static const std::vector<Input> inputs = [] {
    std::mt19937_64 rng(2024);
    std::uniform_int_distribution<int> day(DaysFromCivil(1900, 1, 1), DaysFromCivil(2099, 12, 31));
    std::uniform_int_distribution<int> msOfDay(0, 86399999);
    std::uniform_int_distribution<long long> span(-400LL * 86400000, 400LL * 86400000);
    std::vector<Input> v;
    for (size_t i = 0; i < kCount; ++i) {
      const Ymd c = CivilFromDays(day(rng));
      const int t = msOfDay(rng);
      v.push_back({c.y, static_cast<int>(c.m), static_cast<int>(c.d), t / 3600000, t / 60000 % 60, t / 1000 % 60,
                   t % 1000, span(rng)});
    }
    return v;
  }();
  return inputs;
}

// The library's operands (caches unset: see above).
std::vector<DateTime> const& Values() {
  static const std::vector<DateTime> values = [] {
    std::vector<DateTime> v;
    for (auto const& i : Inputs()) v.emplace_back(i.y, i.m, i.d, i.h, i.mi, i.s, i.ms);
    return v;
  }();
  return values;
}

// The same instants as the C++20 peer keeps them.
using Millis = std::chrono::sys_time<std::chrono::milliseconds>;
std::vector<Millis> const& ChronoValues() {
  static const std::vector<Millis> values = [] {
    using namespace std::chrono;
    std::vector<Millis> v;
    for (auto const& x : Inputs())
      v.push_back(sys_days{year_month_day{year{x.y}, month{static_cast<unsigned>(x.m)}, day{static_cast<unsigned>(x.d)}}} +
                  hours{x.h} + minutes{x.mi} + seconds{x.s} + milliseconds{x.ms});
    return v;
  }();
  return values;
}

// --- Construction ----------------------------------------------------------------

void BM_DateTime_FieldConstruction(benchmark::State& state) {
  auto const& in = Inputs();
  size_t i = 0;
  for (auto _ : state) {
    auto const& x = in[i++ & (kCount - 1)];
    DateTime d(x.y, x.m, x.d, x.h, x.mi, x.s, x.ms);
    benchmark::DoNotOptimize(d);
  }
}
BENCHMARK(BM_DateTime_FieldConstruction);

// --- Date <-> day number round trip -------------------------------------------------

void BM_RoundTrip_DateTime_ToDATE_FromDouble(benchmark::State& state) {
  auto const& v = Values();
  size_t i = 0;
  for (auto _ : state) {
    const DateTime back(v[i++ & (kCount - 1)].ToDATE());
    benchmark::DoNotOptimize(back);
  }
}
BENCHMARK(BM_RoundTrip_DateTime_ToDATE_FromDouble);

void BM_RoundTrip_DateTime_DayNumber(benchmark::State& state) {
  auto const& in = Inputs();
  size_t i = 0;
  for (auto _ : state) {
    auto const& x = in[i++ & (kCount - 1)];
    unsigned short y;
    short m, d;
    DateTime::DAYSToYMD(DateTime::YMDToDAYS(static_cast<unsigned short>(x.y), static_cast<short>(x.m),
                                            static_cast<short>(x.d)),
                        y, m, d);
    benchmark::DoNotOptimize(y);
    benchmark::DoNotOptimize(m);
    benchmark::DoNotOptimize(d);
  }
}
BENCHMARK(BM_RoundTrip_DateTime_DayNumber);

void BM_RoundTrip_Chrono(benchmark::State& state) {
  using namespace std::chrono;
  auto const& in = Inputs();
  size_t i = 0;
  for (auto _ : state) {
    auto const& x = in[i++ & (kCount - 1)];
    const sys_days days{year_month_day{year{x.y}, month{static_cast<unsigned>(x.m)}, day{static_cast<unsigned>(x.d)}}};
    const year_month_day back{days};
    benchmark::DoNotOptimize(back);
  }
}
BENCHMARK(BM_RoundTrip_Chrono);

void BM_RoundTrip_InlineCivil(benchmark::State& state) {
  auto const& in = Inputs();
  size_t i = 0;
  for (auto _ : state) {
    auto const& x = in[i++ & (kCount - 1)];
    const Ymd back = CivilFromDays(DaysFromCivil(x.y, static_cast<unsigned>(x.m), static_cast<unsigned>(x.d)));
    benchmark::DoNotOptimize(back);
  }
}
BENCHMARK(BM_RoundTrip_InlineCivil);

// --- Moving by a span ----------------------------------------------------------------

void BM_AddSpan_DateTime(benchmark::State& state) {
  auto const& v = Values();
  auto const& in = Inputs();
  size_t i = 0;
  for (auto _ : state) {
    const size_t k = i++ & (kCount - 1);
    const DateTime r = v[k] + TimeSpan(in[k].span);
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(BM_AddSpan_DateTime);

void BM_MinusSpan_DateTime(benchmark::State& state) {
  auto const& v = Values();
  auto const& in = Inputs();
  size_t i = 0;
  for (auto _ : state) {
    const size_t k = i++ & (kCount - 1);
    const DateTime r = v[k] - TimeSpan(in[k].span);
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(BM_MinusSpan_DateTime);

// Business time: the same move skipping weekends. Its peer is the plain move
// of the C++20 calendar (BM_AddSpan_Chrono).
void BM_AddBusiness_DateTime(benchmark::State& state) {
  auto const& v = Values();
  auto const& in = Inputs();
  size_t i = 0;
  for (auto _ : state) {
    const size_t k = i++ & (kCount - 1);
    const DateTime r = v[k].Add(TimeSpan(in[k].span));
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(BM_AddBusiness_DateTime);

// The same move with the inline algorithms: fields to milliseconds, add, and
// back to fields, all in integers.
void BM_AddSpan_InlineCivil(benchmark::State& state) {
  auto const& in = Inputs();
  size_t i = 0;
  for (auto _ : state) {
    auto const& x = in[i++ & (kCount - 1)];
    const long long ms =
        ((static_cast<long long>(DaysFromCivil(x.y, static_cast<unsigned>(x.m), static_cast<unsigned>(x.d))) * 24 +
          x.h) * 60 + x.mi) * 60000 + x.s * 1000 + x.ms + x.span;
    long long days = ms / 86400000, t = ms % 86400000;
    if (t < 0) t += 86400000, --days;
    const Ymd c = CivilFromDays(static_cast<int>(days));
    const int fields[7] = {c.y, static_cast<int>(c.m), static_cast<int>(c.d), static_cast<int>(t / 3600000),
                           static_cast<int>(t / 60000 % 60), static_cast<int>(t / 1000 % 60), static_cast<int>(t % 1000)};
    benchmark::DoNotOptimize(fields);
  }
}
BENCHMARK(BM_AddSpan_InlineCivil);

void BM_AddSpan_Chrono(benchmark::State& state) {
  using namespace std::chrono;
  auto const& v = ChronoValues();
  auto const& in = Inputs();
  size_t i = 0;
  for (auto _ : state) {
    const size_t k = i++ & (kCount - 1);
    const Millis tp = v[k] + milliseconds{in[k].span};
    const sys_days dp = floor<days>(tp);
    const year_month_day ymd{dp};
    const hh_mm_ss<milliseconds> tod{tp - dp};
    benchmark::DoNotOptimize(ymd);
    benchmark::DoNotOptimize(tod);
  }
}
BENCHMARK(BM_AddSpan_Chrono);

// --- Weekday of a fresh value ----------------------------------------------------------

// A copy of a value whose caches are unset, then its weekday; the peer takes
// the weekday of a sys_days it holds, and of a year_month_day it holds.
void BM_DayOfWeek_DateTime_Fresh(benchmark::State& state) {
  auto const& v = Values();
  size_t i = 0;
  for (auto _ : state) {
    const DateTime d(v[i++ & (kCount - 1)]);
    benchmark::DoNotOptimize(d.GetDayOfWeek());
  }
}
BENCHMARK(BM_DayOfWeek_DateTime_Fresh);

void BM_DayOfWeek_InlineCivil(benchmark::State& state) {
  auto const& in = Inputs();
  size_t i = 0;
  for (auto _ : state) {
    auto const& x = in[i++ & (kCount - 1)];
    benchmark::DoNotOptimize(WeekdayFromDays(DaysFromCivil(x.y, static_cast<unsigned>(x.m), static_cast<unsigned>(x.d))));
  }
}
BENCHMARK(BM_DayOfWeek_InlineCivil);

// The peer's weekday of a date it holds as `Held` (sys_days or year_month_day).
template <class Held>
void ChronoWeekday(benchmark::State& state) {
  using namespace std::chrono;
  std::vector<Held> v;
  for (auto const& t : ChronoValues()) v.emplace_back(floor<days>(t));
  size_t i = 0;
  for (auto _ : state) {
    const weekday w{sys_days{v[i++ & (kCount - 1)]}};
    benchmark::DoNotOptimize(w.c_encoding());
  }
}

void BM_DayOfWeek_Chrono(benchmark::State& state) { ChronoWeekday<std::chrono::sys_days>(state); }
BENCHMARK(BM_DayOfWeek_Chrono);

void BM_DayOfWeek_ChronoYmd(benchmark::State& state) { ChronoWeekday<std::chrono::year_month_day>(state); }
BENCHMARK(BM_DayOfWeek_ChronoYmd);

// --- Text --------------------------------------------------------------------------------

void BM_ToString_DateTime(benchmark::State& state) {
  auto const& v = Values();
  size_t i = 0;
  for (auto _ : state) {
    QBase::ReturnString s = v[i++ & (kCount - 1)].ToString();
    benchmark::DoNotOptimize(s.GetString());
  }
}
BENCHMARK(BM_ToString_DateTime);

// Peers of the text forms: snprintf of the same format into a std::string (a
// fresh owned text per call, as every text form returns one).
void BM_ToString_Snprintf(benchmark::State& state) {
  auto const& in = Inputs();
  size_t i = 0;
  for (auto _ : state) {
    auto const& x = in[i++ & (kCount - 1)];
    char b[40];
    const int n = std::snprintf(b, sizeof b, "%04u-%02u-%02u %02u:%02u:%02u.%03u", x.y, x.m, x.d, x.h, x.mi, x.s, x.ms);
    std::string s(b, static_cast<size_t>(n));
    benchmark::DoNotOptimize(s.data());
  }
}
BENCHMARK(BM_ToString_Snprintf);

void BM_ToJSONString_DateTime(benchmark::State& state) {
  auto const& v = Values();
  size_t i = 0;
  for (auto _ : state) {
    QBase::ReturnString s = v[i++ & (kCount - 1)].ToJSONString();
    benchmark::DoNotOptimize(s.GetString());
  }
}
BENCHMARK(BM_ToJSONString_DateTime);

void BM_ToJSONString_Snprintf(benchmark::State& state) {
  auto const& in = Inputs();
  size_t i = 0;
  for (auto _ : state) {
    auto const& x = in[i++ & (kCount - 1)];
    char b[40];
    const int n = std::snprintf(b, sizeof b, "%04u-%02u-%02uT%02u:%02u:%02u.%03uZ", x.y, x.m, x.d, x.h, x.mi, x.s, x.ms);
    std::string s(b, static_cast<size_t>(n));
    benchmark::DoNotOptimize(s.data());
  }
}
BENCHMARK(BM_ToJSONString_Snprintf);

void BM_ToDateString_DateTime(benchmark::State& state) {
  auto const& v = Values();
  size_t i = 0;
  for (auto _ : state) {
    QBase::ReturnString s = v[i++ & (kCount - 1)].ToDateString();
    benchmark::DoNotOptimize(s.GetString());
  }
}
BENCHMARK(BM_ToDateString_DateTime);

void BM_ToDateString_Snprintf(benchmark::State& state) {
  auto const& in = Inputs();
  size_t i = 0;
  for (auto _ : state) {
    auto const& x = in[i++ & (kCount - 1)];
    char b[16];
    const int n = std::snprintf(b, sizeof b, "%u/%u/%u", x.m, x.d, x.y);
    std::string s(b, static_cast<size_t>(n));
    benchmark::DoNotOptimize(s.data());
  }
}
BENCHMARK(BM_ToDateString_Snprintf);

void BM_FromString_DateTime(benchmark::State& state) {
  std::vector<std::string> texts;
  for (auto const& v : Values()) texts.emplace_back(v.ToString().GetString());
  DateTime d;
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(d.FromString(texts[i++ & (kCount - 1)].c_str()));
    benchmark::DoNotOptimize(d);
  }
}
BENCHMARK(BM_FromString_DateTime);

// Peer: sscanf of the same text.
void BM_FromString_Sscanf(benchmark::State& state) {
  std::vector<std::string> texts;
  for (auto const& v : Values()) texts.emplace_back(v.ToString().GetString());
  size_t i = 0;
  for (auto _ : state) {
    unsigned f[7];
    benchmark::DoNotOptimize(std::sscanf(texts[i++ & (kCount - 1)].c_str(), "%u-%u-%u %u:%u:%u.%u", &f[0], &f[1],
                                         &f[2], &f[3], &f[4], &f[5], &f[6]));
    benchmark::DoNotOptimize(f);
  }
}
BENCHMARK(BM_FromString_Sscanf);

}  // namespace

BENCHMARK_MAIN();
