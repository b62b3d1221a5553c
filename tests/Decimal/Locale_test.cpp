// Decimal separators: Windows locale identifiers for ToWString(lcid), and the
// C locale for BigDecimal(double).
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <string>

#include "DataType/Decimal/BigDecimal.h"

namespace {

using QDataType::BigDecimal;

std::u16string Wide(QBase::ReturnWString const& w) {
  return std::u16string(w.GetString(), w.GetString() + w.GetLength());
}

// Sets the C locale for its lifetime and puts "C" back afterwards.
class ScopedCLocale {
 public:
  explicit ScopedCLocale(char const* name) : ok_(std::setlocale(LC_ALL, name) != nullptr) {}
  ~ScopedCLocale() { std::setlocale(LC_ALL, "C"); }
  bool ok() const { return ok_; }

 private:
  bool ok_;
};

TEST(BigDecimalLocale, SeparatorOfAWindowsLocale) {
  BigDecimal v("1234.5", nullptr);
  EXPECT_EQ(Wide(v.ToWString(0x0409ul)), u"1234.5");  // en-US
  EXPECT_EQ(Wide(v.ToWString(0x0407ul)), u"1234,5");  // de-DE: no grouping
  EXPECT_EQ(Wide(v.ToWString(0x040Cul)), u"1234,5");  // fr-FR
  EXPECT_EQ(Wide(v.ToWString(0x0416ul)), u"1234,5");  // pt-BR
  EXPECT_EQ(Wide(v.ToWString(0x0809ul)), u"1234.5");  // en-GB
  EXPECT_EQ(Wide(v.ToWString(0x10407ul)), u"1234,5");  // de-DE with a sort order
  // Arabic (Saudi Arabia) prints Latin digits here, with the Latin separator.
  EXPECT_EQ(Wide(v.ToWString(0x0401ul)), u"1234.5");
  // An unknown identifier: the lookup fails and the text ends after the
  // integer part.
  EXPECT_EQ(Wide(v.ToWString(0x1234ul)), u"1234");
  EXPECT_EQ(Wide(v.ToWString(0xFFFFFFFFul)), u"1234");
  EXPECT_EQ(Wide(v.ToWString(0x100000409ul)), u"1234");
  // The user and system defaults resolve to some locale's separator.
  unsigned short const userDefault = v.ToWString(0x0400ul).GetString()[4];
  EXPECT_TRUE(userDefault == '.' || userDefault == ',');

  BigDecimal whole("1234", nullptr), minusQuarter("-0.25", nullptr), lz("007.50", nullptr), zero("-0.00", nullptr);
  EXPECT_EQ(Wide(whole.ToWString(0x0407ul)), u"1234");
  EXPECT_EQ(Wide(minusQuarter.ToWString(0x0407ul)), u"-0,25");
  EXPECT_EQ(Wide(lz.ToWString(0x0407ul)), u"007,50");
  EXPECT_EQ(Wide(zero.ToWString(0x0407ul)), u"0");
  EXPECT_EQ(Wide(minusQuarter.ToWString(0x1234ul)), u"-0");
  BigDecimal small("0.05", nullptr), one("1", nullptr);
  BigDecimal::Ptr tiny = one.Divide(BigDecimal("8", nullptr), 5);
  EXPECT_EQ(Wide(tiny->ToWString(0x040Cul)), u"0,12500");
  EXPECT_EQ(Wide(small.ToWString(0x040Cul)), u"0,05");
}

// The comma locale must exist (scripts/install-deps.sh generates it); a
// missing locale is a failure, not a skip.
TEST(BigDecimalLocale, DoubleInACommaLocale) {
  for (char const* name : {"de_DE.UTF-8", "fr_FR.UTF-8"}) {
    SCOPED_TRACE(name);
    ScopedCLocale locale(name);
    ASSERT_TRUE(locale.ok()) << "cannot set the C locale " << name;
    char printed[64];
    std::snprintf(printed, sizeof printed, "%f", 2.5);
    ASSERT_EQ(std::string(printed), "2,500000");  // the runtime really writes a comma

    BigDecimal a(2.5, nullptr);
    EXPECT_EQ(std::string(a.ToString().GetString()), "2.500000");
    EXPECT_EQ(a.Scale(), 6);
    BigDecimal b(-1234.5, nullptr);
    EXPECT_EQ(std::string(b.ToString().GetString()), "-1234.500000");
    EXPECT_EQ(Wide(b.ToWString(0x0407ul)), u"-1234,500000");
    BigDecimal c(1e-7, nullptr);
    EXPECT_EQ(c.Signum(), 0);
    // Text is always read with '.', whatever the locale.
    EXPECT_TRUE(BigDecimal("2,5", nullptr).IsInvalid());
  }
  // Back in the C locale.
  BigDecimal d(0.1, nullptr);
  EXPECT_EQ(std::string(d.ToString().GetString()), "0.100000");
  ScopedCLocale english("en_US.UTF-8");
  ASSERT_TRUE(english.ok());
  EXPECT_EQ(std::string(BigDecimal(3.25, nullptr).ToString().GetString()), "3.250000");
}

}  // namespace
