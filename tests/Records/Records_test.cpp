// A VexTime record at the extremes of its fields, against the documented
// layout: written out here word by word (eleven little-endian 32-bit words),
// it must be the bytes the library writes on any host, and must load back
// into the value. The ordinary layouts, DateTime's record and the stream
// items are checked with their types (tests/Calendar, tests/StoredTime), the
// record of CellFmtData in tests/CellFormat.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "DataType/StoredTime/VexTime.h"
#include "support/ScopedTZ.h"

namespace QDataType {
namespace {

using Bytes = std::vector<unsigned char>;

Bytes LittleEndian(std::vector<int32_t> const& words) {
  Bytes out;
  for (int32_t w : words)
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(static_cast<uint32_t>(w) >> (8 * i)));
  return out;
}

// The local wall time never takes part in these values; a fixed rule keeps
// it that way should one of them ever convert.
class Records : public ::testing::Test {
 protected:
  testing_zone::ScopedTZ tz_{testing_zone::kCentralEurope};
};

// A dynamic value with the widest offsets and fields outside their ranges,
// which are stored as they are.
TEST_F(Records, VexTimeRecordFollowsTheLayout) {
  VexTime original;
  original.PutDynamicTime(DT_RELATIVE_DATE_TIME);
  original.PutDynamicMonthOffset(32767);
  original.PutDynamicDayOffset(-123456789);
  original.PutYear(-1, false);
  original.PutMonth(-13, false);
  original.PutDay(400, false);
  original.PutHour(-5, false);
  original.PutMinutes(77, false);
  original.PutSeconds(-59);
  original.PutWeek(-3, false);
  original.PutDayOfWeek(6, false, false);
  Bytes record(44);
  ASSERT_EQ(original.SaveObj(44, record.data()), 0);
  EXPECT_EQ(record, LittleEndian({0x7FFF0002, -1, -13, 400, -5, 77, -59, -123456789, -3, 6, 1}));
  VexTime fromRecord;  // loads back into the value that saves the same record
  Bytes again(44);
  ASSERT_TRUE(fromRecord.LoadObj(44, record.data()) == 0 && fromRecord.SaveObj(44, again.data()) == 0);
  EXPECT_TRUE(again == record && fromRecord.GetRealMode() == original.GetRealMode());
}

}  // namespace
}  // namespace QDataType
