// std::hash of the value types, through unordered containers of many
// values: equal values (as operator== sees them) land on one element,
// distinct ones stay distinct, and the hashes spread.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "DataType/Calendar/DateTime.h"
#include "DataType/CellFormat/CellFmtData.h"
#include "DataType/Decimal/BigDecimal.h"

using namespace QDataType;

namespace {

template <class T>
size_t DistinctHashes(std::unordered_set<T> const& set) {
  std::set<size_t> hashes;
  for (T const& v : set) hashes.insert(std::hash<T>()(v));
  return hashes.size();
}

}  // namespace

TEST(Hash, DateTimesByTheirSevenFields) {
  std::unordered_set<DateTime> set;
  std::mt19937 rng(1);
  std::uniform_int_distribution<long long> ms(-50000000000000LL, 200000000000000LL);
  std::set<long long> counts;
  for (int i = 0; i < 20000; ++i) {
    long long const t = ms(rng);
    counts.insert(t);
    set.insert(DateTime(0.0) + TimeSpan(t));
  }
  EXPECT_EQ(set.size(), counts.size());
  EXPECT_GE(DistinctHashes(set), set.size() - 2);
  // The biases take no part: a value read in another zone is the same key.
  DateTime const withBias(2024, 6, 5, 7, 8, 9, 45, 120, 60);
  set.insert(DateTime(2024, 6, 5, 7, 8, 9, 45));
  EXPECT_EQ(set.count(withBias), 1u);
  EXPECT_EQ(std::hash<DateTime>()(withBias), std::hash<DateTime>()(DateTime(2024, 6, 5, 7, 8, 9, 45)));
}

TEST(Hash, TimeSpansByTheirCount) {
  std::unordered_map<TimeSpan, int> map;
  for (int i = -5000; i < 5000; ++i) map[TimeSpan(i * 7919LL)] = i;
  EXPECT_EQ(map.size(), 10000u);
  EXPECT_EQ(map.at(TimeSpan(0, 0, 0, 0, 7919 * 3)), 3);
}

TEST(Hash, DecimalsOfEveryScaleThatAreEqualHashEqual) {
  // Each quarter from -250 to 250 written with 2 to 5 fraction digits, and
  // as an integer when it is one: 2001 distinct values.
  std::unordered_set<BigDecimal> set;
  int written = 0;
  for (int q = -1000; q <= 1000; ++q) {
    int const whole = q / 4, frac = (q % 4 < 0 ? -(q % 4) : q % 4) * 25;
    char const* sign = q < 0 && whole == 0 ? "-" : "";
    for (int zeros = 0; zeros < 4; ++zeros) {
      char text[64];
      std::snprintf(text, sizeof text, "%s%d.%02d%.*s", sign, whole, frac, zeros, "0000");
      set.emplace(text, nullptr);
      ++written;
    }
    if (frac == 0) set.emplace(std::to_string(whole).c_str(), nullptr);
  }
  EXPECT_EQ(written, 8004);
  EXPECT_EQ(set.size(), 2001u);
  EXPECT_GE(DistinctHashes(set), 1995u);
  // Zeros, exponents and leading zeros.
  std::hash<BigDecimal> const h;
  EXPECT_EQ(h(BigDecimal("0", nullptr)), h(BigDecimal("-0.000", nullptr)));
  EXPECT_EQ(h(BigDecimal("1e40", nullptr)), h(BigDecimal(("1" + std::string(40, '0') + ".00").c_str(), nullptr)));
  EXPECT_EQ(h(BigDecimal("007.50", nullptr)), h(BigDecimal("7.5", nullptr)));
  EXPECT_EQ(h(BigDecimal("2.5e-3", nullptr)), h(BigDecimal("0.0025000", nullptr)));
  EXPECT_EQ(set.count(BigDecimal("-0.250000", nullptr)), 1u);
  EXPECT_EQ(set.count(BigDecimal("250.2", nullptr)), 0u);
  // Empty and invalid values hash without throwing.
  EXPECT_EQ(h(BigDecimal()), h(BigDecimal()));
  EXPECT_EQ(h(BigDecimal("x", nullptr)), h(BigDecimal("y", nullptr)));
}

TEST(Hash, DecimalsOfManyDigitsAndAnArena) {
  QBase::Arena arena;
  std::unordered_set<BigDecimal> set;
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> digit(0, 9);
  for (int i = 0; i < 500; ++i) {
    std::string s(static_cast<size_t>(30 + i), '0');
    for (char& c : s) c = static_cast<char>('0' + digit(rng));
    s[0] = '7';
    s.insert(s.size() / 2, ".");
    set.emplace(s.c_str(), &arena);
    set.emplace((s + "000").c_str(), nullptr);  // the same value, another scale
  }
  EXPECT_EQ(set.size(), 500u);
}

TEST(Hash, CellFmtDataAsOperatorEqualSeesIt) {
  std::unordered_set<CellFmtData> set;
  for (int i = 0; i < 3000; ++i) {
    CellFmtData c;
    c.PutValue(i * 0.5);
    c.PutType(static_cast<EnumCellFmtDataTypes>(i % 3));
    GUID id{};
    id.Data4[7] = static_cast<uint8_t>(i % 5);
    c.PutFmtID(id);
    set.insert(c);
  }
  EXPECT_EQ(set.size(), 3000u);
  CellFmtData zero, negativeZero;
  negativeZero.PutValue(-0.0);
  EXPECT_EQ(zero, negativeZero);
  EXPECT_EQ(std::hash<CellFmtData>()(zero), std::hash<CellFmtData>()(negativeZero));
  CellFmtStruct fmt;
  CellFmtData withStruct;
  withStruct.PutCellFmtStructPtr(&fmt);  // takes no part
  EXPECT_EQ(std::hash<CellFmtData>()(zero), std::hash<CellFmtData>()(withStruct));
}
