// Short texts, which take their own roads in and out: every shape of sign,
// leading zeros, integer digits and fraction digits up to two limbs' worth
// must read back as the text it came from (without an arena), or as that
// text without its leading zeros (with one).
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "Base/Memory.h"
#include "DataType/Decimal/BigDecimal.h"

namespace {

using QDataType::BigDecimal;

std::string Digits(std::mt19937_64& rng, int n, bool nonZeroFirst) {
  std::string s;
  for (int i = 0; i < n; ++i) {
    int d = static_cast<int>(rng() % 10);
    if (rng() % 4 == 0) d = rng() % 2 != 0 ? 9 : 0;  // runs of nines and zeros
    if (i == 0 && nonZeroFirst && d == 0) d = 1 + static_cast<int>(rng() % 9);
    s.push_back(static_cast<char>('0' + d));
  }
  return s;
}

std::string Widened(QBase::ReturnWString const& w) {
  std::string s;
  for (size_t i = 0; i < w.GetLength(); ++i) s.push_back(static_cast<char>(w.GetString()[i]));
  return s;
}

// [-] lz '0's, I (first digit not zero), then '.' and F when F is not empty.
void CheckShape(std::mt19937_64& rng, QBase::Arena& arena, bool negative, int lz, int ni, int nf) {
  std::string const integer = Digits(rng, ni, true);
  std::string const fraction = Digits(rng, nf, false);
  if (integer.find_first_not_of('0') == std::string::npos && fraction.find_first_not_of('0') == std::string::npos) {
    return;  // zero prints "0" whatever its text
  }
  std::string const sign = negative ? "-" : "";
  std::string const tail = nf > 0 ? "." + fraction : "";
  std::string const text = sign + std::string(static_cast<size_t>(lz), '0') + integer + tail;
  SCOPED_TRACE(text);

  BigDecimal plain(text.c_str(), nullptr);
  ASSERT_FALSE(plain.IsInvalid());
  EXPECT_EQ(plain.Scale(), nf);
  EXPECT_EQ(std::string(plain.ToString().GetString()), text);
  EXPECT_EQ(Widened(plain.ToWString()), text);
  std::string comma = text;
  if (nf > 0) comma[comma.find('.')] = ',';
  EXPECT_EQ(Widened(plain.ToWString(0x0407)), comma);
  // Precision: the digit text after the leading '0' characters (zeros after
  // the point included when the integer part is empty), plus those zeros.
  std::string digitText = integer + fraction;
  if (integer.empty()) digitText = fraction;
  EXPECT_EQ(plain.Precision(), lz + static_cast<int>(digitText.size()));

  BigDecimal placed(text.c_str(), &arena);
  std::string const bare = sign + (integer.empty() ? "0" : integer) + tail;
  EXPECT_EQ(std::string(placed.ToString().GetString()), bare);
  EXPECT_EQ(placed.CompareTo(plain), 0);
}

TEST(BigDecimalShortText, EveryShapeReadsBack) {
  std::mt19937_64 rng(90210);
  QBase::Arena arena;
  for (int negative = 0; negative < 2; ++negative) {
    for (int lz = 0; lz <= 4; ++lz) {
      for (int ni = 0; ni <= 38; ++ni) {
        for (int nf = 0; nf <= 40; ++nf) {
          if (ni == 0 && (lz == 0 || nf == 0)) continue;  // not a canonical text
          for (int round = 0; round < 2; ++round) CheckShape(rng, arena, negative != 0, lz, ni, nf);
        }
      }
    }
  }
}

// Texts are read in windows of 16 and 32 characters: a stray character or
// a second point anywhere in one, at every length, makes the text invalid;
// texts of zeros are zero at scale 0 whatever their length.
TEST(BigDecimalShortText, StrayCharactersAndZerosAtEveryLength) {
  for (size_t n = 1; n <= 40; ++n) {
    std::string digits;
    for (size_t i = 0; i < n; ++i) digits.push_back(static_cast<char>('1' + i % 9));
    for (size_t at = 0; at < n; ++at) {
      for (char const stray : {' ', '/', ':', 'x', '\x80', '-'}) {
        if (stray == '-' && at == 0) continue;  // a sign
        std::string text = digits;
        text[at] = stray;
        SCOPED_TRACE(text);
        EXPECT_TRUE(BigDecimal(text.c_str(), nullptr).IsInvalid());
      }
      if (at + 1 < n) {
        std::string text = digits;
        text[at] = '.';
        text[at + 1] = '.';
        EXPECT_TRUE(BigDecimal(text.c_str(), nullptr).IsInvalid()) << text;
      }
    }
    for (size_t point = 0; point <= n; ++point) {
      std::string zeros(n, '0');
      if (point < n) zeros[point] = '.';
      SCOPED_TRACE(zeros);
      BigDecimal z(zeros.c_str(), nullptr);
      ASSERT_FALSE(z.IsInvalid());
      EXPECT_EQ(z.Signum(), 0);
      EXPECT_EQ(z.Scale(), 0);
      EXPECT_EQ(z.Precision(), static_cast<int>(point < n ? point : n));
      EXPECT_EQ(std::string(z.ToString().GetString()), "0");
    }
  }
}

}  // namespace
