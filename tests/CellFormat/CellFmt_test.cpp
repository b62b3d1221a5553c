// CellFmtData and CellFmtStruct against the documented model; the saved
// record against layouts written by Python's struct module
// (tests/data/gen_cellfmt_records.py).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "DataType/DataType.h"

namespace {

using QDataType::CellFmtData;
using QDataType::CellFmtStruct;
using Bytes = std::vector<unsigned char>;

QBase::WString Wide(char const* s) { return QBase::WString(s, s + std::strlen(s)); }

Bytes Saved(CellFmtData const& d) {
  Bytes out(40);
  EXPECT_EQ(d.SaveObj(40, out.data(), 0), 0);
  return out;
}

TEST(CellFmtData, DefaultsEqualityAndOrder) {
  GUID g{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  CellFmtData const d, a(1.0, CellFmtDataTypeNull, g);
  GUID const id = d.GetFmtID();
  EXPECT_TRUE(d.GetValue() == 0.0 && d.GetType() == 1 && d.GetCellFmtStructPtr() == nullptr);
  EXPECT_TRUE(id.Data1 == 0 && id.Data2 == 0 && id.Data3 == 0 && Bytes(id.Data4, id.Data4 + 8) == Bytes(8, 0));
  EXPECT_TRUE(d == CellFmtData());
  CellFmtData b = a, c = a;
  CellFmtStruct fmt;
  b.PutCellFmtStructPtr(&fmt);
  EXPECT_TRUE(a == b);  // the pointer takes no part
  g.Data4[7] ^= 1;
  b.PutFmtID(g);
  c.PutType(static_cast<EnumCellFmtDataTypes>(2));
  EXPECT_FALSE(a == b || a == c);

  auto const value = [](double v) { return CellFmtData(v, CellFmtDataTypeDefault, GUID{}); };
  CellFmtData const z = value(0.0), mz = value(-0.0), n = value(std::numeric_limits<double>::quiet_NaN());
  EXPECT_TRUE(z == mz && !(z < mz) && !(mz < z));
  EXPECT_FALSE(n == n || n < n || n < z || z < n);  // (order by value alone: VariantComparison)
}

TEST(CellFmtData, RecordsFollowTheLayoutAndWrongSizesChangeNothing) {
  std::ifstream in(QDT_TEST_DATA_DIR "/cellfmt_records.txt");
  std::string line;
  int rows = 0;
  for (; std::getline(in, line); ++rows) {
    std::istringstream fields(line);
    uint64_t bits, ptr;
    uint32_t type, d1, d2, d3;
    std::string d4, record;
    fields >> std::hex >> bits >> ptr >> type >> d1 >> d2 >> d3 >> d4 >> record;
    GUID g{d1, static_cast<uint16_t>(d2), static_cast<uint16_t>(d3), {}};
    for (size_t k = 0; k < 8; ++k) g.Data4[k] = static_cast<uint8_t>(std::stoul(d4.substr(2 * k, 2), nullptr, 16));
    double value;
    std::memcpy(&value, &bits, sizeof value);
    CellFmtData d(value, static_cast<EnumCellFmtDataTypes>(static_cast<int32_t>(type)), g);
    d.PutCellFmtStructPtr(reinterpret_cast<CellFmtStruct*>(static_cast<uintptr_t>(ptr)));
    Bytes expected(40, 0);  // reserved bytes written as zeros
    for (size_t k = 0; k < 36; ++k)
      expected[k] = static_cast<uint8_t>(std::stoul(record.substr(2 * k, 2), nullptr, 16));
    ASSERT_EQ(Saved(d), expected) << line;
    expected[37] = 0x5A;  // ignored when read
    CellFmtData loaded;
    ASSERT_EQ(loaded.LoadObj(40, expected.data()), 0);
    EXPECT_TRUE(Saved(loaded) == Saved(d) && loaded.GetCellFmtStructPtr() == d.GetCellFmtStructPtr()) << line;
  }
  EXPECT_EQ(rows, 40);

  CellFmtData const d(3.5, CellFmtDataTypeNull, GUID{9, 8, 7, {6}});
  CellFmtData loaded;
  Bytes buffer(48, 0xEE);
  EXPECT_TRUE(d.SaveObj(39, buffer.data(), 0) == -1 && d.SaveObj(48, nullptr, 0) == -1 && buffer == Bytes(48, 0xEE));
  EXPECT_TRUE(d.SaveObj(48, buffer.data(), 0) == 0 && buffer[40] == 0xEE);  // exactly 40 bytes written
  EXPECT_TRUE(loaded.LoadObj(41, buffer.data()) == -1 && loaded.LoadObj(39, buffer.data()) == -1 &&
              loaded.LoadObj(40, nullptr) == -1 && loaded == CellFmtData() && loaded.GetCellFmtStructPtr() == nullptr);
}

TEST(CellFmtStruct, DefaultsDeepCopiesAndEquality) {
  CellFmtStruct const s;
  EXPECT_EQ(std::make_tuple(s.NumberFormat, s.Text2, s.Text3, s.Text4),
            std::make_tuple(Wide("#,##0"), Wide("I"), Wide(""), Wide("")));
  EXPECT_EQ(std::make_tuple(s.Int1, s.Int2, s.Int3, s.Short1, s.Flag1, s.Short2, s.Short4, s.LocaleId),
            std::make_tuple(0, 16777215, 0, int16_t{2}, uint8_t{0}, int16_t{0}, int16_t{10}, uint16_t{1033}));
  CellFmtStruct c = s;
  c.Short3 = 77;
  EXPECT_TRUE(c == s && CellFmtStruct(c).Short3 == 77);  // Short3 is copied, not compared
  for (auto text : {&CellFmtStruct::NumberFormat, &CellFmtStruct::Text2, &CellFmtStruct::Text3, &CellFmtStruct::Text4}) {
    CellFmtStruct t = s;
    (t.*text).push_back(0);  // only the length differs
    EXPECT_FALSE(t == s);
  }
  c.Text4 = Wide("a text too long for the small-string buffer");
  unsigned short const* const chars = c.Text4.data();
  CellFmtStruct& self = c;
  CellFmtStruct copy;
  c = self;
  copy = c;
  c.Text4[0] = 'A';
  EXPECT_TRUE(c.Text4.data() == chars && copy.Text4[0] == 'a');  // self-assignment leaves the strings; copies are deep
}

}  // namespace
