// Regular values: BigDecimal moves, swaps and compares six ways, reads
// through const objects; Variant reads through const objects and has !=;
// DynamicTime compares its fields. What the write-once rule lets the
// standard library do is checked as the header states it.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "DataType/Decimal/BigDecimal.h"
#include "DataType/DynamicTime/DynamicTime.h"
#include "DataType/Variant/Variant.h"

using namespace QDataType;

static_assert(std::is_nothrow_move_constructible<BigDecimal>::value, "noexcept move");
static_assert(std::is_nothrow_swappable<BigDecimal>::value, "noexcept swap");

namespace {

std::string Text(BigDecimal const& d) { return d.ToString().GetString(); }

}  // namespace

TEST(Regular, BigDecimalMovesLeaveTheSourceEmpty) {
  QBase::Arena arena;
  std::string const longText = "-" + std::string(200, '7') + ".25";
  for (char const* text : {"1.50", "0", "123456789012345678901234567890", "x", longText.c_str()}) {
    for (QBase::Buffer* buffer : {static_cast<QBase::Buffer*>(nullptr), static_cast<QBase::Buffer*>(&arena)}) {
      BigDecimal source(text, buffer);
      BigDecimal const copy(source, nullptr);
      BigDecimal moved(std::move(source));
      EXPECT_EQ(source.Scale(), -1) << text;  // NOLINT: a moved-from value is empty
      EXPECT_EQ(moved.Scale(), copy.Scale()) << text;
      if (!copy.IsInvalid()) {
        EXPECT_EQ(Text(moved), Text(copy));
      }
      source = copy;  // an empty object accepts one assignment
      if (!copy.IsInvalid()) {
        EXPECT_EQ(Text(source), Text(copy));
      }
    }
  }
}

TEST(Regular, ResultsMovedOutOfTheirBlockOutliveIt) {
  // Arithmetic results keep their digits in the block of the result object;
  // a value moved out must stay readable after that object is deleted.
  BigDecimal const a(("9" + std::string(100, '1')).c_str(), nullptr), b("3.5", nullptr);
  std::vector<BigDecimal> kept;
  for (int i = 0; i < 50; ++i) {
    BigDecimal::Ptr product = a * b;
    std::string const expected = Text(*product);
    kept.emplace_back(std::move(*product));
    product.reset();
    ASSERT_EQ(Text(kept.back()), expected);
  }
  BigDecimal::Ptr sum = a + b;
  BigDecimal other("1", nullptr);
  swap(*sum, other);  // the block's digits now belong to `other`
  sum.reset();
  EXPECT_EQ(Text(other), "9" + std::string(99, '1') + "4.5");
}

TEST(Regular, VectorsGrowByMovingAndSortingPermutesPointers) {
  std::vector<BigDecimal> values;
  std::mt19937 rng(3);
  std::vector<long long> numbers;
  for (int i = 0; i < 1000; ++i) {
    numbers.push_back(static_cast<long long>(rng() % 100000) - 50000);
    values.emplace_back(numbers.back(), nullptr);  // reallocations move
  }
  for (size_t i = 0; i < values.size(); ++i) ASSERT_EQ(Text(values[i]), std::to_string(numbers[i]));
  // Sorting the values themselves assigns to elements that hold values.
  std::vector<BigDecimal> copy;
  for (BigDecimal const& v : values) copy.emplace_back(v);
  EXPECT_THROW(std::sort(copy.begin(), copy.end()), BigDecimalException);
  // Sorting pointers works, and agrees with sorting the numbers.
  std::vector<BigDecimal const*> order;
  for (BigDecimal const& v : values) order.push_back(&v);
  std::sort(order.begin(), order.end(), [](BigDecimal const* x, BigDecimal const* y) { return *x < *y; });
  std::sort(numbers.begin(), numbers.end());
  for (size_t i = 0; i < order.size(); ++i) ASSERT_EQ(Text(*order[i]), std::to_string(numbers[i]));
  // Node containers never assign.
  std::map<BigDecimal, int, std::less<>> map;
  for (int i = 0; i < 100; ++i) map.emplace(BigDecimal(i % 10, nullptr), i);
  EXPECT_EQ(map.size(), 10u);
}

