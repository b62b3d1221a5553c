// Decimal separators: Windows locale identifiers for ToWString(lcid), and the
// C locale for BigDecimal(double).
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <string>

#include "DataType/Decimal/BigDecimal.h"

namespace {

using QDataType::BigDecimal;

std::u16string Wide(QBase::ReturnWString const& w) { return std::u16string(w.GetString(), w.GetString() + w.GetLength()); }

TEST(BigDecimalLocale, SeparatorOfAWindowsLocale) {
  // en-US, de-DE, fr-FR, pt-BR, en-GB, de-DE with a sort order, ar-SA; unknown ones: no separator.
  std::pair<unsigned long, char16_t const*> const cases[] = {
      {0x0409, u"1234.5"}, {0x0407, u"1234,5"}, {0x040C, u"1234,5"}, {0x0416, u"1234,5"}, {0x0809, u"1234.5"},
      {0x10407, u"1234,5"}, {0x0401, u"1234.5"}, {0x1234, u"1234"}, {0xFFFFFFFF, u"1234"}, {0x100000409, u"1234"}};
  BigDecimal const v("1234.5", nullptr);
  for (auto const& [lcid, text] : cases) EXPECT_EQ(Wide(v.ToWString(lcid)), text) << std::hex << lcid;
  unsigned short const userDefault = v.ToWString(0x0400ul).GetString()[4];
  EXPECT_TRUE(userDefault == '.' || userDefault == ',');
  std::pair<char const*, char16_t const*> const values[] = {
      {"1234", u"1234"}, {"-0.25", u"-0,25"}, {"007.50", u"007,50"}, {"-0.00", u"0"}, {"0.05", u"0,05"}};
  for (auto const& [value, text] : values) EXPECT_EQ(Wide(BigDecimal(value, nullptr).ToWString(0x0407ul)), text) << value;
  EXPECT_EQ(Wide(BigDecimal("-0.25", nullptr).ToWString(0x1234ul)), u"-0");
  EXPECT_EQ(Wide(BigDecimal("1", nullptr).Divide(BigDecimal("8", nullptr), 5)->ToWString(0x040Cul)), u"0,12500");
}

// The comma locales must exist (scripts/install-deps.sh generates them); a
// missing locale is a failure, not a skip.
TEST(BigDecimalLocale, DoubleInACommaLocale) {
  for (char const* name : {"de_DE.UTF-8", "fr_FR.UTF-8"}) {
    ASSERT_NE(std::setlocale(LC_ALL, name), nullptr) << name;
    char printed[64];
    std::snprintf(printed, sizeof printed, "%f", 2.5);
    BigDecimal const a(-1234.5, nullptr), c(1e-7, nullptr), text("2,5", nullptr);
    std::setlocale(LC_ALL, "C");
    ASSERT_EQ(std::string(printed), "2,500000");  // the runtime really writes a comma
    EXPECT_TRUE(std::string(a.ToString().GetString()) == "-1234.500000" && a.Scale() == 6) << name;
    EXPECT_EQ(Wide(a.ToWString(0x0407ul)), u"-1234,500000");
    EXPECT_TRUE(c.Signum() == 0 && text.IsInvalid());  // text is always read with '.'
  }
}

}  // namespace
