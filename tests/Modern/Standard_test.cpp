// One test per modern C++ addition of the public API, each against an
// independent oracle: the C++20 calendar, std::chrono's conversions,
// printf and strtod, std::u16string, the zero-terminated parsers on a copy.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <unordered_set>

#include "DataType/Calendar/Chrono.h"
#include "DataType/DataType.h"

using namespace QDataType;
using namespace std::chrono;

// Every 37th day from 0001-01-01 to 65535-12-31 at a varying time of day,
// against year_month_day; durations against duration_cast, saturating.
TEST(Modern, ChronoAgreesWithTheStandardCalendar) {
  sys_days const first = sys_days{year{1} / January / 1}, last = sys_days{year{65535} / December / 31};
  for (sys_days day = first; day <= last; day += days{37}) {
    year_month_day const ymd{day};
    long long const tod = (day.time_since_epoch().count() * 7919LL) % 86400000LL;
    long long const ms = duration_cast<milliseconds>(day.time_since_epoch()).count() + (tod < 0 ? -tod : tod);
    DateTime const d = FromSysTime(SysMilliseconds(milliseconds(ms)));
    ASSERT_TRUE(d.GetYear() == static_cast<int>(ymd.year()) && d.GetMonth() == static_cast<int>(unsigned{ymd.month()}) &&
                d.GetDay() == static_cast<int>(unsigned{ymd.day()}) && ToSysTime(d).time_since_epoch().count() == ms &&
                d.GetDayOfWeek() == static_cast<int>(weekday{day}.c_encoding()))
        << d.ToString().GetString();
  }
  // Beyond the ends the seconds saturate; the millisecond within the second stays.
  EXPECT_EQ(FromSysTime(SysMilliseconds(milliseconds(LLONG_MAX))), DateTime(65535, 12, 31, 23, 59, 59, LLONG_MAX % 1000));
  DateTime const early = FromSysTime(SysMilliseconds(milliseconds(LLONG_MIN)));
  EXPECT_TRUE(early.GetYear() == 1 && early.GetMonth() == 1 && early.GetDay() == 1);
  EXPECT_EQ(FromSysTime(SysMilliseconds(milliseconds(-1))), DateTime(1969, 12, 31, 23, 59, 59, 999));

  for (nanoseconds n : {nanoseconds(1999999), nanoseconds(-1999999), nanoseconds(LLONG_MIN), nanoseconds(-5400000000000)})
    EXPECT_EQ(TimeSpan(n).GetTotalMilliseconds(), duration_cast<milliseconds>(n).count());
  EXPECT_EQ(TimeSpan(duration<double>(-0.0015)).GetTotalMilliseconds(), -1);  // toward zero, saturating, NaN as 0
  EXPECT_EQ(TimeSpan(duration<int, std::ratio<1, 3>>(10)).GetTotalMilliseconds(), 3333);
  EXPECT_EQ(TimeSpan(seconds(LLONG_MAX)).GetTotalMilliseconds(), LLONG_MAX);
  EXPECT_EQ(TimeSpan(hours(LLONG_MIN / 2)).GetTotalMilliseconds(), LLONG_MIN);
  EXPECT_EQ(TimeSpan(duration<double>(-std::numeric_limits<double>::infinity())).GetTotalMilliseconds(), LLONG_MIN);
  EXPECT_EQ(TimeSpan(duration<double>(std::numeric_limits<double>::quiet_NaN())).GetTotalMilliseconds(), 0);
  EXPECT_EQ(TimeSpan(duration<unsigned long long>(ULLONG_MAX)).GetTotalMilliseconds(), LLONG_MAX);
  for (long long ms : {0LL, -1LL, LLONG_MAX, LLONG_MIN}) EXPECT_EQ(TimeSpan(TimeSpan(ms).ToChrono()), TimeSpan(ms));
  DateTime const d(2024, 2, 28, 23, 0, 0);
  EXPECT_EQ(ToSysTime(d + hours(49)) - ToSysTime(d), hours(49));
  EXPECT_EQ(d - minutes(90), DateTime(2024, 2, 28, 21, 30, 0));
}

