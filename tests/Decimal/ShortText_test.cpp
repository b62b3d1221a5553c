// Short texts, which take their own roads in and out: every shape of sign,
// leading zeros, integer and fraction digits up to two limbs' worth reads
// back as the text it came from (without an arena; with one, without its
// leading zeros), and a stray character anywhere makes it invalid.
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
    int d = rng() % 4 == 0 ? (rng() % 2 != 0 ? 9 : 0) : static_cast<int>(rng() % 10);  // runs of nines and zeros
    if (i == 0 && nonZeroFirst && d == 0) d = 1 + static_cast<int>(rng() % 9);
    s.push_back(static_cast<char>('0' + d));
  }
  return s;
}

TEST(BigDecimalShortText, EveryShapeReadsBack) {
  std::mt19937_64 rng(90210);
  QBase::Arena arena;
  for (int shape = 0; shape < 2 * 5 * 39 * 41; ++shape) {
    bool const negative = shape % 2 != 0;
    int const lz = shape / 2 % 5, ni = shape / 10 % 39, nf = shape / 390;
    if (ni == 0 && (lz == 0 || nf == 0)) continue;  // not a canonical text
    std::string const integer = Digits(rng, ni, true), fraction = Digits(rng, nf, false);
    if ((integer + fraction).find_first_not_of('0') == std::string::npos) continue;  // zero prints "0"
    std::string const sign = negative ? "-" : "", tail = nf > 0 ? "." + fraction : "";
    std::string const text = sign + std::string(static_cast<size_t>(lz), '0') + integer + tail;
    BigDecimal const plain(text.c_str(), nullptr), placed(text.c_str(), &arena);
    ASSERT_FALSE(plain.IsInvalid()) << text;
    ASSERT_EQ(std::string(plain.ToString().GetString()), text);
    ASSERT_EQ(plain.Scale(), nf) << text;
    // The digit text (zeros after the point included when there are no
    // integer digits) plus the leading zeros counted.
    ASSERT_EQ(plain.Precision(), lz + static_cast<int>(integer.empty() ? fraction.size() : ni + fraction.size()));
    ASSERT_EQ(std::string(placed.ToString().GetString()), sign + (integer.empty() ? "0" : integer) + tail);
    QBase::ReturnWString const wide = plain.ToWString(0x0407);
    std::string comma(wide.GetString(), wide.GetString() + wide.GetLength());
    ASSERT_EQ(comma, nf > 0 ? text.substr(0, text.find('.')) + "," + fraction : text);
  }
}

// Texts are read in windows of 16 and 32 characters: a stray character or a
// second point anywhere, at every length, makes the text invalid; texts of
// zeros are zero at scale 0 whatever their length.
TEST(BigDecimalShortText, StrayCharactersAndZerosAtEveryLength) {
  for (size_t n = 1; n <= 40; ++n) {
    std::string digits;
    for (size_t i = 0; i < n; ++i) digits.push_back(static_cast<char>('1' + i % 9));
    for (size_t at = 0; at < n; ++at) {
      for (char const* stray : {" ", "/", ":", "x", "\x80", "-", ".."}) {
        if ((stray[0] == '-' && at == 0) || (stray[1] != 0 && at + 1 == n)) continue;  // a sign; no room
        std::string const text = digits.substr(0, at) + stray + digits.substr(at + std::char_traits<char>::length(stray));
        EXPECT_TRUE(BigDecimal(text.c_str(), nullptr).IsInvalid()) << text;
      }
    }
    for (size_t point = 0; point <= n; ++point) {
      std::string zeros(n, '0');
      if (point < n) zeros[point] = '.';
      BigDecimal const z(zeros.c_str(), nullptr);
      ASSERT_TRUE(z.Signum() == 0 && z.Scale() == 0 && z.Precision() == static_cast<int>(point)) << zeros;
    }
  }
}

}  // namespace
