// Saved records at the extremes of their fields, against the documented
// layouts: each record is written out here word by word (eleven
// little-endian 32-bit words; weeks and weekdays worked out from the
// calendar), must be the bytes the library writes on any host, and must load
// back into the value. The ordinary layouts and the stream items are checked
// with their types (tests/Calendar, tests/StoredTime), the record of
// CellFmtData in tests/CellFormat.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "DataType/StoredTime/VexTime.h"
#include "support/ScopedTZ.h"

namespace QDataType {
namespace {

using Bytes = std::vector<unsigned char>;
using Words = std::vector<int32_t>;

Bytes LittleEndian(Words const& words) {
  Bytes out;
  for (int32_t w : words)
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(static_cast<uint32_t>(w) >> (8 * i)));
  return out;
}

std::string Fields(DateTime const& d) { return d.ToString().GetString(); }

// The local wall time never takes part in these values; a fixed rule keeps
// it that way should one of them ever convert.
class Records : public ::testing::Test {
 protected:
  testing_zone::ScopedTZ tz_{testing_zone::kCentralEurope};
};

TEST_F(Records, DateTimeRecordsFollowTheLayout) {
  struct {
    DateTime date;
    bool caches;  // week and weekday asked for before saving
    int mode;
    Words words;
  } const cases[] = {
      {DateTime(65535, 12, 31, 23, 59, 59, 999), true, INT32_MAX, {-100, 65535, 12, 31, 23, 59, 59, 999, 5, 2, INT32_MAX}},
      {DateTime(), false, INT32_MIN, {-100, 1899, 12, 30, 0, 0, 0, 0, -1, -1, INT32_MIN}},
  };
  for (auto const& c : cases) {
    SCOPED_TRACE(Fields(c.date));
    DateTime d = c.date;
    if (c.caches) {
      EXPECT_TRUE(d.GetWeek() == c.words[8] && d.GetDayOfWeek() == c.words[9]);
    }
    Bytes record(44);
    ASSERT_EQ(d.SaveObj(44, record.data(), c.mode), 0);
    EXPECT_EQ(record, LittleEndian(c.words));
    DateTime loaded(2000, 1, 1);
    ASSERT_EQ(loaded.LoadObj(44, record.data(), true), 0);
    EXPECT_EQ(Fields(loaded), Fields(c.date));
    EXPECT_TRUE(loaded.GetWeek() == c.date.GetWeek() && loaded.GetDayOfWeek() == c.date.GetDayOfWeek());
  }
}

TEST_F(Records, VexTimeRecordsFollowTheLayout) {
  struct {
    std::function<void(VexTime&)> make;
    Words words;
  } const cases[] = {
      {[](VexTime& v) { v = VexTime(DateTime(1999, 12, 31, 23, 59, 59, 999), TIME_MODE_LOCAL, false); },
       {-100, 1999, 12, 31, 23, 59, 59, 999, 5, 5, 1}},
      {[](VexTime& v) {
         v.PutDynamicTime(DT_RELATIVE_DATE_TIME);
         v.PutDynamicMonthOffset(32767);
         v.PutDynamicDayOffset(-123456789);
         v.PutYear(-1, false);
         v.PutMonth(-13, false);
         v.PutDay(400, false);
         v.PutHour(-5, false);
         v.PutMinutes(77, false);
         v.PutSeconds(-59);
         v.PutWeek(-3, false);
         v.PutDayOfWeek(6, false, false);
       },
       {0x7FFF0002, -1, -13, 400, -5, 77, -59, -123456789, -3, 6, 1}},
  };
  for (auto const& c : cases) {
    SCOPED_TRACE(c.words[1]);
    VexTime original;
    c.make(original);
    Bytes record(44);
    ASSERT_EQ(original.SaveObj(44, record.data()), 0);
    EXPECT_EQ(record, LittleEndian(c.words));
    VexTime fromRecord;  // loads back into the value that saves the same record
    Bytes again(44);
    ASSERT_TRUE(fromRecord.LoadObj(44, record.data()) == 0 && fromRecord.SaveObj(44, again.data()) == 0);
    EXPECT_TRUE(again == record && fromRecord.GetRealMode() == original.GetRealMode());
  }
}

}  // namespace
}  // namespace QDataType