// Values equal by operator== hash equal (decimals at every scale, dates
// whatever their biases, cell values of either zero); distinct ones spread.
TEST(Modern, HashesFollowEquality) {
  std::unordered_set<BigDecimal> decimals;
  for (int q = -1000; q <= 1000; ++q) {  // each quarter from -250 to 250, at four scales
    int const whole = q / 4, frac = std::abs(q % 4) * 25;
    for (int zeros = 0; zeros < 4; ++zeros) {
      char text[64];
      std::snprintf(text, sizeof text, "%s%d.%02d%.*s", q < 0 && whole == 0 ? "-" : "", whole, frac, zeros, "0000");
      decimals.emplace(text, nullptr);
    }
  }
  EXPECT_EQ(decimals.size(), 2001u);
  std::unordered_set<size_t> hashes;
  for (BigDecimal const& v : decimals) hashes.insert(std::hash<BigDecimal>()(v));
  EXPECT_GE(hashes.size(), 1995u);
  auto const h = [](char const* text) { return std::hash<BigDecimal>()(BigDecimal(text, nullptr)); };
  EXPECT_TRUE(h("0") == h("-0.000") && h("1e40") == h(("1" + std::string(40, '0') + ".00").c_str()) &&
              h("007.50") == h("7.5") && h("x") == h("y"));  // invalid values hash without throwing

  std::unordered_set<DateTime> dates;
  for (long long i = 0; i < 5000; ++i) dates.insert(DateTime(0.0) + TimeSpan(i * 7919LL * 1000003LL));
  EXPECT_EQ(dates.size(), 5000u);
  EXPECT_EQ(std::hash<DateTime>()(DateTime(2024, 6, 5, 7, 8, 9, 45, 120, 60)),  // biases take no part
            std::hash<DateTime>()(DateTime(2024, 6, 5, 7, 8, 9, 45)));
  CellFmtData zero, negativeZero(-0.0, CellFmtDataTypeDefault, GUID{});
  CellFmtStruct fmt;
  zero.PutCellFmtStructPtr(&fmt);  // takes no part
  EXPECT_EQ(std::hash<CellFmtData>()(zero), std::hash<CellFmtData>()(negativeZero));
}

// Every integer type makes the decimal std::to_string prints; ToInt64 takes exact
// integers in range only; ToDouble is the double strtod makes of the text.
TEST(Modern, SixtyFourBitIntegersAndDoubles) {
  auto check = [](auto zero) {
    using I = decltype(zero);
    for (I v : {std::numeric_limits<I>::min(), std::numeric_limits<I>::max(), I(0), I(std::numeric_limits<I>::max() / 3)}) {
      QBase::Arena arena;
      EXPECT_EQ(BigDecimal(v, nullptr).ToString().View(), std::to_string(v));
      EXPECT_EQ(BigDecimal(v, &arena).ToString().View(), std::to_string(v));
    }
  };
  check(static_cast<signed char>(0)), check(static_cast<unsigned char>(0)), check(short{0});
  check(static_cast<unsigned short>(0)), check(0), check(0u), check(0l), check(0ul), check(0ll), check(0ull);
  std::pair<char const*, long long> const exact[] = {
      {"5.000", 5}, {"-0.00", 0}, {"2.5e1", 25}, {"9223372036854775807.0", LLONG_MAX}, {"-9223372036854775808", LLONG_MIN},
      {"12345678901234567890e-1", 1234567890123456789LL}, {"9223372036854775808", -99}, {"-9223372036854775809", -99},
      {"0.5", -99}, {"1e19", -99}, {"x", -99}};  // -99: refused, out unchanged
  for (auto const& [text, value] : exact) {
    long long out = -99;
    EXPECT_TRUE(BigDecimal(text, nullptr).ToInt64(out) == (value != -99) && out == value) << text;
  }
  // Random digit strings of up to 1,200 digits with the point anywhere and
  // an exponent; halfway patterns decided by a far digit.
  std::mt19937 rng(17);
  std::uniform_int_distribution<int> digit(0, 9), length(1, 1200), exponent(-340, 320);
  for (int i = 0; i < 2000; ++i) {
    std::string s(static_cast<size_t>(length(rng)), '0');
    for (char& c : s) c = static_cast<char>('0' + digit(rng));
    if (i % 3 == 0 && s.size() > 20) {
      std::fill(s.begin() + 17, s.end(), '0');
      s[16] = '5';
      if (i % 2 == 0) s.back() = '1';
    }
    s.insert(static_cast<size_t>(rng() % (s.size() + 1)), ".");
    if (rng() % 2 == 0) s = "-" + s;
    s += "e" + std::to_string(exponent(rng) - static_cast<int>(s.size() / 2));
    ASSERT_EQ(BigDecimal(s.c_str(), nullptr).ToDouble(), std::strtod(s.c_str(), nullptr)) << s;
  }
  EXPECT_TRUE(std::isnan(BigDecimal().ToDouble()));
  Variant const big(UINT64_MAX, nullptr), signedOne(int64_t{5}, nullptr);
  EXPECT_TRUE(big.GetVarType() == Variant::VAR_INT64 && static_cast<long long>(big) == -1 && big == UINT64_MAX);
  EXPECT_TRUE(signedOne == 5L && signedOne == uint64_t{5} && Variant(size_t{9}, nullptr) == 9);
}
