// The schedule's rules against an independent model of them, on random
// schedules walked in UTC. (The walk's shortcuts are held to the step-by-step
// walk by fuzz_timeseries, whose inputs the test command replays.)
#include <gtest/gtest.h>

#include <time.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "DataType/TimeSeries/TimeSeries.h"
#include "Schedules.h"
#include "support/ScopedTZ.h"

namespace QDataType {
namespace {

using namespace testing_series;
using testing_zone::ScopedTZ;

// Draws for the random schedules.
class Random {
 public:
  explicit Random(unsigned long long state) : rng_(state) {}
  int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  bool Chance(int percent) { return Int(1, 100) <= percent; }

 private:
  std::mt19937_64 rng_;
};

// The schedule's rules checked against a model that enumerates them day by
// day, from the header's words alone, with the C library's calendar (gmtime_r,
// timegm): schedules whose time units are all fixed (or a daily window, or
// one step every K minutes with no date rule), walked from a start at
// midnight in UTC. A day passes when every date rule admits it: a fixed year,
// month or day equals it; a day step counts whole days from the start's; a
// year or month step counts whole years or months from the first occurrence
// (each one counts from the one before, so all count from the first);
// while the day is neither fixed nor stepped, week k is days 7k-6..7k (-k:
// the k-th block of seven back from the month's last day) and the weekday
// mask holds its bit.
struct CivilDay {
  int y, m, d, wday, dim;
};
CivilDay Civil(long long day) {
  time_t const t = static_cast<time_t>(day * 86400);
  struct tm g, last {};
  gmtime_r(&t, &g);
  last.tm_year = g.tm_year, last.tm_mon = g.tm_mon + 1, last.tm_mday = 0;  // the month's last day
  time_t const lt = timegm(&last);
  gmtime_r(&lt, &last);
  return {g.tm_year + 1900, g.tm_mon + 1, g.tm_mday, g.tm_wday, last.tm_mday};
}

bool DayPasses(Rule const& r, CivilDay const& c, long long days, CivilDay const* first) {
  if (r.r[kYear] == RECURRENCE_FIXED && c.y != r.v[kYear]) return false;
  if (r.r[kYear] == RECURRENCE_EVERY && first != nullptr && (c.y - first->y) % r.v[kYear] != 0) return false;
  if (r.r[kMonth] == RECURRENCE_FIXED && c.m != r.v[kMonth]) return false;
  if (r.r[kMonth] == RECURRENCE_EVERY && first != nullptr && ((c.y - first->y) * 12 + c.m - first->m) % r.v[kMonth] != 0)
    return false;
  if (r.r[kDay] == RECURRENCE_FIXED) return c.d == r.v[kDay];
  if (r.r[kDay] == RECURRENCE_EVERY) return days % r.v[kDay] == 0;
  if (r.r[kDow] == RECURRENCE_FIXED && ((r.v[kDow] >> c.wday) & 1) == 0) return false;
  int const k = r.v[kWeek];
  int const lo = k > 0 ? 7 * k - 6 : c.dim + 7 * k + 1;
  return r.r[kWeek] != RECURRENCE_FIXED || (k != 0 && c.d >= lo && c.d <= lo + 6);
}

TEST(WalkRules, AgreeWithADayByDayEnumeration) {
  ScopedTZ tz("UTC");
  Random random(8);
  constexpr long long kDayMs = 86400000;
  int compared = 0;
  for (int i = 0; i < 400; ++i) {
    Rule r;
    long long const startDay = random.Int(0, 25000);  // days since 1970
    CivilDay const s = Civil(startDay);
    int const kind = random.Int(0, 9);
    int minutes = 0;
    if (kind == 0) {  // every K minutes, every day
      minutes = random.Int(1, 59);
      r.Every(kHour, 1).Every(kMinute, minutes).Fixed(kSecond, 0).Fixed(kMs, 0);
    } else {
      // A step counts from the previous occurrence: alone, every day from
      // the start's passes, so that is the start's day and then every N-th.
      if (random.Chance(20)) {
        r.Every(kDay, random.Int(1, 10));
      } else {
        if (random.Chance(30)) {
          r.Fixed(kYear, s.y + random.Int(0, 2));
        } else if (random.Chance(20)) {
          r.Every(kYear, random.Int(1, 3));
        }
        if (random.Chance(30)) {
          r.Fixed(kMonth, random.Int(1, 12));
        } else if (random.Chance(25)) {
          r.Every(kMonth, random.Int(1, 7));
        }
        if (random.Chance(25)) r.Fixed(kDay, random.Int(1, 31));
        if (random.Chance(50)) r.Fixed(kDow, random.Int(1, 127));
        if (random.Chance(40)) r.Fixed(kWeek, random.Int(-5, 5));
      }
      if (kind < 4) {
        r.Fixed(kSecond, 0).Fixed(kMs, 0).Window(random.Int(0, 23), random.Int(0, 59), random.Int(0, 23),
                                                 random.Int(0, 59), random.Int(1, 300));
      } else {
        r.At(random.Int(0, 23), random.Int(0, 59), random.Int(0, 59)).Fixed(kMs, random.Int(0, 999));
      }
    }
    // The model's occurrences: the day's times on every day that passes,
    // until a search would have to go past 2,928 days.
    std::vector<long long> want;
    long long const from = startDay * kDayMs + random.Int(0, 90) * kDayMs + random.Int(0, 86399999);
    unsigned const count = 10;
    if (minutes > 0) {
      for (long long t = startDay * kDayMs; want.size() < count; t += minutes * 60000LL)
        if (t >= from) want.push_back(t);
    }
    // A fixed year later than the start's moves the search to the start's
    // month and day in that year and resumes it the day after.
    long long firstDay = startDay;
    if (r.r[kYear] == RECURRENCE_FIXED && r.v[kYear] > s.y) {
      struct tm j {};
      j.tm_year = r.v[kYear] - 1900, j.tm_mon = s.m - 1, j.tm_mday = 1;
      long long const first = timegm(&j) / 86400;
      firstDay = first + std::min(s.d, Civil(first).dim);
    }
    CivilDay first{};
    bool anchored = false;
    for (long long day = firstDay, last = firstDay; minutes == 0 && want.size() < count && day - last < 2000; ++day) {
      CivilDay const c = Civil(day);
      if (!DayPasses(r, c, day - startDay, anchored ? &first : nullptr)) continue;
      if (!anchored) first = c, anchored = true;
      last = day;
      std::vector<long long> times;
      if (r.w[0] >= 0) {
        int const a = r.w[0] * 60 + r.w[1], b = r.w[2] * 60 + r.w[3];
        for (int m = a; m == a || m <= b; m += r.w[4]) times.push_back(m * 60000LL);
      } else {
        times.push_back(((r.v[kHour] * 60LL + r.v[kMinute]) * 60 + r.v[kSecond]) * 1000 + r.v[kMs]);
      }
      for (long long t : times)
        if (day * kDayMs + t >= from && want.size() < count) want.push_back(day * kDayMs + t);
    }
    auto instant = [](long long ms) { return DateTime(ms / 1000, 0) + TimeSpan(ms % 1000); };
    Series const series = r.Make();
    std::vector<DateTime> out(count);
    unsigned const n =
        series->GetNextOccurrencesAfterStart(instant(startDay * kDayMs), instant(from), count, out.data());
    std::vector<std::string> expected;
    for (long long t : want) expected.push_back(Text(instant(t)));
    std::vector<std::string> got = Texts(out.data(), n);
    if (got.size() > expected.size()) got.resize(expected.size());  // past the model's horizon
    ASSERT_EQ(got, expected) << Describe(r) << " from " << Text(instant(from));
    compared += !expected.empty();
  }
  EXPECT_GT(compared, 250);
}

}  // namespace
}  // namespace QDataType
