// Saved records and stream items, byte for byte the same on every host: each
// record kind (DateTime and VexTime, 44 bytes; CellFmtData, 40 bytes) and the
// items of VexTime's streams, made from a fixed set of values, are compared
// with tests/data/records.hex, which was written on x86-64; those bytes load
// back into the values they were made from.
//
// The streams are this test's own: each item is a tag byte ('I' an int, 'D' a
// DateTime, 'Y' a DynamicTime) and its little-endian fields, the DateTime as
// its saved record. They check what the library hands to a stream and takes
// from it, in what order, on any host.
//
// QDT_WRITE_RECORDS=<file> writes the file from this host's bytes instead
// (only ever on x86-64: the file is the reference for the others).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "Base/Serialization.h"
#include "DataType/Calendar/DateTime.h"
#include "DataType/CellFormat/CellFmtData.h"
#include "DataType/DynamicTime/DynamicTime.h"
#include "DataType/StoredTime/VexTime.h"
#include "support/ScopedTZ.h"

namespace QDataType {
namespace {

using Bytes = std::vector<unsigned char>;

std::string Hex(Bytes const& b) {
  static char const digits[] = "0123456789abcdef";
  std::string s;
  for (unsigned char c : b) {
    s += digits[c >> 4];
    s += digits[c & 15];
  }
  return s;
}

Bytes FromHex(std::string const& s) {
  Bytes b;
  for (size_t i = 0; i + 1 < s.size(); i += 2) b.push_back(static_cast<unsigned char>(std::stoul(s.substr(i, 2), nullptr, 16)));
  return b;
}

void PutWord(Bytes& out, int32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(static_cast<uint32_t>(v) >> (8 * i)));
}

int32_t TakeWord(Bytes const& in, size_t& at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | in.at(at + static_cast<size_t>(i));
  at += 4;
  return static_cast<int32_t>(v);
}

// --- The fixed values ------------------------------------------------------------

struct DateCase {
  char const* name;
  DateTime date;
  bool cachesComputed;  // week and weekday asked for before saving
  int mode;
};

std::vector<DateCase> DateCases() {
  return {
      {"datetime/2024-03-05T14:07:09.123/caches/mode0", DateTime(2024, 3, 5, 14, 7, 9, 123), true, 0},
      {"datetime/2024-03-05T14:07:09.123/nocaches/mode1", DateTime(2024, 3, 5, 14, 7, 9, 123), false, 1},
      {"datetime/0001-01-01/caches/mode-7", DateTime(1, 1, 1), true, -7},
      {"datetime/65535-12-31T23:59:59.999/caches/modemax", DateTime(65535, 12, 31, 23, 59, 59, 999), true,
       0x7FFFFFFF},
      {"datetime/1899-12-30/nocaches/modemin", DateTime(), false, INT32_MIN},
  };
}

struct VexCase {
  char const* name;
  std::function<void(VexTime&)> make;
};

std::vector<VexCase> VexCases() {
  return {
      {"vextime/unset", [](VexTime&) {}},
      {"vextime/utc/2024-03-05T14:07:09.123",
       [](VexTime& v) { v = VexTime(DateTime(2024, 3, 5, 14, 7, 9, 123), TIME_MODE_UTC, true); }},
      {"vextime/local/1999-12-31T23:59:59.999",
       [](VexTime& v) { v = VexTime(DateTime(1999, 12, 31, 23, 59, 59, 999), TIME_MODE_LOCAL, false); }},
      {"vextime/dynamic/month-day",
       [](VexTime& v) {
         v.PutDynamicTime(DT_RELATIVE_MONTH_DAY);
         v.PutDynamicMonthOffset(-2);
         v.PutDynamicDayOffset(3);
         v.PutMonth(1, false);
         v.PutDay(1, false);
         v.PutHour(8, false);
       }},
      {"vextime/dynamic/every-field",
       [](VexTime& v) {
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
       }},
  };
}

struct CellCase {
  char const* name;
  uint64_t valueBits;
  uint64_t pointer;
  int32_t type;
  GUID id;
};

std::vector<CellCase> CellCases() {
  return {
      {"cellfmt/default", 0, 0, 1, {}},
      {"cellfmt/negative-zero/null-type", 0x8000000000000000ull, 0x0123456789ABCDEFull, 14,
       {0x01234567u, 0x89AB, 0xCDEF, {1, 2, 3, 4, 5, 6, 7, 8}}},
      {"cellfmt/nan-payload", 0x7FF80000DEADBEEFull, 0xFFFFFFFFFFFFFFFFull, -1,
       {0xFFFFFFFFu, 0xFFFF, 0x0001, {0xFF, 0, 0x80, 0x7F, 0x10, 0x20, 0x30, 0x40}}},
      {"cellfmt/pi/int-max", 0x400921FB54442D18ull, 0x00007F0012345678ull, INT32_MAX,
       {0x80000000u, 0x8000, 0x7FFF, {0xDE, 0xAD, 0xBE, 0xEF, 0xCA, 0xFE, 0xBA, 0xBE}}},
  };
}

CellFmtData MakeCell(CellCase const& c) {
  double value;
  std::memcpy(&value, &c.valueBits, sizeof value);
  CellFmtData cell(value, static_cast<EnumCellFmtDataTypes>(c.type), c.id);
  cell.PutCellFmtStructPtr(reinterpret_cast<CellFmtStruct*>(static_cast<uintptr_t>(c.pointer)));
  return cell;
}

// --- A stream of bytes ---------------------------------------------------------------

class ByteWriter : public QSerialization::WriteDataStream {
 public:
  int WriteDynamicTime(DynamicTime const* d) override {
    bytes.push_back('Y');
    for (int32_t v : {static_cast<int32_t>(d->GetDynamicTime()), d->GetDynamicDayOffset(),
                      static_cast<int32_t>(d->GetDynamicMonthOffset()), d->GetYear(), d->GetMonth(), d->GetDay(),
                      d->GetHour(), d->GetMinute(), d->GetSecond(), d->GetWeek(), d->GetDayOfWeek()}) {
      PutWord(bytes, v);
    }
    return 0;
  }
  int WriteDateTime(DateTime const* d) override {
    bytes.push_back('D');
    unsigned char record[44];
    EXPECT_EQ(d->SaveObj(sizeof record, record, 0), 0);
    bytes.insert(bytes.end(), record, record + sizeof record);
    return 0;
  }
  int WriteInt(int v) override {
    bytes.push_back('I');
    PutWord(bytes, v);
    return 0;
  }
  Bytes bytes;
};

class ByteReader : public QSerialization::ReadDataStream {
 public:
  explicit ByteReader(Bytes bytes) : bytes_(std::move(bytes)) {}
  int ReadDynamicTime(DynamicTime* d) override {
    Expect('Y');
    d->PutDynamicTime(static_cast<DYNAMIC_TIME>(Word()));
    d->PutDynamicDayOffset(Word());
    d->PutDynamicMonthOffset(static_cast<short>(Word()));
    d->PutYear(Word());
    d->PutMonth(Word());
    d->PutDay(Word());
    d->PutHour(Word());
    d->PutMinute(Word());
    d->PutSecond(Word());
    d->PutWeek(Word());
    d->PutDayOfWeek(Word());
    return 0;
  }
  int ReadDateTime(DateTime* d) override {
    Expect('D');
    Bytes record(bytes_.begin() + static_cast<long>(at_), bytes_.begin() + static_cast<long>(at_ + 44));
    at_ += 44;
    EXPECT_EQ(d->LoadObj(44, record.data(), false), 0);
    return 0;
  }
  int ReadInt(int* v) override {
    Expect('I');
    *v = Word();
    return 0;
  }
  bool AtEnd() const { return at_ == bytes_.size(); }

