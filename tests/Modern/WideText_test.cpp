// The wide string types use the library's own character traits; their
// operations order units as unsigned 16-bit numbers, as std::u16string
// (whose traits the standard defines) does.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <type_traits>

#include "Base/Strings.h"
#include "DataType/CellFormat/CellFmtStruct.h"
#include "DataType/Variant/Variant.h"

using QBase::WideTraits;
using QBase::WString;

static_assert(std::is_same<WString::traits_type, WideTraits>::value, "own traits");
static_assert(std::is_same<QDataType::Variant::String::traits_type, WideTraits>::value, "own traits");
static_assert(std::is_same<decltype(std::declval<QDataType::Variant>().GetRawWString()),
                           QDataType::Variant::String const*>::value,
              "GetRawWString hands out the held string type");

namespace {

WString FromU16(std::u16string const& s) { return WString(s.begin(), s.end()); }

int Sign(int x) { return (x > 0) - (x < 0); }

}  // namespace

TEST(WideText, OperationsAgreeWithU16String) {
  std::mt19937 rng(23);
  std::uniform_int_distribution<int> unit(0, 5), len(0, 12);
  char16_t const alphabet[] = {u'a', u'b', 0x00E9, 0x7FFF, 0x8000, 0xFFFF};
  auto random = [&] {
    std::u16string s(static_cast<size_t>(len(rng)), u'a');
    for (char16_t& c : s) c = alphabet[unit(rng)];
    return s;
  };
  for (int i = 0; i < 3000; ++i) {
    std::u16string const a = random(), b = random();
    WString const wa = FromU16(a), wb = FromU16(b);
    ASSERT_EQ(Sign(wa.compare(wb)), Sign(a.compare(b)));
    ASSERT_EQ(wa < wb, a < b);
    ASSERT_EQ(wa.find(wb), a.find(b));
    ASSERT_EQ(wa.rfind(wb), a.rfind(b));
    ASSERT_EQ(wa.find_first_of(wb), a.find_first_of(b));
    ASSERT_EQ(wa + wb, FromU16(a + b));
  }
}

TEST(WideText, TraitsMembers) {
  unsigned short const text[] = {'x', 0xFFFF, 'y', 0};
  EXPECT_EQ(WideTraits::length(text), 3u);
  EXPECT_EQ(WideTraits::find(text, 3, 0xFFFF), text + 1);
  EXPECT_EQ(WideTraits::find(text, 3, 'z'), nullptr);
  EXPECT_FALSE(WideTraits::eq_int_type(WideTraits::to_int_type(0xFFFF), WideTraits::eof()));
  EXPECT_NE(WideTraits::not_eof(WideTraits::eof()), WideTraits::eof());
  static_assert(WideTraits::lt(0x7FFF, 0x8000), "units are unsigned");
  unsigned short buf[4] = {1, 2, 3, 4};
  WideTraits::move(buf + 1, buf, 3);
  EXPECT_EQ(WString(buf, 4), (WString{1, 1, 2, 3}));
}

TEST(WideText, LibraryStringsUseTheTraits) {
  QDataType::Variant v("gr\xC3\xBC\xC3\x9F" "e", nullptr);
  QDataType::Variant::String const* s = v.GetRawWString();
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(WString(s->data(), s->size()), FromU16(u"gr\u00fc\u00dfe"));
  EXPECT_EQ(QBase::UTF8ToWide("\xF0\x9F\x98\x80", 4), FromU16(u"\U0001F600"));
  QDataType::CellFmtStruct fmt;
  EXPECT_EQ(fmt.NumberFormat, FromU16(u"#,##0"));
}
