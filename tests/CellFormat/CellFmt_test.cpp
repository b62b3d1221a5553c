#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "DataType/DataType.h"

namespace {

using QDataType::CellFmtData;
using QDataType::CellFmtStruct;
using W = QBase::WString;

W Wide(char const* s) { return W(s, s + std::strlen(s)); }

bool SameFields(CellFmtData const& a, CellFmtData const& b) {
  GUID const x = a.GetFmtID(), y = b.GetFmtID();
  double const u = a.GetValue(), v = b.GetValue();
  return std::memcmp(&u, &v, sizeof u) == 0 && a.GetCellFmtStructPtr() == b.GetCellFmtStructPtr() &&
         a.GetType() == b.GetType() && std::memcmp(&x, &y, sizeof x) == 0;
}

TEST(CellFmtData, DefaultsEqualityAndOrder) {
  CellFmtData const d;
  EXPECT_EQ(d.GetType(), CellFmtDataTypeDefault);
  EXPECT_EQ(d.GetValue(), 0.0);
  EXPECT_EQ(d.GetCellFmtStructPtr(), nullptr);
  GUID const zero{}, id = d.GetFmtID();
  EXPECT_EQ(std::memcmp(&id, &zero, sizeof id), 0);
  EXPECT_TRUE(d == CellFmtData());

  GUID g{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  CellFmtData a(1.0, CellFmtDataTypeNull, g), b = a;
  CellFmtStruct fmt;
  b.PutCellFmtStructPtr(&fmt);
  EXPECT_TRUE(a == b);  // the pointer takes no part
  g.Data4[7] ^= 1;
  b.PutFmtID(g);
  EXPECT_FALSE(a == b);
  b = a;
  b.PutType(static_cast<EnumCellFmtDataTypes>(2));
  EXPECT_FALSE(a == b);

  double const nan = std::numeric_limits<double>::quiet_NaN();
  CellFmtData const z(0.0, CellFmtDataTypeDefault, GUID{}), mz(-0.0, CellFmtDataTypeDefault, GUID{});
  CellFmtData const n(nan, CellFmtDataTypeDefault, GUID{});
  EXPECT_TRUE(z == mz);
  EXPECT_FALSE(n == n);
  EXPECT_FALSE(n < n);
  EXPECT_FALSE(n < z);
  EXPECT_FALSE(z < n);
  CellFmtData const two(2.0, static_cast<EnumCellFmtDataTypes>(99), g);
  EXPECT_TRUE(a < two);  // type and GUID take no part
  EXPECT_FALSE(two < a);
  EXPECT_FALSE(z < mz);
}

TEST(CellFmtData, RecordMatchesIndependentLayout) {
  std::ifstream in(QDT_TEST_DATA_DIR "/cellfmt_records.txt");
  ASSERT_TRUE(in) << "missing cellfmt_records.txt";
  std::string line;
  int rows = 0;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    uint64_t bits, ptr;
    uint32_t type, d1, d2, d3;
    std::string d4, record;
    fields >> std::hex >> bits >> ptr >> type >> d1 >> d2 >> d3 >> d4 >> record;
    ASSERT_EQ(record.size(), 72u);
    GUID g{d1, static_cast<uint16_t>(d2), static_cast<uint16_t>(d3), {}};
    for (int k = 0; k < 8; ++k) g.Data4[k] = static_cast<uint8_t>(std::stoul(d4.substr(2 * k, 2), nullptr, 16));
    double value;
    std::memcpy(&value, &bits, sizeof value);
    CellFmtData d(value, static_cast<EnumCellFmtDataTypes>(static_cast<int32_t>(type)), g);
    d.PutCellFmtStructPtr(reinterpret_cast<CellFmtStruct*>(static_cast<uintptr_t>(ptr)));

    std::vector<unsigned char> saved(41, 0xEE);
    ASSERT_EQ(d.SaveObj(40, saved.data(), 0), 0);
    for (int k = 0; k < 36; ++k)
      ASSERT_EQ(saved[k], std::stoul(record.substr(2 * k, 2), nullptr, 16)) << line << " byte " << k;
    EXPECT_EQ(saved[40], 0xEE);  // exactly 40 bytes written

    CellFmtData loaded;
    saved[37] = 0x5A;  // reserved bytes are ignored
    ASSERT_EQ(loaded.LoadObj(40, saved.data()), 0);
    EXPECT_TRUE(SameFields(loaded, d)) << line;
    ++rows;
  }
  EXPECT_EQ(rows, 40);
}

TEST(CellFmtData, WrongSizesChangeNothing) {
  CellFmtData const d(3.5, CellFmtDataTypeNull, GUID{9, 8, 7, {6}});
  std::vector<unsigned char> buffer(48, 0xEE);
  EXPECT_EQ(d.SaveObj(39, buffer.data(), 0), -1);
  EXPECT_EQ(buffer, std::vector<unsigned char>(48, 0xEE));
  EXPECT_EQ(d.SaveObj(48, nullptr, 0), -1);
  ASSERT_EQ(d.SaveObj(48, buffer.data(), 0), 0);
  EXPECT_EQ(buffer[40], 0xEE);
  CellFmtData loaded;
  EXPECT_EQ(loaded.LoadObj(41, buffer.data()), -1);
  EXPECT_EQ(loaded.LoadObj(39, buffer.data()), -1);
  EXPECT_EQ(loaded.LoadObj(40, nullptr), -1);
  EXPECT_TRUE(SameFields(loaded, CellFmtData()));
}

TEST(CellFmtStruct, DefaultsCopiesAndEquality) {
  CellFmtStruct const s;
  EXPECT_EQ(s.NumberFormat, Wide("#,##0"));
  EXPECT_EQ(s.Text2, Wide("I"));
  EXPECT_TRUE(s.Text3.empty() && s.Text4.empty());
  EXPECT_EQ(s.Int1, 0);
  EXPECT_EQ(s.Int2, 16777215);
  EXPECT_EQ(s.Int3, 0);
  EXPECT_EQ(s.Short1, 2);
  EXPECT_EQ(s.Flag1, 0);
  EXPECT_EQ(s.Short2, 0);
  EXPECT_EQ(s.Short4, 10);
  EXPECT_EQ(s.LocaleId, 1033);

  CellFmtStruct c = s;
  EXPECT_TRUE(c == s);
  c.Short3 = 77;
  EXPECT_TRUE(c == s);
  CellFmtStruct copy(c);
  EXPECT_EQ(copy.Short3, 77);  // copied, only not compared
  for (W CellFmtStruct::*text : {&CellFmtStruct::NumberFormat, &CellFmtStruct::Text2, &CellFmtStruct::Text3,
                                 &CellFmtStruct::Text4}) {
    CellFmtStruct t = s;
    (t.*text).push_back(0);  // only the length differs
    EXPECT_FALSE(t == s);
    t = s;
    EXPECT_TRUE(t == s);
  }
  CellFmtStruct u;
  u.LocaleId = 1031;
  EXPECT_FALSE(u == s);

  c.Text4 = Wide("a long text that does not fit in a small-string buffer");
  unsigned short const* const chars = c.Text4.data();
  CellFmtStruct& self = c;
  c = self;
  EXPECT_EQ(c.Text4.data(), chars);  // self-assignment leaves the strings alone
  copy = c;
  c.Text4[0] = 'A';
  EXPECT_EQ(copy.Text4[0], 'a');  // deep copy
}

}  // namespace