 private:
  void Expect(char tag) { EXPECT_EQ(bytes_.at(at_++), static_cast<unsigned char>(tag)); }
  int32_t Word() { return TakeWord(bytes_, at_); }
  Bytes bytes_;
  size_t at_ = 0;
};

// --- Making and reading the bytes --------------------------------------------------------

Bytes SaveDate(DateCase const& c) {
  DateTime d = c.date;
  if (c.cachesComputed) {
    d.GetWeek();
    d.GetDayOfWeek();
  }
  Bytes b(44);
  EXPECT_EQ(d.SaveObj(44, b.data(), c.mode), 0);
  return b;
}

Bytes SaveVex(VexTime const& v) {
  Bytes b(44);
  EXPECT_EQ(v.SaveObj(44, b.data()), 0);
  return b;
}

Bytes SaveCell(CellFmtData const& c) {
  Bytes b(40);
  EXPECT_EQ(c.SaveObj(40, b.data(), 0), 0);
  return b;
}

// Every record and stream this host makes from the fixed values, by name.
std::map<std::string, Bytes> MakeAll() {
  std::map<std::string, Bytes> all;
  for (DateCase const& c : DateCases()) all[c.name] = SaveDate(c);
  for (VexCase const& c : VexCases()) {
    VexTime v;
    c.make(v);
    all[c.name] = SaveVex(v);
    ByteWriter stream;
    EXPECT_EQ(v.SaveToStream(&stream), 0);
    all[std::string("stream/") + c.name] = stream.bytes;
  }
  for (CellCase const& c : CellCases()) all[c.name] = SaveCell(MakeCell(c));
  return all;
}

std::map<std::string, Bytes> const& Reference() {
  static std::map<std::string, Bytes> const reference = [] {
    std::map<std::string, Bytes> m;
    std::ifstream in(QDT_TEST_DATA_DIR "/records.hex");
    std::string line;
    while (std::getline(in, line)) {
      if (line.empty() || line[0] == '#') continue;
      std::istringstream fields(line);
      std::string name, hex;
      fields >> name >> hex;
      m[name] = FromHex(hex);
    }
    return m;
  }();
  return reference;
}

Bytes const& Expected(std::string const& name) {
  static Bytes const none;
  auto const it = Reference().find(name);
  return it == Reference().end() ? none : it->second;
}

// The local wall time never takes part in these values; a fixed rule keeps
// it that way should one of them ever convert.
class Records : public ::testing::Test {
 protected:
  testing_zone::ScopedTZ tz_{testing_zone::kCentralEurope};
};

TEST_F(Records, WriteReference) {
  char const* path = std::getenv("QDT_WRITE_RECORDS");
  if (path == nullptr || *path == '\0') GTEST_SKIP() << "QDT_WRITE_RECORDS not set";
  std::ofstream out(path);
  out << "# Saved records and stream items written on x86-64 by tests/Records (QDT_WRITE_RECORDS);\n"
         "# every host must write the same bytes. One per line: name, bytes in hex.\n";
  for (auto const& [name, bytes] : MakeAll()) out << name << ' ' << Hex(bytes) << '\n';
  ASSERT_TRUE(out.good());
}

// Every record and stream is in the file, and nothing else is.
TEST_F(Records, SameBytesAsTheReference) {
  ASSERT_FALSE(Reference().empty()) << QDT_TEST_DATA_DIR "/records.hex is missing";
  auto const all = MakeAll();
  for (auto const& [name, bytes] : all) EXPECT_EQ(Hex(bytes), Hex(Expected(name))) << name;
  for (auto const& entry : Reference()) EXPECT_EQ(all.count(entry.first), 1u) << "unknown: " << entry.first;
}

// Spot checks of the reference against the documented layout (little-endian
// words), so that the file is right, not only the same everywhere.
TEST_F(Records, ReferenceFollowsTheLayout) {
  Bytes const& utc = Expected("vextime/utc/2024-03-05T14:07:09.123");
  ASSERT_EQ(utc.size(), 44u);
  size_t at = 0;
  std::vector<int32_t> words;
  while (at < utc.size()) words.push_back(TakeWord(utc, at));
  EXPECT_EQ(words, (std::vector<int32_t>{-100, 2024, 3, 5, 14, 7, 9, 123, 2, 2, 0}));
  EXPECT_EQ(Hex(Bytes(utc.begin(), utc.begin() + 8)), "9cffffffe8070000");
  EXPECT_EQ(Hex(Bytes(Expected("vextime/unset").begin(), Expected("vextime/unset").begin() + 4)), "9bffffff");
  EXPECT_EQ(Hex(Expected("datetime/65535-12-31T23:59:59.999/caches/modemax")).substr(8, 8), "ffff0000");
  EXPECT_EQ(Hex(Expected("vextime/dynamic/month-day")).substr(0, 8), "0500feff");  // kind 5, month offset -2
  Bytes const& cell = Expected("cellfmt/negative-zero/null-type");
  ASSERT_EQ(cell.size(), 40u);
  EXPECT_EQ(Hex(Bytes(cell.begin(), cell.begin() + 36)),
            "0000000000000080efcdab8967452301"  // -0.0, the pointer
            "0e000000" "67452301" "ab89" "efcd"  // type 14, Data1, Data2, Data3
            "0102030405060708");
  EXPECT_EQ(Hex(Expected("stream/vextime/unset")), "499bffffff");  // 'I', -101
}

TEST_F(Records, DateTimeRecordsLoadBack) {
  for (DateCase const& c : DateCases()) {
    SCOPED_TRACE(c.name);
    Bytes record = Expected(c.name);
    ASSERT_EQ(record.size(), 44u);
    DateTime d(2000, 1, 1);
    ASSERT_EQ(d.LoadObj(44, record.data(), true), 0);
    Bytes again(44);  // the caches as loaded, computed or not
    ASSERT_EQ(d.SaveObj(44, again.data(), c.mode), 0);
    EXPECT_EQ(Hex(again), Hex(record));
    EXPECT_EQ(d.ToString().GetString(), std::string(c.date.ToString().GetString()));
    EXPECT_EQ(d.GetWeek(), c.date.GetWeek());
    EXPECT_EQ(d.GetDayOfWeek(), c.date.GetDayOfWeek());
  }
}

// The fields as stored (a static value's in its own zone, a description's).
std::vector<int> StoredFields(VexTime const& v) {
  return {v.GetYear(false, true), v.GetMonth(false, true),     v.GetDay(false, true),
          v.GetWeek(false, true), v.GetDayOfWeek(false, true), v.GetHour(false, true),
          v.GetMinutes(false, true), v.GetSeconds(true),        v.GetMilliSeconds()};
}

TEST_F(Records, VexTimeRecordsAndStreamsLoadBack) {
  for (VexCase const& c : VexCases()) {
    SCOPED_TRACE(c.name);
    VexTime original;
    c.make(original);
    int kind = 0, wantKind = 0, dayOffset = 0, wantDayOffset = 0;
    short monthOffset = 0, wantMonthOffset = 0;
    original.GetDynamicTime(wantKind);
    original.GetDynamicDayOffset(wantDayOffset);
    original.GetDynamicMonthOffset(wantMonthOffset);

    Bytes record = Expected(c.name);
    ASSERT_EQ(record.size(), 44u);
    VexTime fromRecord;
    ASSERT_EQ(fromRecord.LoadObj(44, record.data()), 0);
    ByteReader stream(Expected(std::string("stream/") + c.name));
    VexTime fromStream;
    ASSERT_EQ(fromStream.LoadFromStream(&stream), 0);
    EXPECT_TRUE(stream.AtEnd());

    for (VexTime const* loaded : {&fromRecord, &fromStream}) {
      EXPECT_EQ(loaded->GetRealMode(), original.GetRealMode());
      EXPECT_EQ(Hex(SaveVex(*loaded)), Hex(record));
      loaded->GetDynamicTime(kind);
      EXPECT_EQ(kind, wantKind);
      if (original.GetRealMode() == TIME_MODE_DYNAMIC) {
        loaded->GetDynamicDayOffset(dayOffset);
        loaded->GetDynamicMonthOffset(monthOffset);
        EXPECT_EQ(dayOffset, wantDayOffset);
        EXPECT_EQ(monthOffset, wantMonthOffset);
      }
      EXPECT_EQ(StoredFields(*loaded), StoredFields(original));
    }
  }
}

TEST_F(Records, CellFmtRecordsLoadBack) {
  for (CellCase const& c : CellCases()) {
    SCOPED_TRACE(c.name);
    Bytes record = Expected(c.name);
    ASSERT_EQ(record.size(), 40u);
    CellFmtData cell(7.5, static_cast<EnumCellFmtDataTypes>(3), GUID{9, 9, 9, {9}});
    ASSERT_EQ(cell.LoadObj(40, record.data()), 0);
    double const value = cell.GetValue();
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    EXPECT_EQ(bits, c.valueBits);
    EXPECT_EQ(static_cast<uint64_t>(reinterpret_cast<uintptr_t>(cell.GetCellFmtStructPtr())), c.pointer);
    EXPECT_EQ(static_cast<int32_t>(cell.GetType()), c.type);
    GUID const id = cell.GetFmtID();
    EXPECT_EQ(id.Data1, c.id.Data1);
    EXPECT_EQ(id.Data2, c.id.Data2);
    EXPECT_EQ(id.Data3, c.id.Data3);
    EXPECT_EQ(std::memcmp(id.Data4, c.id.Data4, 8), 0);
  }
}

}  // namespace
}  // namespace QDataType
