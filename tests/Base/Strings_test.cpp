// Returned texts and the UTF-8 / UTF-16 conversions; expected code units
// are worked out by hand from the encodings' definitions.
#include <gtest/gtest.h>

#include <string>

#include "Base/Strings.h"

namespace {

using QBase::WString;

WString FromUTF8(std::string const& s) {
  QBase::ReturnWString r = QBase::UTF8ToWideChar(s.c_str());
  return WString(r.GetString(), r.GetLength());
}

std::string ToUTF8(WString const& w) {
  QBase::ReturnString r = QBase::WideCharToUTF8(w.c_str());
  return std::string(r.GetString(), r.GetLength());
}

// Texts of every short length (copied by overlapping moves) and past the
// inline size, moved and copied into objects that held texts of other
// lengths: each keeps its own characters (all distinct, so a byte taken from
// the wrong place shows) and its terminator; a moved-from text is null.
TEST(ReturnString, EveryLengthCopiesAndMovesExactly) {
  for (size_t a = 0; a <= 40; ++a) {
    std::string sa;
    WString wa;
    for (size_t i = 0; i < a; ++i) {
      sa.push_back(static_cast<char>('A' + i));
      wa.push_back(static_cast<unsigned short>(0x100 + i));
    }
    for (size_t b : {0u, 31u, 32u, 100u}) {
      QBase::ReturnString x(sa.data(), a), y(std::string(b, 'b').c_str());
      y = std::move(x);
      EXPECT_TRUE(x.GetString() == nullptr && x.GetLength() == 0);  // NOLINT: moved from
      ASSERT_EQ(std::string(y.GetString(), y.GetLength()), sa);
      ASSERT_EQ(y.GetString()[a], '\0') << a << " over " << b;
      QBase::ReturnString z(std::move(y)), c(z);
      x = c;
      QBase::ReturnString& same = z;
      z = std::move(same);  // self-move keeps the text
      EXPECT_TRUE(std::string(z.GetString()) == sa && std::string(x.GetString()) == sa);

      QBase::ReturnWString wx(wa.data(), a), wy(WString(b, 'v').c_str());
      wy = std::move(wx);
      EXPECT_EQ(wx.GetString(), nullptr);  // NOLINT: moved from
      ASSERT_EQ(WString(wy.GetString(), wy.GetLength()), wa);
      ASSERT_EQ(wy.GetString()[a], 0);
      QBase::ReturnWString wz(std::move(wy)), wc(wz);
      EXPECT_TRUE(WString(wc.GetString()) == wa && WString(wz.GetString()) == wa);
    }
  }
  char text[] = "abc";
  QBase::ReturnString const r(text);
  EXPECT_STREQ(r.GetString(), (text[0] = 'x', "abc"));  // a copy, not the caller's buffer
  EXPECT_TRUE(QBase::ReturnString(nullptr).GetString() == nullptr && QBase::ReturnString(nullptr).GetLength() == 0);
  EXPECT_TRUE(QBase::ReturnWString(nullptr).GetString() == nullptr && QBase::ReturnWString(nullptr).GetLength() == 0);
  EXPECT_TRUE(QBase::ReturnString("").GetString() != nullptr && QBase::ReturnString("").GetLength() == 0);
}

TEST(Conversion, AllPlanesAndMalformedInput) {
  // ASCII, two-, three- and four-byte forms, the ends of each range.
  std::string const text = "A\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF";
  WString const expected = {0x41, 0x7F, 0x80, 0x7FF, 0x800, 0xFFFF, 0xD800, 0xDC00, 0xDBFF, 0xDFFF};
  EXPECT_TRUE(FromUTF8(text) == expected && ToUTF8(expected) == text);
  EXPECT_EQ(QBase::MultiByteToWideChar(text.c_str()).GetLength(), expected.size());
  EXPECT_EQ(std::string(QBase::WideCharToMultiByte(expected.c_str()).GetString()), text);

  unsigned short const R = 0xFFFD;
  // Stray continuation, overlong, surrogate encoded in UTF-8, above U+10FFFF,
  // truncated sequences (also at the very end).
  EXPECT_EQ(FromUTF8("\x80"), (WString{R}));
  EXPECT_EQ(FromUTF8("\xC0\xAF"), (WString{R, R}));
  EXPECT_EQ(FromUTF8("\xED\xA0\x80"), (WString{R, R, R}));
  EXPECT_EQ(FromUTF8("\xF4\x90\x80\x80"), (WString{R, R, R, R}));
  EXPECT_EQ(FromUTF8("\xE2\x82x"), (WString{R, 'x'}));
  EXPECT_EQ(FromUTF8("a\xF0\x9F\x98"), (WString{'a', R}));
  // Lone surrogates on the wide side.
  EXPECT_EQ(ToUTF8(WString{0xD800, 'a'}), "\xEF\xBF\xBD" "a");
  EXPECT_EQ(ToUTF8(WString{'a', 0xDC00}), "a\xEF\xBF\xBD");
  EXPECT_EQ(ToUTF8(WString{0xDBFF}), "\xEF\xBF\xBD");
  // ASCII conversion widens 7-bit bytes only.
  QBase::ReturnWString a = QBase::ASCIIToWideChar("ok\xE9");
  EXPECT_EQ(WString(a.GetString(), a.GetLength()), (WString{'o', 'k', R}));
  EXPECT_TRUE(QBase::UTF8ToWideChar(nullptr).GetString() == nullptr && QBase::ASCIIToWideChar(nullptr).GetString() == nullptr &&
              QBase::WideCharToUTF8(nullptr).GetString() == nullptr && QBase::WideLength(nullptr) == 0);  // null stays null
}

}  // namespace
