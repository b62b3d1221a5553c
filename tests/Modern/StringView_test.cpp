// std::string_view in and out: each view parser gives what the
// zero-terminated parser gives on a copy of the same characters, reads
// nothing past the view, and the returned texts hand out views.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "Base/Strings.h"
#include "DataType/Calendar/DateTime.h"
#include "DataType/Decimal/BigDecimal.h"
#include "DataType/Variant/Variant.h"

using namespace QDataType;

namespace {

// The characters of `text` in a heap block of exactly their size, so that a
// read past the view's end is caught by AddressSanitizer.
std::unique_ptr<char[]> Exact(std::string_view text) {
  std::unique_ptr<char[]> block(new char[text.size() == 0 ? 1 : text.size()]);
  if (!text.empty()) std::memcpy(block.get(), text.data(), text.size());
  return block;
}

char const* const kDateTexts[] = {
    "2024-06-05",  "2024-06-05 07:08:09.045", "2024-06-05T07:08:09.045Z", " 2024-2-30", "0-1-1", "2024-13-01",
    "2024-06-05 24:00:00.000", "2024-06-05 07:08", "", "x", "2024-06-05 07:08:09.", "+2024-+6-+5", "65536-1-1"};

}  // namespace

TEST(StringView, DateTimeParsesTheViewAsTheCopyParses) {
  for (char const* text : kDateTexts) {
    std::string_view const view(text);
    auto const block = Exact(view);
    DateTime a(1999, 1, 1), b(1999, 1, 1);
    unsigned const n = a.FromString(std::string_view(block.get(), view.size()));
    EXPECT_EQ(n, b.FromString(text)) << text;
    EXPECT_EQ(a, b) << text;
  }
  // The view ends the text: the rest of the buffer is not read.
  DateTime d;
  EXPECT_EQ(d.FromString(std::string_view("2024-06-05 07:08:09.045", 10)), 10u);
  EXPECT_EQ(d, DateTime(2024, 6, 5));
  // A zero character ends it too; a long run of white space is still read.
  EXPECT_EQ(d.FromString(std::string_view("2023-01-02\0 10:00:00.000", 24)), 10u);
  std::string const spaced = std::string(300, ' ') + "2021-03-04 05:06:07.008";
  EXPECT_EQ(d.FromString(std::string_view(spaced)), spaced.size());
  EXPECT_EQ(d, DateTime(2021, 3, 4, 5, 6, 7, 8));
}

TEST(StringView, BigDecimalParsesTheViewAsTheCopyParses) {
  char const* const texts[] = {"12.340", "-.5", "5.", "+7", "1.5e3", "2.5E-3", "", "-", "1e", "0007", "0.05",
                               "123456789012345678901234567890.123456789", "1.2.3", "1e1000000000", "12345678901234567",
                               "99999999999999999999999999999999"};
  for (char const* text : texts) {
    std::string_view const view(text);
    auto const block = Exact(view);
    BigDecimal const a(std::string_view(block.get(), view.size()), nullptr), b(text, nullptr);
    ASSERT_EQ(a.Scale(), b.Scale()) << text;
    if (!b.IsInvalid()) {
      EXPECT_STREQ(a.ToString().GetString(), b.ToString().GetString()) << text;
    }
  }
  EXPECT_STREQ(BigDecimal(std::string_view("12.3456", 4), nullptr).ToString().GetString(), "12.3");
  EXPECT_TRUE(BigDecimal(std::string_view("1\0002", 3), nullptr).IsInvalid());
  EXPECT_TRUE(BigDecimal(std::string_view(), nullptr).IsInvalid());
}

TEST(StringView, VariantTakesUtf8Views) {
  std::string const text = "caf\xC3\xA9 au lait";
  Variant v(std::string_view(text).substr(0, 5), nullptr);
  EXPECT_EQ(v.GetVarType(), Variant::VAR_WSTRING);
  EXPECT_TRUE(v == "caf\xC3\xA9");
  v = std::string_view(text).substr(6);
  EXPECT_TRUE(v == "au lait");
  Variant empty(std::string_view(), nullptr);
  EXPECT_TRUE(empty == "");
}

TEST(StringView, ReturnedTextsGiveViews) {
  QBase::ReturnString const null;
  EXPECT_TRUE(null.View().empty());
  EXPECT_EQ(null.ToStdString(), "");
  QBase::ReturnString const zeros("a\0b", 3);
  EXPECT_EQ(zeros.View(), std::string_view("a\0b", 3));
  EXPECT_EQ(zeros.ToStdString(), std::string("a\0b", 3));
  std::string const longText(100, 'q');
  EXPECT_EQ(QBase::ReturnString(longText.c_str()).View(), longText);
  QBase::ReturnWString const wide = QBase::UTF8ToWideChar("\xC3\xA9t\xC3\xA9");
  EXPECT_EQ(wide.View(), QBase::WString({0xE9, 't', 0xE9}));
  EXPECT_TRUE(QBase::ReturnWString().View().empty());
  EXPECT_EQ(DateTime(2024, 1, 2).ToString().View(), "2024-01-02 00:00:00.000");
}
