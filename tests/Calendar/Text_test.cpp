// DateTime text forms, the parser and the 44-byte saved record.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "DataType/Calendar/DateTime.h"
#include "DateTimeTestPeer.h"

namespace QDataType {
namespace {

using Peer = DateTimeTestPeer;

std::string Show(DateTime const& d) { return d.ToString().GetString(); }

// The text forms are fixed-width decimal fields: every year 0..65535, with
// random times, against the C library's snprintf.
TEST(DateTimeText, FormsMatchPrintfByteForByte) {
  auto check = [](DateTime const& d) {
    char stamp[64], json[64], date[64];
    const unsigned y = d.GetYear(), mo = d.GetMonth(), dd = d.GetDay(), h = d.GetHour(), mi = d.GetMinute(),
                   s = d.GetSecond(), ms = d.GetMillisecond();
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u.%03u", y, mo, dd, h, mi, s, ms);
    std::snprintf(json, sizeof json, "%04u-%02u-%02uT%02u:%02u:%02u.%03uZ", y, mo, dd, h, mi, s, ms);
    std::snprintf(date, sizeof date, "%u/%u/%u", mo, dd, y);
    ASSERT_STREQ(d.ToString().GetString(), stamp);
    ASSERT_STREQ(d.ToJSONString().GetString(), json);
    ASSERT_STREQ(d.ToDateString().GetString(), date);
    const QBase::ReturnWString w = d.ToWString(), wj = d.ToJSONWString();
    ASSERT_EQ(std::string(w.GetString(), w.GetString() + w.GetLength()), stamp);
    ASSERT_EQ(std::string(wj.GetString(), wj.GetString() + wj.GetLength()), json);
  };
  std::mt19937 rng(7);
  for (int y = 0; y <= 65535; ++y) {
    const int m = 1 + static_cast<int>(rng() % 12);
    ASSERT_NO_FATAL_FAILURE(check(DateTime(y, m, 1 + static_cast<int>(rng() % 31), static_cast<int>(rng() % 24),
                                           static_cast<int>(rng() % 60), static_cast<int>(rng() % 60),
                                           static_cast<int>(rng() % 1000))));
  }
}

TEST(DateTimeParse, AcceptAndReject) {
  struct {
    char const* text;
    unsigned consumed;
    char const* value;
  } const accepted[] = {
      {"2024-06-05", 10, "2024-06-05 00:00:00.000"},
      {"2024-06-05T07:08:09.045Z", 23, "2024-06-05 07:08:09.045"},  // the Z is left
      {"2024-02-30x", 10, "2024-02-29 00:00:00.000"},
      {"2024-06-05 07:08:09.5", 21, "2024-06-05 07:08:09.005"},      // digits after '.' are a count of ms
      {"2024-06-05 07:08:09.0500", 24, "2024-06-05 07:08:09.500"},
      {"  +2024- 6-\t5", 13, "2024-06-05 00:00:00.000"},             // white space and sign, as strtoul
      {"2024-06--1", 10, "2024-06-30 00:00:00.000"},                 // a negative day counts from the end
      {"65537-01-01", 11, "0001-01-01 00:00:00.000"},                // low 16 bits of the year
      {"2024-01-4294967297", 18, "2024-01-31 00:00:00.000"},         // 32-bit overflow: all bits set, -1
      {"2024-06-05T::.1", 15, "2024-06-05 00:00:00.001"},            // a missing number reads as 0
  };
  for (auto const& c : accepted) {
    DateTime v(1999, 9, 9, 9, 9, 9, 9, 30, 0);
    EXPECT_EQ(v.FromString(c.text), c.consumed) << c.text;
    EXPECT_EQ(Show(v), c.value) << c.text;
    EXPECT_EQ(v.GetBias(), 0) << c.text;
  }
  for (char const* text : {"2024-13-01", "0-01-01", "-2024-01-01", "4294967297-01-01", "2024-06-00", "2024-06-32",
                           "2024-06--32", "2024-06-05 07:08", "2024-06-05 07:08:09.", "2024-06-05 07:08:09.1234",
                           "2024-06-05 24:00:00.000", "2024-06-05 07:60:00.0", "2024-06-05 -1:08:09.0",
                           "2024-06-05 ", "2024/06/05", "", "x2024-01-01", "2024-06-05 07:08:09,045"}) {
    DateTime v(1999, 9, 9, 9, 9, 9, 9, 30, 0);
    const auto before = Peer::Fields(v);
    EXPECT_EQ(v.FromString(text), 0u) << text;
    EXPECT_EQ(Peer::Fields(v), before) << text;
  }
  DateTime v;
  EXPECT_EQ(v.FromString(nullptr), 0u);
}

std::vector<uint8_t> Words(std::initializer_list<int32_t> words) {
  std::vector<uint8_t> bytes;
  for (int32_t w : words)
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(static_cast<uint32_t>(w) >> (8 * i)));
  return bytes;
}

// A record is written whole, or not at all (its words: tests/Records).
TEST(DateTimeRecord, ExactBytes) {
  const DateTime v(2024, 6, 5, 7, 8, 9, 45, 60, 60);
  std::vector<uint8_t> buffer(48, 0xAA);
  EXPECT_EQ(v.SaveObj(43, buffer.data(), 1), -1);
  EXPECT_EQ(buffer, std::vector<uint8_t>(48, 0xAA));
  EXPECT_EQ(v.SaveObj(48, buffer.data(), 1), 0);
  auto expected = Words({-100, 2024, 6, 5, 7, 8, 9, 45, -1, -1, 1});
  expected.insert(expected.end(), 4, 0xAA);  // exactly 44 bytes written
  EXPECT_EQ(buffer, expected);
}

TEST(DateTimeRecord, LoadStrictAndLenient) {
  struct {
    std::vector<uint8_t> record;
    int strict, lenient;
    char const* value;  // after the lenient load
  } const cases[] = {
      {Words({-100, 2024, 6, 5, 7, 8, 9, 45, 2, 3, 1}), 0, 0, "2024-06-05 07:08:09.045"},
      {Words({-100, 2024, 6, 5, 7, 8, 9, 45, -1, -1, 2}), -1, 0, "2024-06-05 07:08:09.045"},   // mode above 1
      {Words({-100, 2024, 6, 5, 7, 8, 9, 45, -1, -1, -1}), -1, 0, "2024-06-05 07:08:09.045"},  // taken unsigned
      {Words({-99, 2024, 6, 5, 7, 8, 9, 45, -1, -1, 0}), -1, 0, "2024-06-05 07:08:09.045"},    // marker
      {Words({-100, 2024, 13, 5, 7, 8, 9, 45, -1, -1, 0}), -1, 0, "2024-12-05 07:08:09.045"},
      {Words({-100, 2023, 2, 31, -7, 80, 9, 1000, -1, -1, 0}), -1, 0, "2023-02-28 00:59:09.999"},
      {Words({-100, 2023, 2, 31, 7, 8, 9, 45, -1, -1, 0}), 0, 0, "2023-02-28 07:08:09.045"},  // long day: clamped
      {Words({-100, 65536 + 2024, 65536 + 6, 5, 0, 0, 0, 0, -1, -1, 0}), 0, 0, "2024-06-05 00:00:00.000"},
      {Words({-101, 77, 99, -5, 1000, 1000, 1000, 1000, 42, 42, 9}), 0, 0, "1899-12-30 00:00:00.000"},
  };
  for (auto const& c : cases) {
    std::vector<uint8_t> copy = c.record;
    DateTime strict(1999, 1, 1, 0, 0, 0, 0, 90, 30), lenient = strict;
    EXPECT_EQ(strict.LoadObj(44, copy.data(), false), c.strict) << c.value;
    EXPECT_EQ(lenient.LoadObj(44, copy.data(), true), c.lenient) << c.value;
    EXPECT_EQ(Show(lenient), c.value);
    EXPECT_TRUE(lenient.GetBias() == 90 && lenient.GetDaylightBias() == 30);  // biases kept
    // The caches come from the record, or are reset by the empty marker.
    EXPECT_EQ(Peer::Fields(lenient)[Peer::kWeek], c.record[0] == 0x9B ? -1 : static_cast<int8_t>(c.record[32]));
  }
  // Any size but 44 is refused before a byte is read.
  auto record = Words({-100, 2000, 1, 1, 0, 0, 0, 0, -1, -1, 0});
  DateTime v(1999, 1, 1);
  for (unsigned size : {0u, 43u, 45u, 0xFFFFFFFFu}) EXPECT_EQ(v.LoadObj(size, record.data(), true), -1) << size;
  EXPECT_EQ(v.LoadObj(44, nullptr, true), -1);
  EXPECT_EQ(Show(v), "1999-01-01 00:00:00.000");
}

}  // namespace
}  // namespace QDataType