TEST(Regular, SixComparisonsAgreeWithTheNumbers) {
  char const* const texts[] = {"-2", "-1.50", "-1.5", "0", "0.000", "0.1", "1", "1.0", "1e1", "10.01"};
  double const values[] = {-2, -1.5, -1.5, 0, 0, 0.1, 1, 1, 10, 10.01};
  for (int i = 0; i < 10; ++i) {
    for (int j = 0; j < 10; ++j) {
      BigDecimal const a(texts[i], nullptr), b(texts[j], nullptr);
      EXPECT_EQ(a == b, values[i] == values[j]);
      EXPECT_EQ(a != b, values[i] != values[j]);
      EXPECT_EQ(a < b, values[i] < values[j]);
      EXPECT_EQ(a <= b, values[i] <= values[j]);
      EXPECT_EQ(a > b, values[i] > values[j]);
      EXPECT_EQ(a >= b, values[i] >= values[j]);
    }
  }
  EXPECT_THROW((void)(BigDecimal() <= BigDecimal(1, nullptr)), BigDecimalException);
}

TEST(Regular, ConstDecimalsComputeAndPrint) {
  BigDecimal const a("7.25", nullptr), b("-2", nullptr);
  EXPECT_EQ(Text(*(a + b)), "5.25");
  EXPECT_EQ(Text(*(a - b)), "9.25");
  EXPECT_EQ(Text(*(a * b)), "-14.50");
  EXPECT_EQ(Text(*(a / b)), "-3.62");
  EXPECT_EQ(Text(*a.Divide(b, 4)), "-3.6250");
  EXPECT_EQ(a.GetIntegerDigits().View(), "7");
  EXPECT_EQ(a.GetFractionDigits().View(), "25");
  EXPECT_EQ(a.ToWString().GetLength(), 4u);
  EXPECT_EQ(a.ToWString(0x0407).View(), QBase::WString({'7', ',', '2', '5'}));
  EXPECT_EQ(a.MantissaToWString().GetLength(), 0u);
  EXPECT_THROW(BigDecimal().ToString(), BigDecimalException);
}

TEST(Regular, ConstVariantsReadAndCompare) {
  Variant const date(DateTime(2024, 1, 2), nullptr), number(3.5, nullptr), text("abc", nullptr);
  EXPECT_EQ(date.GetVarType(), Variant::VAR_DATETIME);
  DateTime const d = date;
  EXPECT_EQ(d, DateTime(2024, 1, 2));
  EXPECT_EQ(number.ToString().View(), "3.500000000000000");
  EXPECT_EQ(number.ToStringVBBehavior().View(), "3.5");
  EXPECT_EQ(text.ToWString().GetLength(), 3u);
  EXPECT_TRUE(Variant(3, nullptr) < number);
  EXPECT_FALSE(number < Variant(3, nullptr));
  EXPECT_TRUE(number != 3.0);
  EXPECT_FALSE(number != 3.5);
  EXPECT_TRUE(text != "abd");
  EXPECT_TRUE(text != number);
  EXPECT_FALSE(text != Variant("abc", nullptr));
  CellFmtData cell;
  cell.PutValue(2.0);
  Variant const held(cell, nullptr);
  CellFmtData const out = held;
  EXPECT_EQ(out, cell);
  EXPECT_THROW([&] {
    CellFmtData const c = number;
    return c;
  }(), VariantException);
  std::vector<Variant> sorted{Variant(3, nullptr), Variant(1.5, nullptr), Variant(2LL, nullptr)};
  std::sort(sorted.begin(), sorted.end());
  EXPECT_TRUE(sorted[0] == 1.5 && sorted[1] == 2 && sorted[2] == 3);
}

TEST(Regular, DynamicTimesCompareEveryField) {
  DynamicTime const base(DT_NONE, 3);
  EXPECT_TRUE(base == DynamicTime(base));
  EXPECT_FALSE(base != DynamicTime(base));
  auto differs = [&](auto change) {
    DynamicTime other(base);
    change(other);
    return other != base && !(other == base);
  };
  EXPECT_TRUE(differs([](DynamicTime& t) { t.PutDynamicDayOffset(4); }));
  EXPECT_TRUE(differs([](DynamicTime& t) { t.PutDynamicMonthOffset(1); }));
  EXPECT_TRUE(differs([](DynamicTime& t) { t.PutDynamicTime(static_cast<DYNAMIC_TIME>(1)); }));
  EXPECT_TRUE(differs([](DynamicTime& t) { t.PutYear(1); }));
  EXPECT_TRUE(differs([](DynamicTime& t) { t.PutMonth(1); }));
  EXPECT_TRUE(differs([](DynamicTime& t) { t.PutDay(1); }));
  EXPECT_TRUE(differs([](DynamicTime& t) { t.PutHour(1); }));
  EXPECT_TRUE(differs([](DynamicTime& t) { t.PutMinute(1); }));
  EXPECT_TRUE(differs([](DynamicTime& t) { t.PutSecond(1); }));
  EXPECT_TRUE(differs([](DynamicTime& t) { t.PutWeek(1); }));
  EXPECT_TRUE(differs([](DynamicTime& t) { t.PutDayOfWeek(2); }));
}
