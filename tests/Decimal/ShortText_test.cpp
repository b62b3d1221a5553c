// Short texts, which take their own roads in: a stray character anywhere
// makes them invalid, at every length. (Their values, and their texts read
// back: Differential_test.cpp, on random texts of 1 to 40 digits.)
#include <gtest/gtest.h>

#include <string>

#include "DataType/Decimal/BigDecimal.h"

namespace {

using QDataType::BigDecimal;

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
