// TimeSpan and DateTime arithmetic: moves, differences, business time and
// rounding. Business time is checked against an independent model, a clock
// that only runs Monday to Friday.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <random>
#include <string>

#include "DataType/Calendar/DateTime.h"

namespace QDataType {
namespace {

constexpr long long kDay = 86400000;

std::string Show(DateTime const& d) {
  char b[64];
  std::snprintf(b, sizeof b, "%04d-%02d-%02d %02d:%02d:%02d.%03d", d.GetYear(), d.GetMonth(), d.GetDay(),
                d.GetHour(), d.GetMinute(), d.GetSecond(), d.GetMillisecond());
  return b;
}

TEST(TimeSpan, PartsTotalsAndComparisons) {
  EXPECT_EQ(TimeSpan(1, 25, 0, 0, 0).GetTotalMilliseconds(), 176400000);
  EXPECT_EQ(TimeSpan(1, 25, 0, 0, 0).GetTotalDays(), 2);
  EXPECT_EQ(TimeSpan(-5400000).GetTotalHours(), -1);  // toward zero
  EXPECT_EQ(TimeSpan(0, -1, 30, -1, 1).GetTotalMilliseconds(), -1800000 - 999);
  EXPECT_EQ(TimeSpan(INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN).GetTotalMilliseconds(),
            ((((static_cast<long long>(INT_MIN) * 24 + INT_MIN) * 60 + INT_MIN) * 60 + INT_MIN) * 1000 + INT_MIN));
  const TimeSpan t(90061001);  // 1 d 1 h 1 min 1 s 1 ms
  EXPECT_EQ(t.GetTotalDays(), 1);
  EXPECT_EQ(t.GetTotalHours(), 25);
  EXPECT_EQ(t.GetTotalMinutes(), 1501);
  EXPECT_EQ(t.GetTotalSeconds(), 90061);
  // The totals keep the low 32 bits of the quotient.
  EXPECT_EQ(TimeSpan((1LL << 32) * 1000 + 5000).GetTotalSeconds(), 5);
  EXPECT_EQ(TimeSpan().GetTotalMilliseconds(), 0);

  TimeSpan a(100);
  EXPECT_EQ((a += TimeSpan(50)).GetTotalMilliseconds(), 150);
  EXPECT_EQ((a -= TimeSpan(200)).GetTotalMilliseconds(), -50);
  EXPECT_EQ((a + TimeSpan(60)).GetTotalMilliseconds(), 10);
  EXPECT_EQ((a - TimeSpan(60)).GetTotalMilliseconds(), -110);
  EXPECT_EQ((TimeSpan(LLONG_MAX) + TimeSpan(1)).GetTotalMilliseconds(), LLONG_MIN);  // wraps, no overflow
  EXPECT_EQ((TimeSpan(LLONG_MIN) - TimeSpan(1)).GetTotalMilliseconds(), LLONG_MAX);
  const TimeSpan lo(-1), hi(1);
  EXPECT_TRUE(lo < hi && hi > lo && lo <= lo && hi >= hi && lo != hi && lo == TimeSpan(-1));
  EXPECT_FALSE(hi < lo || lo > hi || hi <= lo || lo >= hi);
}

TEST(DateTimeArithmetic, MovesAndDifferences) {
  EXPECT_EQ(Show(DateTime(2024, 2, 28, 23, 0, 0, 0) + TimeSpan(7200000)), "2024-02-29 01:00:00.000");
  EXPECT_EQ(Show(DateTime(2024, 3, 1) - TimeSpan(1)), "2024-02-29 23:59:59.999");
  EXPECT_EQ(Show(DateTime() - TimeSpan(kDay / 4)), "1899-12-29 18:00:00.000");
  EXPECT_EQ(Show(DateTime(1, 1, 1) - TimeSpan(1)), "0000-12-31 23:59:59.999");
  // Below day -693959 the date clamps to 0001-01-01 and the fraction is
  // mirrored (ceil(x) - x): one millisecond before 0000-01-01 reads as 00:00:00.001.
  EXPECT_EQ(Show(DateTime(0, 1, 1) - TimeSpan(1)), "0001-01-01 00:00:00.001");
  EXPECT_EQ(Show(DateTime(65535, 12, 30, 23) + TimeSpan(2 * kDay)), "65535-12-30 23:00:00.000");
  EXPECT_EQ(Show(DateTime(2024, 1, 1) + TimeSpan(LLONG_MAX)).substr(0, 11), "65535-12-30");
  EXPECT_EQ(Show(DateTime(2024, 1, 1) - TimeSpan(LLONG_MIN)).substr(0, 11), "65535-12-30");
  EXPECT_EQ(Show(DateTime(2024, 1, 1) + TimeSpan(LLONG_MIN)).substr(0, 10), "0001-01-01");
  EXPECT_EQ(Show(DateTime(2024, 1, 1) - TimeSpan(LLONG_MAX)).substr(0, 10), "0001-01-01");

  const DateTime withBias(2024, 6, 15, 10, 0, 0, 0, 60, 60);
  withBias.GetWeek();
  const DateTime moved = withBias + TimeSpan(0);
  EXPECT_EQ(moved, withBias);
  EXPECT_EQ(moved.GetBias(), 0);
  EXPECT_EQ(moved.GetDaylightBias(), 0);

  EXPECT_EQ((DateTime(2024, 3, 1) - DateTime(2024, 2, 28, 12)).GetTotalMilliseconds(), 129600000);
  EXPECT_EQ((DateTime(2024, 2, 28, 12) - DateTime(2024, 3, 1)).GetTotalMilliseconds(), -129600000);
  EXPECT_EQ((DateTime(65535, 12, 31, 23, 59, 59, 999) - DateTime(0, 1, 1)).GetTotalMilliseconds(),
            (23242572LL + 693959) * kDay + kDay - 1);

  // Moving and differencing agree with the millisecond count, also across
  // day 0 where the double form's fraction changes direction.
  std::mt19937_64 rng(11);
  std::uniform_int_distribution<long long> ms(-5000LL * kDay, 200000LL * kDay);
  std::uniform_int_distribution<long long> span(-3000LL * kDay, 3000LL * kDay);
  for (int i = 0; i < 100000; ++i) {
    const DateTime a(DateTime::MillisecondsToDATE(ms(rng)));
    const long long s = span(rng);
    const DateTime b = a + TimeSpan(s);
    ASSERT_EQ(DateTime::ToMilliseconds(b), DateTime::ToMilliseconds(a) + s) << Show(a) << " + " << s;
    ASSERT_EQ((b - a).GetTotalMilliseconds(), s);
    ASSERT_EQ(b - TimeSpan(s), a);
  }
}

// A clock that only runs Monday to Friday: business milliseconds since
// Monday 1900-01-01 (day 2) of a weekday value, and back.
long long FloorDiv(long long a, long long b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

long long Business(DateTime const& v) {
  const long long n = DateTime::YMDToDAYS(static_cast<unsigned short>(v.GetYear()), static_cast<short>(v.GetMonth()),
                                          static_cast<short>(v.GetDay()));
  const long long monday = n - (v.GetDayOfWeek() - 1);
  const long long week = FloorDiv(monday - 2, 7);
  return week * 5 * kDay + (v.GetDayOfWeek() - 1) * kDay + DateTime::ToMilliseconds(v) - n * kDay;
}

DateTime FromBusiness(long long b) {
  const long long week = FloorDiv(b, 5 * kDay);
  const long long rest = b - week * 5 * kDay;
  return DateTime(0.0) + TimeSpan((2 + 7 * week + rest / kDay) * kDay + rest % kDay);
}

TEST(BusinessTime, DocumentedCases) {
  auto add = [](DateTime const& d, long long s) { return Show(d.Add(TimeSpan(s))); };
  auto minus = [](DateTime const& d, long long s) { return Show(d.Minus(TimeSpan(s))); };
  EXPECT_EQ(add(DateTime(2024, 6, 14, 10), kDay), "2024-06-17 10:00:00.000");      // Friday
  EXPECT_EQ(add(DateTime(2024, 6, 15, 10), kDay), "2024-06-18 10:00:00.000");      // Saturday
  EXPECT_EQ(add(DateTime(2024, 6, 16, 10), kDay), "2024-06-18 10:00:00.000");      // Sunday
  EXPECT_EQ(add(DateTime(2024, 6, 12, 10), 5 * kDay), "2024-06-19 10:00:00.000");  // Wednesday
  EXPECT_EQ(add(DateTime(2024, 6, 14, 23, 30), 3600000), "2024-06-17 00:30:00.000");
  EXPECT_EQ(add(DateTime(2024, 6, 14, 10), 14 * 3600000), "2024-06-17 00:00:00.000");
  EXPECT_EQ(minus(DateTime(2024, 6, 17, 10), kDay), "2024-06-14 10:00:00.000");  // Monday
  EXPECT_EQ(minus(DateTime(2024, 6, 16, 10), kDay), "2024-06-14 10:00:00.000");  // Sunday
  EXPECT_EQ(minus(DateTime(2024, 6, 17, 0), 1), "2024-06-14 23:59:59.999");

  auto span = [](DateTime const& a, DateTime const& b) { return a.Span(b).GetTotalMilliseconds(); };
  EXPECT_EQ(span(DateTime(2024, 6, 17, 10), DateTime(2024, 6, 14, 10)), kDay);
  EXPECT_EQ(span(DateTime(2024, 6, 19, 10), DateTime(2024, 6, 15, 10)), 2 * kDay);
  EXPECT_EQ(span(DateTime(2024, 6, 21, 10), DateTime(2024, 6, 15, 10)), 4 * kDay);
  EXPECT_EQ(span(DateTime(2024, 6, 28, 10), DateTime(2024, 6, 14, 10)), 10 * kDay);
  EXPECT_EQ(span(DateTime(2024, 6, 17, 0), DateTime(2024, 6, 14, 23)), 3600000);
  EXPECT_EQ(span(DateTime(2024, 6, 14, 10), DateTime(2024, 6, 14, 10)), 0);

  // Results are fresh values; the operand's cache is filled once and kept.
  const DateTime withBias(2024, 6, 12, 10, 0, 0, 0, 60, 0);
  const DateTime r = withBias.Add(TimeSpan(kDay));
  EXPECT_EQ(r.GetBias(), 0);
  EXPECT_EQ(withBias.GetBias(), 60);
  // Absurd spans land on the ends of the calendar instead of overflowing.
  EXPECT_EQ(Show(withBias.Add(TimeSpan(LLONG_MAX))).substr(0, 11), "65535-12-30");
  EXPECT_EQ(Show(withBias.Add(TimeSpan(LLONG_MIN))).substr(0, 10), "0001-01-01");
  EXPECT_EQ(Show(withBias.Minus(TimeSpan(LLONG_MAX))).substr(0, 10), "0001-01-01");
  EXPECT_EQ(Show(withBias.Minus(TimeSpan(LLONG_MIN))).substr(0, 11), "65535-12-30");
}

TEST(BusinessTime, AddAndMinusFollowAWeekdayClock) {
  std::mt19937_64 rng(3);
  std::uniform_int_distribution<long long> start(-700000LL * kDay, 2900000LL * kDay);
  std::uniform_int_distribution<long long> small(0, 3 * kDay);
  std::uniform_int_distribution<long long> large(0, 400 * kDay);
  for (int i = 0; i < 200000; ++i) {
    const DateTime v(DateTime::MillisecondsToDATE(start(rng)));
    const long long s = (i % 3 == 0) ? large(rng) : (i % 3 == 1) ? small(rng) : small(rng) / kDay * kDay;
    const int dow = v.GetDayOfWeek();
    if (dow == 0 || dow == 6) {
      // A weekend counts as the following Monday at the same time of day.
      const DateTime monday = v + TimeSpan((dow == 6 ? 2 : 1) * kDay);
      ASSERT_EQ(v.Add(TimeSpan(s)), monday.Add(TimeSpan(s))) << Show(v) << " + " << s;
      ASSERT_EQ(v.Minus(TimeSpan(s)), monday.Minus(TimeSpan(s))) << Show(v) << " - " << s;
      continue;
    }
    const DateTime added = v.Add(TimeSpan(s));
    ASSERT_EQ(Show(added), Show(FromBusiness(Business(v) + s))) << Show(v) << " + " << s;
    const DateTime back = v.Minus(TimeSpan(s));
    ASSERT_EQ(Show(back), Show(FromBusiness(Business(v) - s))) << Show(v) << " - " << s;
    // Within one week, and unless both ends fall on the same weekday (where
    // the formula cannot tell whether a weekend lies between), the business
    // span is the clock's difference.
    if (s < 5 * kDay && added.GetDayOfWeek() != dow) {
      ASSERT_EQ(added.Span(v).GetTotalMilliseconds(), s) << Show(v) << " + " << s;
    }
  }
}

TEST(RoundToSeconds, HalfUpWithCarry) {
  EXPECT_EQ(Show(DateTime(2023, 12, 31, 23, 59, 59, 500).RoundToSeconds()), "2024-01-01 00:00:00.000");
  EXPECT_EQ(Show(DateTime(2024, 2, 28, 23, 59, 59, 499).RoundToSeconds()), "2024-02-28 23:59:59.000");
  EXPECT_EQ(Show(DateTime(2024, 2, 28, 23, 59, 59, 500).RoundToSeconds()), "2024-02-29 00:00:00.000");
  EXPECT_EQ(Show(DateTime(2023, 2, 28, 23, 59, 59, 999).RoundToSeconds()), "2023-03-01 00:00:00.000");
  EXPECT_EQ(Show(DateTime(2024, 6, 15, 10, 59, 59, 700).RoundToSeconds()), "2024-06-15 11:00:00.000");
  EXPECT_EQ(Show(DateTime(2024, 6, 15, 10, 20, 30, 0).RoundToSeconds()), "2024-06-15 10:20:30.000");

  // Biases survive rounding (unlike a move); a carried value has no cache.
  const DateTime b(2024, 6, 30, 23, 59, 59, 600, 60, 60);
  b.GetWeek();
  const DateTime r = b.RoundToSeconds();
  EXPECT_EQ(r.GetBias(), 60);
  EXPECT_EQ(r.GetDaylightBias(), 60);
  EXPECT_EQ(r.GetDayOfWeek(), 1);
  EXPECT_EQ(r.GetWeek(), 1);

  std::mt19937_64 rng(5);
  std::uniform_int_distribution<long long> ms(0, 2958465LL * kDay);
  for (int i = 0; i < 100000; ++i) {
    const long long t = ms(rng);
    const DateTime v(DateTime::MillisecondsToDATE(t));
    ASSERT_EQ(Show(v.RoundToSeconds()), Show(DateTime(DateTime::MillisecondsToDATE((t + 500) / 1000 * 1000))))
        << Show(v);
  }
}

}  // namespace
}  // namespace QDataType
