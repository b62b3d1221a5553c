// Saved records and stream calls, against the documented layouts: each
// record is written out here word by word (eleven little-endian 32-bit
// words; weeks and weekdays worked out from the calendar) and must be the
// bytes the library writes on any host, and must load back into the value.
// The record of CellFmtData is checked in tests/CellFormat.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Base/Serialization.h"
#include "DataType/Calendar/DateTime.h"
#include "DataType/DynamicTime/DynamicTime.h"
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

// Records what the library hands to a stream, as text, and hands it back.
class Stream : public QSerialization::WriteDataStream, public QSerialization::ReadDataStream {
 public:
  int WriteDynamicTime(DynamicTime const* d) override {
    return Put("Y", {d->GetDynamicTime(), d->GetDynamicDayOffset(), d->GetDynamicMonthOffset(), d->GetYear(),
                     d->GetMonth(), d->GetDay(), d->GetHour(), d->GetMinute(), d->GetSecond(), d->GetWeek(),
                     d->GetDayOfWeek()});
  }
  int WriteDateTime(DateTime const* d) override {
    dates.push_back(*d);
    return Put("D " + Fields(*d), {});
  }
  int WriteInt(int v) override { return Put("I", {v}); }
  int ReadDynamicTime(DynamicTime* d) override {
    d->PutDynamicTime(static_cast<DYNAMIC_TIME>(Next()));
    d->PutDynamicDayOffset(Next());
    d->PutDynamicMonthOffset(static_cast<short>(Next()));
    for (auto put : {&DynamicTime::PutYear, &DynamicTime::PutMonth, &DynamicTime::PutDay, &DynamicTime::PutHour,
                     &DynamicTime::PutMinute, &DynamicTime::PutSecond, &DynamicTime::PutWeek, &DynamicTime::PutDayOfWeek})
      (d->*put)(Next());
    return 0;
  }
  int ReadDateTime(DateTime* d) override { return *d = dates.at(readDates_++), 0; }
  int ReadInt(int* v) override { return *v = Next(), 0; }
  std::vector<std::string> items;

 private:
  int Put(std::string item, std::initializer_list<int> fields) {
    for (int v : fields) item += " " + std::to_string(v), values.push_back(v);
    items.push_back(item);
    return 0;
  }
  int Next() { return values.at(read_++); }
  std::vector<int> values;
  std::vector<DateTime> dates;
  size_t read_ = 0, readDates_ = 0;
};

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
      {DateTime(2024, 3, 5, 14, 7, 9, 123), true, 0, {-100, 2024, 3, 5, 14, 7, 9, 123, 2, 2, 0}},
      {DateTime(2024, 3, 5, 14, 7, 9, 123), false, 1, {-100, 2024, 3, 5, 14, 7, 9, 123, -1, -1, 1}},
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

// The fields as stored (a static value's in its own zone, a description's).
std::vector<int> StoredFields(VexTime const& v) {
  int kind = 0, dayOffset = 0;
  short monthOffset = 0;
  v.GetDynamicTime(kind);
  v.GetDynamicDayOffset(dayOffset);
  v.GetDynamicMonthOffset(monthOffset);
  return {static_cast<int>(v.GetRealMode()), kind, dayOffset, monthOffset, v.GetYear(false, true),
          v.GetMonth(false, true), v.GetDay(false, true), v.GetWeek(false, true), v.GetDayOfWeek(false, true),
          v.GetHour(false, true), v.GetMinutes(false, true), v.GetSeconds(true), v.GetMilliSeconds()};
}

TEST_F(Records, VexTimeRecordsAndStreamsFollowTheLayout) {
  struct {
    std::function<void(VexTime&)> make;
    Words words;
    std::vector<std::string> stream;
  } const cases[] = {
      {[](VexTime&) {}, {-101, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, {"I -101"}},
      {[](VexTime& v) { v = VexTime(DateTime(2024, 3, 5, 14, 7, 9, 123), TIME_MODE_UTC, true); },
       {-100, 2024, 3, 5, 14, 7, 9, 123, 2, 2, 0},
       {"I 0", "D 2024-03-05 14:07:09.123"}},
      {[](VexTime& v) { v = VexTime(DateTime(1999, 12, 31, 23, 59, 59, 999), TIME_MODE_LOCAL, false); },
       {-100, 1999, 12, 31, 23, 59, 59, 999, 5, 5, 1},
       {"I 1", "D 1999-12-31 23:59:59.999"}},
      {[](VexTime& v) {
         v.PutDynamicTime(DT_RELATIVE_MONTH_DAY);
         v.PutDynamicMonthOffset(-2);
         v.PutDynamicDayOffset(3);
         v.PutMonth(1, false);
         v.PutDay(1, false);
         v.PutHour(8, false);
       },
       {static_cast<int32_t>(0xFFFE0005u), 0, 1, 1, 8, 0, 0, 3, 0, -1, 1},  // kind 5, month offset -2 above it
       {"I 2", "Y 5 3 -2 0 1 1 8 0 0 0 -1"}},
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
       {0x7FFF0002, -1, -13, 400, -5, 77, -59, -123456789, -3, 6, 1},
       {"I 2", "Y 2 -123456789 32767 -1 -13 400 -5 77 -59 -3 6"}},
  };
  for (auto const& c : cases) {
    SCOPED_TRACE(c.stream.back());
    VexTime original;
    c.make(original);
    Bytes record(44);
    ASSERT_EQ(original.SaveObj(44, record.data()), 0);
    EXPECT_EQ(record, LittleEndian(c.words));
    Stream stream;
    EXPECT_EQ(original.SaveToStream(&stream), 0);
    EXPECT_EQ(stream.items, c.stream);
    VexTime fromRecord, fromStream;
    ASSERT_EQ(fromRecord.LoadObj(44, record.data()), 0);
    ASSERT_EQ(fromStream.LoadFromStream(&stream), 0);
    EXPECT_EQ(StoredFields(fromRecord), StoredFields(original));
    EXPECT_EQ(StoredFields(fromStream), StoredFields(original));
  }
}

}  // namespace
}  // namespace QDataType
