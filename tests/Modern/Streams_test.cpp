// operator<< of the value types, and the {fmt} formatters when {fmt} is
// there: each prints the text form its type names, and never throws for a
// value without one.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "DataType/Format.h"

using namespace QDataType;

namespace {

template <class T>
std::string Streamed(T const& value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

}  // namespace

TEST(Streams, EachTypePrintsItsTextForm) {
  DateTime const d(2024, 6, 5, 7, 8, 9, 45);
  EXPECT_EQ(Streamed(d), "2024-06-05 07:08:09.045");
  EXPECT_EQ(Streamed(DateTime(65535, 1, 2)), "65535-01-02 00:00:00.000");
  EXPECT_EQ(Streamed(TimeSpan(1500)), "1500ms");
  EXPECT_EQ(Streamed(TimeSpan(-2)), "-2ms");
  EXPECT_EQ(Streamed(BigDecimal("-12.340", nullptr)), "-12.340");
  EXPECT_EQ(Streamed(BigDecimal("007", nullptr)), "007");
  EXPECT_EQ(Streamed(BigDecimal()), "(empty)");
  EXPECT_EQ(Streamed(BigDecimal("1.2.3", nullptr)), "(invalid)");
  EXPECT_EQ(Streamed(Variant(42, nullptr)), "42");
  EXPECT_EQ(Streamed(Variant("na\xC3\xAFve", nullptr)), "na\xC3\xAFve");
  EXPECT_EQ(Streamed(Variant(d, nullptr)), "2024-06-05 07:08:09.045");
  EXPECT_EQ(Streamed(Variant()), "");
  EXPECT_EQ(Streamed(Variant(static_cast<Binary const*>(nullptr), nullptr)), "");
  EXPECT_EQ(Streamed(Variant(BigDecimal("x", nullptr), nullptr)), "(invalid)");
  EXPECT_EQ(Streamed(Variant(BigDecimal("2.50", nullptr), nullptr)), "2.50");
  // Stream state is respected: width applies to the whole text.
  std::ostringstream out;
  out << "[" << TimeSpan(5) << "|" << BigDecimal(5, nullptr) << "]";
  EXPECT_EQ(out.str(), "[5ms|5]");
}

#if QDT_HAVE_FMT
TEST(Streams, FmtFormatsTheSameTextWithStringSpecs) {
  DateTime const d(2024, 6, 5, 7, 8, 9, 45);
  EXPECT_EQ(fmt::format("{}", d), "2024-06-05 07:08:09.045");
  EXPECT_EQ(fmt::format("{:>25}", d), "  2024-06-05 07:08:09.045");
  EXPECT_EQ(fmt::format("{:*<8}", TimeSpan(15)), "15ms****");
  EXPECT_EQ(fmt::format("{:^9}", BigDecimal("1.50", nullptr)), "  1.50   ");
  EXPECT_EQ(fmt::format("{}", BigDecimal()), "(empty)");
  EXPECT_EQ(fmt::format("{} {}", Variant(7, nullptr), Variant("x", nullptr)), "7 x");
  EXPECT_EQ(fmt::format("{:.4}", d), "2024");
}
#endif
