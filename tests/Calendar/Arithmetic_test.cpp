// TimeSpan and DateTime arithmetic: moves, differences, business time and
// rounding. Business time is checked against an independent model: a clock
// that only runs Monday to Friday.
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>
#include <vector>

#include "DataType/Calendar/DateTime.h"
#include "DateTimeTestPeer.h"

namespace QDataType {
namespace {

constexpr long long kDay = TimeSpan::kDay;

std::string Show(DateTime const& d) { return d.ToString().GetString(); }
DateTime FromMs(long long ms) { return DateTime(DateTime::MillisecondsToDATE(ms)); }

TEST(TimeSpan, PartsTotalsAndWrapping) {
  EXPECT_EQ(TimeSpan(1, 25, 0, 0, 0).GetTotalMilliseconds(), 176400000);
  const TimeSpan t(-90061001);  // -(1 d 1 h 1 min 1 s 1 ms): totals truncate toward zero
  EXPECT_TRUE(t.GetTotalDays() == -1 && t.GetTotalHours() == -25 && t.GetTotalMinutes() == -1501 &&
              t.GetTotalSeconds() == -90061);
  EXPECT_EQ(TimeSpan((1LL << 32) * 1000 + 5000).GetTotalSeconds(), 5);  // low 32 bits of the quotient
  EXPECT_EQ((TimeSpan(LLONG_MAX) + TimeSpan(1)).GetTotalMilliseconds(), LLONG_MIN);
  TimeSpan a(100);
  EXPECT_EQ((a -= TimeSpan(150)).GetTotalMilliseconds(), -50);
  EXPECT_TRUE(a < TimeSpan(0) && TimeSpan(0) > a && a <= a && a >= a && a != TimeSpan(0));
}

TEST(DateTimeArithmetic, MovesAndDifferencesFollowTheMillisecondCount) {
  EXPECT_EQ(Show(DateTime(2024, 3, 1) - TimeSpan(1)), "2024-02-29 23:59:59.999");
  EXPECT_EQ((DateTime(2024, 3, 1) - DateTime(2024, 2, 28, 12)).GetTotalMilliseconds(), 129600000);
  // Counts whose day quotient leaves 32 bits still land on the clamped ends
  // (a fuzz finding: the quotient used to be narrowed to int first).
  for (long long far : {-185542587187200101LL, -2147483648LL * kDay - 1, 2147483648LL * kDay, LLONG_MIN}) {
    const double x = DateTime::MillisecondsToDATE(far);
    EXPECT_TRUE(far < 0 ? x <= -2147483648.0 : x >= 2147483648.0) << far;
    EXPECT_EQ(Show(DateTime() + TimeSpan(far)).substr(0, 11), far < 0 ? "0001-01-01 " : "65535-12-30") << far;
    if (far != LLONG_MIN) {
      EXPECT_EQ(Show(DateTime() - TimeSpan(far)).substr(0, 11), far < 0 ? "65535-12-30" : "0001-01-01 ") << far;
    }
  }

  EXPECT_EQ((DateTime(2024, 6, 1, 0, 0, 0, 0, 60, 60) + TimeSpan(0)).GetBias(), 0);

  std::mt19937_64 rng(11);
  std::uniform_int_distribution<long long> ms(-5000 * kDay, 200000 * kDay), span(-3000 * kDay, 3000 * kDay);
  for (int i = 0; i < 100000; ++i) {
    const DateTime a = FromMs(ms(rng));
    const long long s = span(rng);
    const DateTime b = a + TimeSpan(s);
    ASSERT_EQ(DateTime::ToMilliseconds(b), DateTime::ToMilliseconds(a) + s) << Show(a) << " + " << s;
    ASSERT_TRUE((b - a).GetTotalMilliseconds() == s && b - TimeSpan(s) == a) << Show(a) << " + " << s;
  }
}

// A move lands on the value of the new count: inside the calendar exactly
// that count; past 65535-12-30 that day at the count's time of day; before
// 0001-01-01 that day at the mirrored time of day (ceil(x) - x of the double
// form).
TEST(DateTimeArithmetic, MovesLandOnTheCountOrTheClampedEnds) {
  const long long first = -693959 * kDay, end = 23242572 * kDay;
  std::mt19937_64 rng(5);
  std::uniform_int_distribution<long long> any(first - 40 * kDay, end + 40 * kDay);
  std::vector<long long> counts = {0, -1, 1, kDay - 1, -kDay, first, first - 1, first + 1, end, end - 1, end + 1};
  for (int i = 0; i < 200000; ++i) counts.push_back(any(rng));
  for (long long c : counts) {
    const DateTime moved = DateTime(1899, 12, 30, 0, 0, 0, 0, 60, 60) + TimeSpan(c);  // day 0 + c
    ASSERT_EQ(moved.GetBias() | moved.GetDaylightBias(), 0) << c;
    long long want = c;
    if (c >= end) want = end - kDay + c % kDay;               // 65535-12-30
    if (c < first) want = -693593 * kDay + (-c) % kDay;        // 0001-01-01, mirrored
    ASSERT_EQ(DateTime::ToMilliseconds(moved), want) << c;
  }
}

// Business milliseconds since Monday 1900-01-01 (day 2) of a weekday value, and back.
long long FloorDiv(long long a, long long b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }
long long Business(DateTime const& v) {
  const long long ms = DateTime::ToMilliseconds(v), day = FloorDiv(ms, kDay), dow = v.GetDayOfWeek();
  return FloorDiv(day - (dow - 1) - 2, 7) * 5 * kDay + (dow - 1) * kDay + (ms - day * kDay);
}
DateTime FromBusiness(long long b) {
  const long long week = FloorDiv(b, 5 * kDay), rest = b - week * 5 * kDay;
  return FromMs((2 + 7 * week + rest / kDay) * kDay + rest % kDay);
}

TEST(BusinessTime, AddAndMinusFollowAWeekdayClock) {
  std::mt19937_64 rng(3);
  std::uniform_int_distribution<long long> start(-700000 * kDay, 2900000 * kDay), small(0, 3 * kDay),
      large(0, 400 * kDay);
  for (int i = 0; i < 200000; ++i) {
    const DateTime v = FromMs(start(rng));
    const long long s = i % 3 == 0 ? large(rng) : i % 3 == 1 ? small(rng) : small(rng) / kDay * kDay;
    const int dow = v.GetDayOfWeek();
    if (dow == 0 || dow == 6) {  // a weekend counts as the following Monday, same time of day
      const DateTime monday = v + TimeSpan((dow == 6 ? 2 : 1) * kDay);
      ASSERT_TRUE(v.Add(TimeSpan(s)) == monday.Add(TimeSpan(s)) && v.Minus(TimeSpan(s)) == monday.Minus(TimeSpan(s)));
      continue;
    }
    const DateTime added = v.Add(TimeSpan(s));
    ASSERT_EQ(Show(added), Show(FromBusiness(Business(v) + s))) << Show(v) << " + " << s;
    ASSERT_EQ(Show(v.Minus(TimeSpan(s))), Show(FromBusiness(Business(v) - s))) << Show(v) << " - " << s;
    // Span is exact within a week unless both ends share a weekday (then the
    // formula cannot see whether a weekend lies between).
    if (s < 5 * kDay && added.GetDayOfWeek() != dow) {
      ASSERT_EQ(added.Span(v).GetTotalMilliseconds(), s) << Show(v) << " + " << s;
    }
  }
  EXPECT_EQ(Show(DateTime(2024, 6, 14, 23, 30).Add(TimeSpan(3600000))), "2024-06-17 00:30:00.000");
  EXPECT_EQ(DateTime(2024, 6, 21, 10).Span(DateTime(2024, 6, 15, 10)).GetTotalMilliseconds(), 4 * kDay);
  EXPECT_EQ(Show(DateTime(2024, 6, 12).Add(TimeSpan(LLONG_MAX))).substr(0, 11), "65535-12-30");
  EXPECT_EQ(Show(DateTime(2024, 6, 12).Minus(TimeSpan(LLONG_MIN))).substr(0, 11), "65535-12-30");
}

TEST(RoundToSeconds, HalfUpWithCarryKeepingBiases) {
  EXPECT_EQ(Show(DateTime(2023, 12, 31, 23, 59, 59, 500).RoundToSeconds()), "2024-01-01 00:00:00.000");
  EXPECT_EQ(Show(DateTime(2024, 2, 28, 23, 59, 59, 500).RoundToSeconds()), "2024-02-29 00:00:00.000");
  const DateTime b = DateTime(2024, 6, 30, 23, 59, 59, 600, 60, 60).RoundToSeconds();
  EXPECT_TRUE(b.GetBias() == 60 && b.GetDaylightBias() == 60 && b.GetDayOfWeek() == 1);
  std::mt19937_64 rng(5);
  std::uniform_int_distribution<long long> ms(0, 2958465 * kDay);
  for (int i = 0; i < 100000; ++i) {
    const long long t = ms(rng);
    ASSERT_EQ(Show(FromMs(t).RoundToSeconds()), Show(FromMs((t + 500) / 1000 * 1000))) << Show(FromMs(t));
  }
}

}  // namespace
}  // namespace QDataType
