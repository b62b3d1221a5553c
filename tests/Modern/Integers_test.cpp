// 64-bit integers in and numbers out: every standard integer type converts
// without ambiguity to the value printf prints; ToInt64 reads back exact
// integers only; ToDouble is the double strtod makes of the exact text.
#include <gtest/gtest.h>

#include <cinttypes>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "DataType/Decimal/BigDecimal.h"
#include "DataType/Variant/Variant.h"

using namespace QDataType;

namespace {

std::string Text(BigDecimal const& d) { return d.ToString().GetString(); }

template <class I>
std::string Printed(I v) {
  char text[32];
  if (std::is_signed<I>::value) {
    std::snprintf(text, sizeof text, "%lld", static_cast<long long>(v));
  } else {
    std::snprintf(text, sizeof text, "%llu", static_cast<unsigned long long>(v));
  }
  return text;
}

template <class I>
void ExpectLimits() {
  for (I v : {std::numeric_limits<I>::min(), std::numeric_limits<I>::max(), I(0), I(1),
              I(std::numeric_limits<I>::max() / 3)}) {
    QBase::Arena arena;
    EXPECT_EQ(Text(BigDecimal(v, nullptr)), Printed(v));
    EXPECT_EQ(Text(BigDecimal(v, &arena)), Printed(v));
    EXPECT_TRUE(BigDecimal(v, nullptr) == BigDecimal(Printed(v).c_str(), nullptr));
  }
}

}  // namespace

TEST(Integers, EveryIntegerTypeMakesItsExactDecimal) {
  ExpectLimits<signed char>();
  ExpectLimits<unsigned char>();
  ExpectLimits<short>();
  ExpectLimits<unsigned short>();
  ExpectLimits<int>();
  ExpectLimits<unsigned>();
  ExpectLimits<long>();
  ExpectLimits<unsigned long>();
  ExpectLimits<long long>();
  ExpectLimits<unsigned long long>();
  ExpectLimits<int64_t>();
  ExpectLimits<uint64_t>();
  ExpectLimits<size_t>();
  // Around the one-limb boundary (10^18).
  for (long long v : {999999999999999999LL, 1000000000000000000LL, -1000000000000000001LL}) {
    EXPECT_EQ(Text(BigDecimal(v, nullptr)), Printed(v));
  }
  // Zero without a Buffer keeps its one '0', as the int constructor does.
  EXPECT_EQ(BigDecimal(0LL, nullptr).Precision(), BigDecimal(0, nullptr).Precision());
}

TEST(Integers, ToInt64TakesExactIntegersInRange) {
  struct Case {
    char const* text;
    bool ok;
    long long value;
  } const cases[] = {{"5", true, 5},
                     {"5.000", true, 5},
                     {"-0.00", true, 0},
                     {"1e3", true, 1000},
                     {"2.5e1", true, 25},
                     {"9223372036854775807", true, LLONG_MAX},
                     {"9223372036854775807.0", true, LLONG_MAX},
                     {"9223372036854775808", false, 0},
                     {"-9223372036854775808", true, LLONG_MIN},
                     {"-9223372036854775809", false, 0},
                     {"18446744073709551616", false, 0},
                     {"12345678901234567890e-1", true, 1234567890123456789LL},
                     {"0.5", false, 0},
                     {"-7.0000001", false, 0},
                     {"1e19", false, 0},
                     {"000000000000000000000042", true, 42},
                     {"x", false, 0}};
  for (Case const& c : cases) {
    long long out = -99;
    EXPECT_EQ(BigDecimal(c.text, nullptr).ToInt64(out), c.ok) << c.text;
    EXPECT_EQ(out, c.ok ? c.value : -99) << c.text;
  }
  long long out = -99;
  EXPECT_FALSE(BigDecimal().ToInt64(out));
  std::mt19937_64 rng(5);
  for (int i = 0; i < 2000; ++i) {
    long long const v = static_cast<long long>(rng());
    ASSERT_TRUE(BigDecimal(v, nullptr).ToInt64(out));
    ASSERT_EQ(out, v);
  }
}

