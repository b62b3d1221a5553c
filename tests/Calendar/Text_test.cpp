// DateTime text forms, the parser and the 44-byte saved record.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "DataType/Calendar/DateTime.h"
#include "DateTimeTestPeer.h"

namespace QDataType {
namespace {

using Peer = DateTimeTestPeer;

std::string Show(DateTime const& d) {
  char b[64];
  std::snprintf(b, sizeof b, "%04d-%02d-%02d %02d:%02d:%02d.%03d", d.GetYear(), d.GetMonth(), d.GetDay(),
                d.GetHour(), d.GetMinute(), d.GetSecond(), d.GetMillisecond());
  return b;
}

std::string Narrow(QBase::ReturnWString const& w) {
  std::string s;
  for (size_t i = 0; i < w.GetLength(); ++i) s += static_cast<char>(w.GetString()[i]);
  return s;
}

TEST(DateTimeText, Forms) {
  const DateTime v(2024, 6, 5, 7, 8, 9, 45);
  EXPECT_STREQ(v.ToString().GetString(), "2024-06-05 07:08:09.045");
  EXPECT_STREQ(v.ToJSONString().GetString(), "2024-06-05T07:08:09.045Z");
  EXPECT_STREQ(v.ToDateString().GetString(), "6/5/2024");
  EXPECT_EQ(v.ToString().GetLength(), 23u);
  EXPECT_EQ(Narrow(v.ToWString()), "2024-06-05 07:08:09.045");
  EXPECT_EQ(v.ToWString().GetLength(), 23u);
  EXPECT_EQ(Narrow(v.ToJSONWString()), "2024-06-05T07:08:09.045Z");
  EXPECT_STREQ(DateTime(1, 1, 1).ToString().GetString(), "0001-01-01 00:00:00.000");
  EXPECT_STREQ(DateTime(0, 1, 1).ToString().GetString(), "0000-01-01 00:00:00.000");
  EXPECT_STREQ(DateTime(65535, 12, 31, 23, 59, 59, 999).ToString().GetString(), "65535-12-31 23:59:59.999");
  EXPECT_STREQ(DateTime(65535, 12, 31, 23, 59, 59, 999).ToJSONString().GetString(), "65535-12-31T23:59:59.999Z");
  EXPECT_STREQ(DateTime(65535, 12, 31).ToDateString().GetString(), "12/31/65535");
  EXPECT_STREQ(DateTime(7, 1, 2).ToDateString().GetString(), "1/2/7");
  // No zone conversion: the fields print as they are.
  EXPECT_STREQ(DateTime(2024, 6, 5, 7, 8, 9, 45, 120, 60).ToJSONString().GetString(), "2024-06-05T07:08:09.045Z");
  EXPECT_STREQ(Peer::ToFormatString(v, "%u|%u|%u|%u|%u|%u|%u").GetString(), "2024|6|5|7|8|9|45");
  // Printing every field as unsigned: an out-of-range field is cut at the buffer, never past it.
  DateTime raw(2024, 6, 5);
  Peer::Set(raw, Peer::kMonth, -1);
  Peer::Set(raw, Peer::kDay, -1);
  Peer::Set(raw, Peer::kHour, -1);
  EXPECT_LE(raw.ToString().GetLength(), 39u);
  EXPECT_LE(raw.ToDateString().GetLength(), 15u);
}

struct ParseCase {
  char const* text;
  unsigned consumed;
  char const* value;  // expected value when consumed > 0
};

TEST(DateTimeParse, DocumentedAcceptAndReject) {
  const ParseCase cases[] = {
      {"2024-06-05", 10, "2024-06-05 00:00:00.000"},
      {"2024-06-05 07:08:09.045", 23, "2024-06-05 07:08:09.045"},
      {"2024-06-05T07:08:09.045Z", 23, "2024-06-05 07:08:09.045"},
      {"2024-02-30", 10, "2024-02-29 00:00:00.000"},
      {"2023-02-31 01:02:03.4", 21, "2023-02-28 01:02:03.004"},
      {"2024-06-05 07:08:09.5", 21, "2024-06-05 07:08:09.005"},
      {"2024-06-05 07:08:09.0500", 24, "2024-06-05 07:08:09.500"},
      {"2024-06-05x", 10, "2024-06-05 00:00:00.000"},
      {"  +2024- 6-\t5", 13, "2024-06-05 00:00:00.000"},  // strtoul skips white space and takes a sign
      {"2024-06--1", 10, "2024-06-30 00:00:00.000"},       // a negative day counts from the month's end
      {"2024-02--29", 11, "2024-02-01 00:00:00.000"},
      {"65535-12-31 23:59:59.999", 24, "65535-12-31 23:59:59.999"},
      {"65537-01-01", 11, "0001-01-01 00:00:00.000"},  // low 16 bits of the year
      {"65536-02-29", 11, "0000-02-29 00:00:00.000"},
      {"2024-06-05 07:08:09.x", 20, "2024-06-05 07:08:09.000"},  // a character follows the point: 0 ms
      {"2024-06-05T::.1", 15, "2024-06-05 00:00:00.001"},       // missing numbers read as 0
      // A magnitude beyond 32 bits reads as all bits set, which as an int is
      // -1: the last day of the month.
      {"2024-01-4294967297", 18, "2024-01-31 00:00:00.000"},
      {"1-1-1", 5, "0001-01-01 00:00:00.000"},
  };
  for (auto const& c : cases) {
    DateTime v(1999, 9, 9, 9, 9, 9, 9, 30, 0);
    const unsigned n = v.FromString(c.text);
    EXPECT_EQ(n, c.consumed) << c.text;
    EXPECT_EQ(Show(v), c.value) << c.text;
    EXPECT_EQ(v.GetBias(), 0) << c.text;
  }

  const char* rejected[] = {"2024-13-01", "0-01-01", "2024-06-00", "2024-06-05 07:08", "2024-06-05 07:08:09.",
                            "2024-06-05 07:08:09.1234", "2024-06-05 24:00:00.000", "2024-06-05 07:60:00.000",
                            "2024-06-05 07:08:60.000", "2024-06-05 -1:08:09.000", "", "   ", "-2024-01-01",
                            "2024/06/05", "2024-06", "2024-6-32", "2024-06--32", "2024-0-1", "2024--1-01",
                            "4294967297-01-01", "4294967295-01-01", "2147483648-01-01", "99999999999999999999-1-1",
                            "2024-4294967297-01", "2024-06-05T:::.1", "2024-06-05 ", "x2024-01-01", "2024-06-05 07:08:09,045",
                            "2024-06-05T07-08-09.045"};
  for (char const* text : rejected) {
    DateTime v(1999, 9, 9, 9, 9, 9, 9, 30, 0);
    v.GetWeek();
    const auto before = Peer::Fields(v);
    EXPECT_EQ(v.FromString(text), 0u) << text;
    EXPECT_EQ(Peer::Fields(v), before) << text;
  }
  DateTime v;
  EXPECT_EQ(v.FromString(nullptr), 0u);
  // 2147483647 keeps its low 16 bits (65535) and is accepted.
  EXPECT_EQ(v.FromString("2147483647-01-01"), 16u);
  EXPECT_EQ(v.GetYear(), 65535);
}

// The parse written out step by step on top of the C library's strtoul,
// treated as a 32-bit unsigned long: the reference for random texts.
bool ReadUL32(char const* p, char const** end, uint32_t& value) {
  errno = 0;
  char* e = nullptr;
  const unsigned long long v = std::strtoull(p, &e, 10);
  *end = e;
  if (e == p) {
    value = 0;
    return true;
  }
  char const* q = p;
  while (*q == ' ' || (*q >= '\t' && *q <= '\r')) ++q;
  const bool negative = *q == '-';
  const unsigned long long magnitude = negative ? 0 - v : v;
  value = (errno == ERANGE || magnitude > 0xFFFFFFFFull) ? 0xFFFFFFFFu : static_cast<uint32_t>(v);
  return true;
}

unsigned ReferenceParse(char const* text, DateTime& out) {
  DateTime w;
  char const* p = text;
  uint32_t v;
  ReadUL32(p, &p, v);
  if (static_cast<int32_t>(v) < 1 || !w.PutYear(static_cast<int>(v & 0xFFFF))) return 0;
  if (*p++ != '-') return 0;
  ReadUL32(p, &p, v);
  if (!w.PutMonth(static_cast<int>(v))) return 0;
  if (*p++ != '-') return 0;
  ReadUL32(p, &p, v);
  if (v == 0 || !w.PutDay(static_cast<int32_t>(v))) return 0;
  if (*p == ' ' || *p == 'T') {
    ++p;
    ReadUL32(p, &p, v);
    if (v > 23 || !w.PutHour(static_cast<int>(v))) return 0;
    if (*p++ != ':') return 0;
    ReadUL32(p, &p, v);
    if (v > 59 || !w.PutMinute(static_cast<int>(v))) return 0;
    if (*p++ != ':') return 0;
    ReadUL32(p, &p, v);
    if (v > 59 || !w.PutSecond(static_cast<int>(v))) return 0;
    if (*p++ != '.') return 0;
    if (*p == '\0') return 0;
    ReadUL32(p, &p, v);
    if (v > 999 || !w.PutMillisecond(static_cast<int>(v))) return 0;
  }
  out = w;
  return static_cast<unsigned>(p - text);
}

TEST(DateTimeParse, AgreesWithAStrtoulReferenceOnRandomTexts) {
  const char* numbers[] = {"0", "1", "5", "12", "13", "29", "31", "32", "59", "60", "999", "1000", "2024", "0500",
                           "65535", "65536", "2147483647", "4294967295", "4294967296", "4294967297",
                           "18446744073709551617", "-1", "-5", "-31", "-32", "+7", " 8", "\t9", "\n-2", "", "-",
                           "+", "- 1", "007"};
  const char* separators[] = {"-", "-", "-", ":", ":", ".", " ", "T", "x", "Z", "", "--", ": "};
  std::mt19937 rng(99);
  auto pick = [&](auto const& array) { return array[rng() % (sizeof array / sizeof array[0])]; };
  int accepted = 0;
  for (int i = 0; i < 200000; ++i) {
    // Mostly well-formed shapes with one or two slots mutated.
    std::vector<std::string> parts = {"2024", "-", "06", "-", "15", " ", "10", ":", "20", ":", "30", ".", "456"};
    parts.resize(rng() % 2 ? 5 : 13);
    const int mutations = 1 + static_cast<int>(rng() % 3);
    for (int k = 0; k < mutations; ++k) {
      const size_t slot = rng() % parts.size();
      parts[slot] = slot % 2 == 0 ? pick(numbers) : pick(separators);
    }
    std::string text;
    for (auto const& part : parts) text += part;
    if (rng() % 4 == 0) text += pick(separators);

    DateTime expected(1999, 9, 9, 9, 9, 9, 9);
    const unsigned want = ReferenceParse(text.c_str(), expected);
    DateTime got(1999, 9, 9, 9, 9, 9, 9);
    ASSERT_EQ(got.FromString(text.c_str()), want) << "'" << text << "'";
    ASSERT_EQ(Show(got), Show(expected)) << "'" << text << "'";
    accepted += want != 0;
  }
  EXPECT_GT(accepted, 10000);  // the mix reaches both outcomes
}

std::vector<uint8_t> Words(std::initializer_list<int32_t> words) {
  std::vector<uint8_t> bytes;
  for (int32_t w : words)
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(static_cast<uint32_t>(w) >> (8 * i)));
  return bytes;
}

TEST(DateTimeRecord, ExactBytes) {
  EXPECT_EQ(DateTime::GetSaveObjSize(), 44u);
  const DateTime v(2024, 6, 5, 7, 8, 9, 45, 60, 60);
  std::vector<uint8_t> buffer(48, 0xAA);
  EXPECT_EQ(v.SaveObj(43, buffer.data(), 1), -1);
  EXPECT_EQ(buffer, std::vector<uint8_t>(48, 0xAA));  // nothing written
  EXPECT_EQ(v.SaveObj(44, nullptr, 1), -1);
  EXPECT_EQ(v.SaveObj(44, buffer.data(), 1), 0);
  const auto expected = Words({-100, 2024, 6, 5, 7, 8, 9, 45, -1, -1, 1});
  EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 44), expected);
  EXPECT_EQ(buffer[0], 0x9C);
  EXPECT_EQ(buffer[3], 0xFF);
  EXPECT_EQ(buffer[44], 0xAA);  // a larger buffer gets exactly 44 bytes

  v.GetDayOfWeek();  // 2024-06-05 is a Wednesday in week 2
  EXPECT_EQ(v.SaveObj(100, buffer.data(), 0x12345678), 0);
  EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 44),
            Words({-100, 2024, 6, 5, 7, 8, 9, 45, 2, 3, 0x12345678}));
  EXPECT_EQ(DateTime(65535, 12, 31).SaveObj(44, buffer.data(), -1), 0);
  EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 44),
            Words({-100, 65535, 12, 31, 0, 0, 0, 0, -1, -1, -1}));
}

