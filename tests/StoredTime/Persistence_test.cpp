// VexTime persistence and storage: the 44-byte record, the stream protocol
// (checked with a recording stream), and placement in arenas.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "DataType/StoredTime/VexTime.h"
#include "support/ScopedTZ.h"

namespace QDataType {
namespace {

using Words = std::vector<int32_t>;

Words Save(VexTime const& v) {
  unsigned char record[44];
  EXPECT_EQ(v.SaveObj(sizeof record, record), 0);
  Words words(11);
  for (int i = 0; i < 11; ++i) {
    uint32_t w = 0;
    for (int b = 3; b >= 0; --b) w = w << 8 | record[4 * i + b];
    words[i] = static_cast<int32_t>(w);
  }
  return words;
}

void Load(VexTime& v, Words const& words) {
  unsigned char record[44];
  for (int i = 0; i < 11; ++i)
    for (int b = 0; b < 4; ++b) record[4 * i + b] = static_cast<unsigned char>(static_cast<uint32_t>(words[i]) >> 8 * b);
  ASSERT_EQ(v.LoadObj(sizeof record, record), 0);
}

std::string Stored(VexTime const& v) {
  DateTime d;
  if (v.ToDateTime(v.GetRealMode() == TIME_MODE_UTC, d) != 0) return "none";
  return d.ToString().GetString();
}

TEST(VexTimeRecord, Layouts) {
  EXPECT_EQ(VexTime::GetSaveObjSize(), 44u);
  EXPECT_EQ(Save(VexTime()), (Words{-101, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  VexTime const utc(DateTime(2024, 3, 5, 14, 7, 9, 123), TIME_MODE_UTC, true);
  EXPECT_EQ(Save(utc), (Words{-100, 2024, 3, 5, 14, 7, 9, 123, 2, 2, 0}));
  VexTime const local(DateTime(2024, 6, 30, 23, 59, 59, 999), TIME_MODE_LOCAL, false);
  EXPECT_EQ(Save(local), (Words{-100, 2024, 6, 30, 23, 59, 59, 999, 6, 0, 1}));

  VexTime dyn;
  dyn.PutDynamicTime(DT_RELATIVE_MONTH_DAY);
  dyn.PutDynamicMonthOffset(-2);
  dyn.PutDynamicDayOffset(3);
  dyn.PutYear(-1, true);
  dyn.PutMonth(2, true);
  dyn.PutDay(-3, true);
  dyn.PutHour(4, true);
  dyn.PutMinutes(5, true);
  dyn.PutSeconds(6);
  dyn.PutWeek(-2, true);
  dyn.PutDayOfWeek(5, true, true);
  Words const words = Save(dyn);
  EXPECT_EQ(static_cast<uint32_t>(words[0]), 0xFFFE0005u);
  EXPECT_EQ(words, (Words{words[0], -1, 2, -3, 4, 5, 6, 3, -2, 5, 1}));

  VexTime back(DateTime(2000, 1, 1), TIME_MODE_UTC, true);
  Load(back, words);
  EXPECT_EQ(back.GetRealMode(), TIME_MODE_DYNAMIC);
  int kind = 0, dayOffset = 0;
  short monthOffset = 0;
  EXPECT_EQ(back.GetDynamicTime(kind), 0);
  EXPECT_EQ(back.GetDynamicDayOffset(dayOffset), 0);
  EXPECT_EQ(back.GetDynamicMonthOffset(monthOffset), 0);
  EXPECT_EQ(kind, DT_RELATIVE_MONTH_DAY);
  EXPECT_EQ(dayOffset, 3);
  EXPECT_EQ(monthOffset, -2);
  EXPECT_EQ(Save(back), words);

  // Flags and a positive month offset share word 0.
  VexTime flagged;
  flagged.PutDynamicTime(DT_RELATIVE_DAY | DT_FLAG_BUSINESS_DAYS | DT_FLAG_RELATIVE_HOUR);
  flagged.PutDynamicMonthOffset(0x7FFF);
  EXPECT_EQ(static_cast<uint32_t>(Save(flagged)[0]), 0x7FFF0143u);
  Load(back, Save(flagged));
  EXPECT_EQ(back.GetDynamicTime(kind), 0);
  EXPECT_EQ(kind, 0x143);
}

TEST(VexTimeRecord, LoadingStaticAndUnsetRecords) {
  testing_zone::ScopedTZ tz("UTC");
  VexTime v;
  Load(v, {-100, 2024, 3, 5, 14, 7, 9, 123, 2, 2, 0});
  EXPECT_EQ(v.GetRealMode(), TIME_MODE_UTC);
  EXPECT_EQ(Stored(v), "2024-03-05 14:07:09.123");
  // Week and weekday words are not used; fields are clamped as the
  // DateTime constructor clamps them (low 16 bits, then into range).
  Load(v, {-100, 2023, 13, 40, 24, 0, 0, 0, 77, 77, 1});
  EXPECT_EQ(v.GetRealMode(), TIME_MODE_LOCAL);
  EXPECT_EQ(Stored(v), "2024-01-01 00:00:00.000");  // 24:00 rolls over
  Load(v, {-100, 65536 + 2024, 2, 30, -5, 75, 61, 5000, 0, 0, 1});
  EXPECT_EQ(Stored(v), "2024-02-29 00:59:59.999");
  // A mode word other than 0 and 1 loads as UTC, never as dynamic.
  for (int mode : {2, -101, 7, -1}) {
    Load(v, {-100, 2024, 1, 2, 3, 4, 5, 6, 0, 0, mode});
    EXPECT_EQ(v.GetRealMode(), TIME_MODE_UTC) << mode;
    EXPECT_EQ(Stored(v), "2024-01-02 03:04:05.006");
  }
  Load(v, {-101, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  EXPECT_EQ(v.GetRealMode(), TIME_MODE_UNSET);

  // A description of kind DT_NONE saves as -100 and so loads as a static
  // local value built from its fields.
  VexTime none;
  none.SetReadMode(TIME_MODE_DYNAMIC);
  none.PutDynamicMonthOffset(5);
  none.PutYear(2024, true);
  none.PutMonth(6, true);
  none.PutDay(7, true);
  none.PutHour(8, true);
  Words const words = Save(none);
  EXPECT_EQ(words[0], -100);
  Load(v, words);
  EXPECT_EQ(v.GetRealMode(), TIME_MODE_LOCAL);
  EXPECT_EQ(Stored(v), "2024-06-07 08:00:00.000");
}

TEST(VexTimeRecord, SizesAndNullBuffers) {
  VexTime const v(DateTime(2024, 1, 1), TIME_MODE_UTC, true);
  unsigned char record[48];
  std::memset(record, 0xAB, sizeof record);
  EXPECT_EQ(v.SaveObj(43, record), -1);
  EXPECT_EQ(record[0], 0xAB);
  EXPECT_EQ(v.SaveObj(48, record), 0);
  EXPECT_EQ(record[44], 0xAB);  // exactly 44 bytes
  EXPECT_EQ(v.SaveObj(44, nullptr), -1);
  VexTime w;
  EXPECT_EQ(w.LoadObj(43, record), -1);
  EXPECT_EQ(w.GetRealMode(), TIME_MODE_UNSET);
  EXPECT_EQ(w.LoadObj(48, record), 0);
  EXPECT_EQ(w.GetRealMode(), TIME_MODE_UTC);
  EXPECT_EQ(w.LoadObj(44, nullptr), -1);
}

// --- Streams -------------------------------------------------------------------

// Writes every call into a log and keeps the items, which the reader hands
// back in order.
struct Tape {
  std::vector<std::string> log;
  std::vector<int> ints;
  std::vector<DateTime> dates;
  std::vector<DynamicTime> descriptions;
};

class TapeWriter : public QSerialization::WriteDataStream {
 public:
  explicit TapeWriter(Tape& tape) : tape_(tape) {}
  int WriteDynamicTime(DynamicTime const* value) override {
    tape_.log.push_back("WriteDynamicTime");
    tape_.descriptions.push_back(*value);
    return -7;  // results are not looked at
  }
  int WriteDateTime(DateTime const* value) override {
    tape_.log.push_back("WriteDateTime");
    tape_.dates.push_back(*value);
    return -7;
  }
  int WriteInt(int value) override {
    tape_.log.push_back("WriteInt " + std::to_string(value));
    tape_.ints.push_back(value);
    return -7;
  }

 private:
  Tape& tape_;
};

class TapeReader : public QSerialization::ReadDataStream {
 public:
  explicit TapeReader(Tape const& tape) : tape_(tape) {}
  int ReadDynamicTime(DynamicTime* value) override {
    log.push_back("ReadDynamicTime");
    *value = tape_.descriptions.at(d_++);
    return -7;
  }
  int ReadDateTime(DateTime* value) override {
    log.push_back("ReadDateTime");
    *value = tape_.dates.at(t_++);
    return -7;
  }
  int ReadInt(int* value) override {
    log.push_back("ReadInt");
    *value = tape_.ints.at(i_++);
    return -7;
  }
  std::vector<std::string> log;

 private:
  Tape const& tape_;
  size_t i_ = 0, t_ = 0, d_ = 0;
};

TEST(VexTimeStream, CallSequencesAndRoundTrips) {
  using Log = std::vector<std::string>;
  Tape tape;
  TapeWriter writer(tape);
  VexTime const unset;
  VexTime const local(DateTime(2024, 3, 5, 14, 7, 9, 123), TIME_MODE_LOCAL, false);
  VexTime dyn;
  dyn.PutDynamicTime(DT_THIS_WEEK_FRIDAY);
  dyn.PutDynamicMonthOffset(-4);
  dyn.PutHour(17, false);
  EXPECT_EQ(unset.SaveToStream(&writer), 0);
  EXPECT_EQ(local.SaveToStream(&writer), 0);
  EXPECT_EQ(dyn.SaveToStream(&writer), 0);
  EXPECT_EQ(unset.SaveToStream(nullptr), 0);
  EXPECT_EQ(tape.log, (Log{"WriteInt -101", "WriteInt 1", "WriteDateTime", "WriteInt 2", "WriteDynamicTime"}));

  TapeReader reader(tape);
  VexTime v(DateTime(2000, 1, 1), TIME_MODE_UTC, true);
  EXPECT_EQ(v.LoadFromStream(&reader), 0);
  EXPECT_EQ(v.GetRealMode(), TIME_MODE_UNSET);
  EXPECT_EQ(v.LoadFromStream(&reader), 0);
  EXPECT_EQ(v.GetRealMode(), TIME_MODE_LOCAL);
  EXPECT_EQ(Stored(v), "2024-03-05 14:07:09.123");
  EXPECT_EQ(v.LoadFromStream(&reader), 0);
  EXPECT_TRUE(v == dyn);
  short monthOffset = 0;
  v.GetDynamicMonthOffset(monthOffset);
  EXPECT_EQ(monthOffset, -4);
  EXPECT_EQ(v.GetHour(true, true), 17);
  EXPECT_EQ(reader.log, (Log{"ReadInt", "ReadInt", "ReadDateTime", "ReadInt", "ReadDynamicTime"}));
  EXPECT_EQ(v.LoadFromStream(nullptr), 0);

  // An int outside -101 and 0..2 changes nothing.
  Tape odd;
  odd.ints = {7, -5, 3};
  TapeReader oddReader(odd);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(v.LoadFromStream(&oddReader), 0);
    EXPECT_EQ(v.GetRealMode(), TIME_MODE_DYNAMIC);
  }
  EXPECT_EQ(oddReader.log, (Log{"ReadInt", "ReadInt", "ReadInt"}));
}

// --- Arenas ---------------------------------------------------------------------

TEST(VexTimeArena, PlacementAndReuse) {
  QBase::Arena arena;
  VexTime v(&arena);
  EXPECT_EQ(arena.GetUsedSize(), 0u);
  v.PutDynamicTime(DT_RELATIVE_DAY);
  size_t const afterDynamic = arena.GetUsedSize();
  EXPECT_GE(afterDynamic, sizeof(DynamicTime));
  unsigned char record[44];
  VexTime other;
  other.PutDynamicTime(DT_RELATIVE_WEEK_DAY);
  for (int i = 0; i < 3; ++i) {  // the same kind of object is reused
    other.SaveObj(44, record);
    v.LoadObj(44, record);
    v = other;
    v.PutDynamicTime(DT_RELATIVE_MONTH_DAY);
  }
  EXPECT_EQ(arena.GetUsedSize(), afterDynamic);
  VexTime const date(DateTime(2024, 1, 1), TIME_MODE_UTC, true);
  v = date;
  size_t const afterDate = arena.GetUsedSize();
  EXPECT_EQ(afterDate, afterDynamic + sizeof(DateTime));
  for (int i = 0; i < 3; ++i) {
    v.SetToCurrentTime();
    v.SetReadMode(TIME_MODE_LOCAL);
    date.SaveObj(44, record);
    v.LoadObj(44, record);
  }
  EXPECT_EQ(arena.GetUsedSize(), afterDate);
  EXPECT_TRUE(v == date);

  // Copies take their own arena, never the other's; GetExpiration fills the
  // expiration from its arena.
  QBase::Arena second;
  VexTime copy(v, &second);
  EXPECT_EQ(second.GetUsedSize(), sizeof(DateTime));
  VexTime e(&second);
  VexTime month;
  month.PutDynamicTime(DT_RELATIVE_MONTH_DAY);
  EXPECT_EQ(month.GetExpiration(e), 0);
  EXPECT_EQ(second.GetUsedSize(), 2 * sizeof(DateTime));
  EXPECT_EQ(e.GetRealMode(), TIME_MODE_UTC);
  EXPECT_EQ(arena.GetUsedSize(), afterDate);
}

TEST(VexTimeArena, AnExhaustedArenaLeavesTheValueUnset) {
  QBase::Arena full(sizeof(DateTime) - 1);  // cannot hold either object
  VexTime v(&full);
  v.PutDynamicTime(DT_RELATIVE_DAY);
  EXPECT_EQ(v.GetRealMode(), TIME_MODE_UNSET);
  v.SetToCurrentTime();
  EXPECT_EQ(v.GetRealMode(), TIME_MODE_UNSET);
  EXPECT_EQ(v.SetReadMode(TIME_MODE_UTC), 0);
  EXPECT_EQ(v.GetRealMode(), TIME_MODE_UNSET);
  VexTime const date(DateTime(2024, 1, 1), TIME_MODE_UTC, true);
  v = date;
  EXPECT_EQ(v.GetRealMode(), TIME_MODE_UNSET);
  VexTime built(DateTime(2024, 1, 1), TIME_MODE_LOCAL, false, &full);
  EXPECT_EQ(built.GetRealMode(), TIME_MODE_UNSET);
  VexTime fromDouble(45000.5, 10, TIME_MODE_UTC, true, &full);
  EXPECT_EQ(fromDouble.GetRealMode(), TIME_MODE_UNSET);
  unsigned char record[44];
  date.SaveObj(44, record);
  EXPECT_EQ(v.LoadObj(44, record), 0);
  EXPECT_EQ(v.GetRealMode(), TIME_MODE_UNSET);
  // Every operation answers as for an unset value.
  DateTime d(2001, 1, 1);
  int i = 0;
  EXPECT_EQ(v.ToDateTime(true, d), 1);
  EXPECT_EQ(v.GetYear(true, false), E_TIME_NOT_SET);
  EXPECT_EQ(v.PutHour(1, true), E_TIME_NOT_SET);
  EXPECT_EQ(v.GetDynamicTime(i), E_TIME_NOT_SET);
  EXPECT_EQ(Save(v)[0], -101);
  EXPECT_TRUE(v == VexTime());
  VexTime e(&full);
  VexTime month;
  month.PutDynamicTime(DT_RELATIVE_MONTH_DAY);
  EXPECT_EQ(month.GetExpiration(e), 0);
  EXPECT_EQ(e.GetRealMode(), TIME_MODE_UNSET);
  // Stream items are read all the same, so the stream stays in step.
  Tape tape;
  TapeWriter writer(tape);
  date.SaveToStream(&writer);
  month.SaveToStream(&writer);
  TapeReader reader(tape);
  v.LoadFromStream(&reader);
  v.LoadFromStream(&reader);
  EXPECT_EQ(reader.log, (std::vector<std::string>{"ReadInt", "ReadDateTime", "ReadInt", "ReadDynamicTime"}));
  EXPECT_EQ(v.GetRealMode(), TIME_MODE_UNSET);
}

}  // namespace
}  // namespace QDataType
