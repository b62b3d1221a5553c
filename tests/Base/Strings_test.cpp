#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "Base/Strings.h"

namespace {

using QBase::WString;

WString W(char16_t const* s) {
  WString w;
  for (; *s; ++s) w.push_back(static_cast<unsigned short>(*s));
  return w;
}

WString FromUTF8(std::string const& s) {
  QBase::ReturnWString r = QBase::UTF8ToWideChar(s.c_str());
  return WString(r.GetString(), r.GetLength());
}

std::string ToUTF8(WString const& w) {
  QBase::ReturnString r = QBase::WideCharToUTF8(w.c_str());
  return std::string(r.GetString(), r.GetLength());
}

TEST(ReturnString, CopiesAndNulls) {
  char text[] = "abc";
  QBase::ReturnString r(text);
  text[0] = 'x';
  EXPECT_STREQ(r.GetString(), "abc");
  EXPECT_EQ(r.GetLength(), 3u);
  QBase::ReturnString copy = r;
  QBase::ReturnString moved = std::move(r);
  EXPECT_STREQ(copy.GetString(), "abc");
  EXPECT_STREQ(moved.GetString(), "abc");
  copy = moved;
  EXPECT_STREQ(copy.GetString(), "abc");

  QBase::ReturnString none(nullptr);
  EXPECT_EQ(none.GetString(), nullptr);
  EXPECT_EQ(none.GetLength(), 0u);
  QBase::ReturnWString wnone(nullptr);
  EXPECT_EQ(wnone.GetString(), nullptr);
  EXPECT_EQ(wnone.GetLength(), 0u);

  QBase::ReturnString empty("");
  ASSERT_NE(empty.GetString(), nullptr);
  EXPECT_EQ(empty.GetLength(), 0u);
}

// Texts on either side of the inline size move and copy between objects in
// every combination, and a moved-from text is null.
TEST(ReturnString, InlineAndHeapTextsMoveAndCopy) {
  for (size_t a : {0u, 5u, 30u, 31u, 32u, 100u}) {
    for (size_t b : {0u, 31u, 32u, 100u}) {
      const std::string sa(a, 'a'), sb(b, 'b');
      QBase::ReturnString x(sa.c_str()), y(sb.c_str());
      y = std::move(x);
      EXPECT_EQ(x.GetString(), nullptr);
      EXPECT_EQ(x.GetLength(), 0u);
      EXPECT_EQ(std::string(y.GetString(), y.GetLength()), sa);
      EXPECT_EQ(y.GetString()[a], '\0');
      QBase::ReturnString z(std::move(y)), c(z);
      x = c;
      EXPECT_EQ(std::string(z.GetString()), sa);
      EXPECT_EQ(std::string(x.GetString()), sa);
      QBase::ReturnString& same = z;
      z = std::move(same);  // self-move keeps the text
      EXPECT_EQ(std::string(z.GetString()), sa);

      const WString wa(a, 'w'), wb(b, 'v');
      QBase::ReturnWString wx(wa.c_str()), wy(wb.c_str());
      wy = std::move(wx);
      EXPECT_EQ(wx.GetString(), nullptr);
      EXPECT_EQ(WString(wy.GetString(), wy.GetLength()), wa);
      QBase::ReturnWString wz(std::move(wy)), wc(wz);
      EXPECT_EQ(WString(wc.GetString()), wa);
      EXPECT_EQ(WString(wz.GetString()), wa);
    }
  }
}

TEST(ReturnString, EveryShortLengthIsCopiedExactly) {
  // Short copies go by overlapping moves of a fixed size; a text of distinct
  // characters shows any byte taken from the wrong place.
  for (size_t n = 0; n <= 40; ++n) {
    std::string s;
    WString w;
    for (size_t i = 0; i < n; ++i) {
      s.push_back(static_cast<char>('A' + i));
      w.push_back(static_cast<unsigned short>(0x100 + i));
    }
    QBase::ReturnString const r(s.data(), n);
    EXPECT_EQ(std::string(r.GetString(), r.GetLength()), s);
    EXPECT_EQ(r.GetString()[n], '\0');
    QBase::ReturnWString const rw(w.data(), n);
    EXPECT_EQ(WString(rw.GetString(), rw.GetLength()), w);
    EXPECT_EQ(rw.GetString()[n], 0);
  }
}

TEST(Conversion, RoundTripsAllPlanes) {
  // ASCII, two-, three- and four-byte forms, the ends of each range.
  std::string const text = "A\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF";
  WString const wide = FromUTF8(text);
  WString const expected = {0x41, 0x7F, 0x80, 0x7FF, 0x800, 0xFFFF, 0xD800, 0xDC00, 0xDBFF, 0xDFFF};
  EXPECT_EQ(wide, expected);
  EXPECT_EQ(ToUTF8(wide), text);
  EXPECT_EQ(QBase::MultiByteToWideChar(text.c_str()).GetLength(), expected.size());
  EXPECT_EQ(std::string(QBase::WideCharToMultiByte(wide.c_str()).GetString()), text);
}

TEST(Conversion, MalformedInputBecomesReplacementCharacters) {
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
}

TEST(Conversion, NullStaysNull) {
  EXPECT_EQ(QBase::UTF8ToWideChar(nullptr).GetString(), nullptr);
  EXPECT_EQ(QBase::ASCIIToWideChar(nullptr).GetString(), nullptr);
  EXPECT_EQ(QBase::WideCharToUTF8(nullptr).GetString(), nullptr);
  EXPECT_EQ(QBase::WideLength(nullptr), 0u);
}

TEST(SystemError, DescribesKnownAndUnknownCodes) {
  QBase::ReturnWString r = QBase::GetSystemErrorDescription(ENOMEM);
  std::string const text = ToUTF8(WString(r.GetString(), r.GetLength()));
  EXPECT_EQ(text, std::strerror(ENOMEM));
  EXPECT_GT(QBase::GetSystemErrorDescription(987654u).GetLength(), 0u);
  EXPECT_EQ(W(u"x"), (WString{'x'}));
}

}  // namespace