TEST(Integers, ToDoubleIsStrtodOfTheExactText) {
  std::setlocale(LC_NUMERIC, "C");
  std::string const zeros900(900, '0');
  std::string const texts[] = {"0", "-0.000", "1", "0.1", "-2.5", "9007199254740993",
                               "9007199254740993." + zeros900 + "1", "9007199254740993." + zeros900,
                               "1.7976931348623157e308", "1.7976931348623159e308",
                               "1e-400", "-1e400", "4.9e-324", "2.4703282292062328e-324",
                               "2.4703282292062327e-324", "123456789012345678901234567890e-25", "0.000001"};
  for (std::string const& text : texts) {
    double const expected = std::strtod(text.c_str(), nullptr);
    double const got = BigDecimal(text.c_str(), nullptr).ToDouble();
    EXPECT_EQ(std::signbit(got), std::signbit(expected) && expected != 0.0) << text;
    EXPECT_EQ(got, expected) << text;
  }
  // Random digit strings of up to 1,200 digits with the point anywhere and
  // an exponent: rounding at any depth, halfway cases decided by a far digit.
  std::mt19937 rng(17);
  std::uniform_int_distribution<int> digit(0, 9), length(1, 1200), exponent(-340, 320);
  for (int i = 0; i < 3000; ++i) {
    std::string s(static_cast<size_t>(length(rng)), '0');
    for (char& c : s) c = static_cast<char>('0' + digit(rng));
    if (i % 3 == 0 && s.size() > 20) {  // a halfway pattern: ...5000...0 then maybe a 1 far away
      std::fill(s.begin() + 17, s.end(), '0');
      s[16] = '5';
      if (i % 2 == 0) s.back() = '1';
    }
    s.insert(static_cast<size_t>(rng() % (s.size() + 1)), ".");
    if (rng() % 2 == 0) s = "-" + s;
    s += "e" + std::to_string(exponent(rng) - static_cast<int>(s.size() / 2));
    double const expected = std::strtod(s.c_str(), nullptr);
    ASSERT_EQ(BigDecimal(s.c_str(), nullptr).ToDouble(), expected) << s;
  }
  EXPECT_TRUE(std::isnan(BigDecimal().ToDouble()));
  EXPECT_TRUE(std::isnan(BigDecimal("1..2", nullptr).ToDouble()));
}

TEST(Integers, VariantTakesEvery64BitType) {
  Variant a(int64_t{5}, nullptr), b(uint64_t{7}, nullptr), c(size_t{9}, nullptr), d(5L, nullptr);
  EXPECT_EQ(a.GetVarType(), Variant::VAR_INT64);
  EXPECT_EQ(b.GetVarType(), Variant::VAR_INT64);
  EXPECT_EQ(c.GetVarType(), Variant::VAR_INT64);
  EXPECT_TRUE(a == 5L);
  EXPECT_TRUE(a == uint64_t{5});
  EXPECT_TRUE(a != 3L);
  EXPECT_FALSE(a != int64_t{5});
  EXPECT_TRUE(d == a);
  Variant const big(UINT64_MAX, nullptr);  // keeps its 64 bits: -1 as long long
  EXPECT_EQ(static_cast<long long>(big), -1);
  EXPECT_TRUE(big == UINT64_MAX);
  EXPECT_TRUE(big == -1LL);
  Variant e;
  e = int64_t{-3};
  EXPECT_EQ(e.GetVarType(), Variant::VAR_INT64);
  EXPECT_TRUE(e == -3);
  e = uint64_t{1} << 40;
  EXPECT_EQ(static_cast<long long>(e), 1LL << 40);
  e = 4UL;
  EXPECT_STREQ(e.ToString().GetString(), "4");
  // The 32-bit types keep their kinds.
  EXPECT_EQ(Variant(3, nullptr).GetVarType(), Variant::VAR_INT);
  EXPECT_EQ(Variant(3u, nullptr).GetVarType(), Variant::VAR_UNSIGNED);
  EXPECT_EQ(Variant(short{3}, nullptr).GetVarType(), Variant::VAR_SHORT);
  EXPECT_EQ(Variant('a', nullptr).GetVarType(), Variant::VAR_INT);
}