TEST(DateTimeRecord, LoadStrictAndLenient) {
  auto record = Words({-100, 2024, 6, 5, 7, 8, 9, 45, -1, -1, 1});
  DateTime v(1999, 1, 1, 0, 0, 0, 0, 90, 30);
  EXPECT_EQ(v.LoadObj(44, record.data(), false), 0);
  EXPECT_EQ(Show(v), "2024-06-05 07:08:09.045");
  EXPECT_EQ(v.GetBias(), 90);  // biases kept
  EXPECT_EQ(v.GetDaylightBias(), 30);
  EXPECT_EQ(Peer::Fields(v)[Peer::kWeek], -1);
  EXPECT_EQ(v.GetDayOfWeek(), 3);

  // Sizes other than 44 are refused before anything is read.
  const auto before = Peer::Fields(v);
  auto other = Words({-100, 2000, 1, 1, 0, 0, 0, 0, -1, -1, 0});
  for (unsigned size : {0u, 1u, 43u, 45u, 0xFFFFFFFFu}) {
    EXPECT_EQ(v.LoadObj(size, other.data(), true), -1) << size;
    EXPECT_EQ(Peer::Fields(v), before);
  }
  EXPECT_EQ(v.LoadObj(44, nullptr, true), -1);

  // Mode word above 1, and a wrong marker: strict refuses, lenient loads.
  auto mode2 = Words({-100, 2024, 6, 5, 7, 8, 9, 45, -1, -1, 2});
  EXPECT_EQ(v.LoadObj(44, mode2.data(), false), -1);
  EXPECT_EQ(v.LoadObj(44, mode2.data(), true), 0);
  auto negativeMode = Words({-100, 2024, 6, 5, 7, 8, 9, 45, -1, -1, -1});
  EXPECT_EQ(v.LoadObj(44, negativeMode.data(), false), -1);  // taken unsigned
  auto marker = Words({-99, 2023, 1, 2, 3, 4, 5, 6, -1, -1, 0});
  EXPECT_EQ(v.LoadObj(44, marker.data(), false), -1);
  EXPECT_EQ(v.LoadObj(44, marker.data(), true), 0);
  EXPECT_EQ(Show(v), "2023-01-02 03:04:05.006");

  // Out-of-range fields.
  auto month13 = Words({-100, 2024, 13, 5, 7, 8, 9, 45, -1, -1, 0});
  EXPECT_EQ(v.LoadObj(44, month13.data(), false), -1);
  EXPECT_EQ(v.LoadObj(44, month13.data(), true), 0);
  EXPECT_EQ(Show(v), "2024-12-05 07:08:09.045");
  auto longDay = Words({-100, 2023, 2, 31, 7, 8, 9, 45, -1, -1, 0});
  EXPECT_EQ(v.LoadObj(44, longDay.data(), false), 0);  // a long day is clamped in any case
  EXPECT_EQ(v.GetDay(), 28);
  auto badTime = Words({-100, 2023, 2, 3, -7, 80, 9, 1000, -1, -1, 0});
  EXPECT_EQ(v.LoadObj(44, badTime.data(), false), -1);
  EXPECT_EQ(v.LoadObj(44, badTime.data(), true), 0);
  EXPECT_EQ(Show(v), "2023-02-03 00:59:09.999");
  auto rollover = Words({-100, 2023, 12, 31, 24, 0, 0, 5, -1, -1, 0});
  EXPECT_EQ(v.LoadObj(44, rollover.data(), false), 0);
  EXPECT_EQ(Show(v), "2024-01-01 00:00:00.005");
  // Words keep their low 16 bits.
  auto wide = Words({-100, 0x10000 + 2024, 0x10000 + 6, 5, 0, 0, 0, 0, -1, -1, 0});
  EXPECT_EQ(v.LoadObj(44, wide.data(), false), 0);
  EXPECT_EQ(Show(v), "2024-06-05 00:00:00.000");

  // -101 is the empty value, whatever follows.
  auto empty = Words({-101, 77, 99, -5, 1000, 1000, 1000, 1000, 42, 42, 9});
  DateTime e(2024, 6, 5, 1, 2, 3, 4, 60, 0);
  e.GetWeek();
  EXPECT_EQ(e.LoadObj(44, empty.data(), false), 0);
  EXPECT_EQ(Show(e), "1899-12-30 00:00:00.000");
  EXPECT_EQ(Peer::Fields(e)[Peer::kWeek], -1);
  EXPECT_EQ(Peer::Fields(e)[Peer::kDayOfWeek], -1);
  EXPECT_EQ(e.GetBias(), 60);
}

TEST(DateTimeRecord, RoundTripKeepsFieldsAndCaches) {
  std::mt19937_64 rng(17);
  std::uniform_int_distribution<int> day(-693959, 23242572);
  std::uniform_int_distribution<int> msOfDay(0, 86399999);
  uint8_t record[44];
  for (int i = 0; i < 20000; ++i) {
    unsigned short y;
    short m, d;
    DateTime::DAYSToYMD(day(rng), y, m, d);
    const int t = msOfDay(rng);
    const DateTime v(y, m, d, t / 3600000, t / 60000 % 60, t / 1000 % 60, t % 1000, 5, 6);
    if (i % 2) v.GetWeek();
    ASSERT_EQ(v.SaveObj(sizeof record, record, i % 2), 0);
    DateTime back(2000, 1, 1, 0, 0, 0, 0, 5, 6);
    ASSERT_EQ(back.LoadObj(sizeof record, record, false), 0);
    auto a = Peer::Fields(v), b = Peer::Fields(back);
    ASSERT_EQ(a, b) << Show(v);
  }
}

}  // namespace
}  // namespace QDataType
