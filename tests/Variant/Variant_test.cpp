#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <clocale>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "DataType/DataType.h"
#include "Variant/VariantTestPeer.h"
#include "support/HugeBlob.h"

namespace {

using namespace QDataType;
using QBase::WString;
using Texts = std::vector<std::string>;

WString W(char16_t const* s) {
  WString w;
  for (; *s != 0; ++s) w.push_back(static_cast<unsigned short>(*s));
  return w;
}
// A returned text, or "<null>" for one made from a null pointer.
std::string Str(QBase::ReturnString const& s) { return s.GetString() == nullptr ? "<null>" : s.GetString(); }
WString WStr(QBase::ReturnWString const& s) { return s.GetString() == nullptr ? W(u"<null>") : WString(s.GetString()); }

template <class E, class F>
std::string Thrown(F f) {
  try {
    f();
  } catch (E const& e) {
    return e.GetID() == -1 && e.GetDomain() == QBase::MESSAGE_DOMAIN_UNKNOWN ? e.what() : "wrong id or domain";
  }
  return "nothing thrown";
}

// Records every call; refuses Reserve call number `refuseAt` (from 0).
class RecordingContract : public QBase::MemoryContract {
 public:
  explicit RecordingContract(int refuseAt = -1) : refuseAt_(refuseAt) {}
  long AddReference() override { return ++references; }
  long DropReference() override { return --references; }
  int Reserve(size_t size, int flag) override {
    calls.push_back("Reserve(" + std::to_string(size) + "," + std::to_string(flag) + ")");
    return reserves_++ == refuseAt_ ? 8 : 0;
  }
  int Release(size_t size) override {
    calls.push_back("Release(" + std::to_string(size) + ")");
    return 0;
  }
  void RefuseFrom(int call) { refuseAt_ = reserves_ + call; }
  Texts calls;
  long references = 0;

 private:
  int refuseAt_, reserves_ = 0;
};

using Binaries = std::unique_ptr<Binary>;
Binaries Blob(std::vector<unsigned char> const& bytes) { return Binaries(CreateBinary(bytes.data(), bytes.size())); }

DateTime const kWhen(2024, 6, 5, 7, 8, 9, 45);
GUID const kGuid{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};

// ---------------------------------------------------------------------------
// Vectors: tests/data/variant_numbers.txt (gen_variant_numbers.py)

template <class T, class Bits>
T FromBits(std::string const& hex) {
  Bits bits = static_cast<Bits>(std::stoull(hex, nullptr, 16));
  T value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}
template <class T>
std::string Hex(T value) {
  std::conditional_t<sizeof value == 4, uint32_t, uint64_t> bits;  // the value's own width, any byte order
  std::memcpy(&bits, &value, sizeof bits);
  char out[20];
  std::snprintf(out, sizeof out, sizeof value == 4 ? "%08llx" : "%016llx", static_cast<unsigned long long>(bits));
  return out;
}

void Make(Variant& v, std::string const& kind, std::string const& value) {
  if (kind == "SHORT") v = static_cast<short>(std::stoll(value));
  if (kind == "INT") v = static_cast<int>(std::stoll(value));
  if (kind == "LONG") VariantTestPeer::MakeLong(v, static_cast<int32_t>(std::stoll(value)));
  if (kind == "UNSIGNED") v = static_cast<unsigned>(std::stoull(value));
  if (kind == "INT64") v = static_cast<long long>(std::stoll(value));
  if (kind == "FLOAT") v = FromBits<float, uint32_t>(value);
  if (kind == "DOUBLE") v = FromBits<double, uint64_t>(value);
}

using Plain = std::variant<short, int, unsigned, long long, float, double>;
Plain MakePlain(std::string const& type, std::string const& value) {
  if (type == "short") return static_cast<short>(std::stoll(value));
  if (type == "int") return static_cast<int>(std::stoll(value));
  if (type == "unsigned") return static_cast<unsigned>(std::stoull(value));
  if (type == "longlong") return static_cast<long long>(std::stoll(value));
  if (type == "float") return FromBits<float, uint32_t>(value);
  return FromBits<double, uint64_t>(value);
}

std::vector<std::vector<std::string>> Vectors(char tag) {
  std::ifstream in(QDT_TEST_DATA_DIR "/variant_numbers.txt");
  std::vector<std::vector<std::string>> rows;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] != tag) continue;
    std::istringstream fields(line.substr(2));
    rows.emplace_back();
    for (std::string f; fields >> f;) rows.back().push_back(f);
  }
  return rows;
}

// Every conversion and text form of every number kind; a CellFmtData holding
// a double converts like the double.
TEST(VariantConversions, NumberRowsFromVectors) {
  auto const rows = Vectors('C');
  ASSERT_GT(rows.size(), 80u);
  for (auto const& r : rows) {
    SCOPED_TRACE(r[0] + " " + r[1]);
    Variant v;
    Make(v, r[0], r[1]);
    std::vector<Variant> holders(1, v);
    if (r[0] == "DOUBLE") holders.emplace_back(CellFmtData(FromBits<double, uint64_t>(r[1]), CellFmtDataTypeDefault, kGuid), nullptr);
    for (Variant& h : holders) {
      EXPECT_EQ(static_cast<short>(h), std::stoi(r[2]));
      EXPECT_EQ(static_cast<int>(h), std::stoi(r[3]));
      EXPECT_EQ(static_cast<unsigned>(h), std::stoul(r[4]));
      EXPECT_EQ(static_cast<long long>(h), std::stoll(r[5]));
      EXPECT_EQ(Hex(static_cast<float>(h)), r[6]);
      EXPECT_EQ(Hex(static_cast<double>(h)), r[7]);
    }
    EXPECT_EQ(Str(v.ToString()), r[8]);
    EXPECT_EQ(Str(v.ToStringVBBehavior()), r[9]);
    EXPECT_EQ(WStr(v.ToWString()), QBase::UTF8ToWide(r[8].data(), r[8].size()));
    EXPECT_EQ(v.GetStringLength(), r[8].size());
    EXPECT_EQ(v.GetWStringLength(), r[8].size());
    char narrow[400];
    v.ToString(narrow, sizeof narrow);
    EXPECT_EQ(std::string(narrow), r[8]);
  }
}

TEST(VariantComparison, NumbersFromVectors) {
  for (auto const& r : Vectors('E')) {
    Variant v;
    Make(v, r[0], r[1]);
    bool const equal = std::visit([&](auto x) { return v == x; }, MakePlain(r[2], r[3]));
    EXPECT_EQ(equal, r[4] == "1") << r[0] << " " << r[1] << " == " << r[2] << " " << r[3];
  }
  auto const pairs = Vectors('V');
  ASSERT_GT(pairs.size(), 2000u);
  for (auto const& r : pairs) {
    Variant a, b;
    Make(a, r[0], r[1]);
    Make(b, r[2], r[3]);
    EXPECT_TRUE(a.IsTypeComparable(b));
    EXPECT_EQ(a == b, r[4] == "1") << r[0] << " " << r[1] << " == " << r[2] << " " << r[3];
    EXPECT_EQ(a < b, r[5] == "1") << r[0] << " " << r[1] << " < " << r[2] << " " << r[3];
  }
}

// ---------------------------------------------------------------------------
// Model

TEST(VariantModel, KindsAndNull) {
  QBase::Arena arena;
  Variant empty;
  EXPECT_TRUE(empty.GetVarType() == Variant::VAR_EMPTY && empty.IsNull());
  Binaries blob = Blob({1, 2});
  std::pair<Variant, int> const made[] = {
      {Variant(short{1}, &arena), 21}, {Variant(1, &arena), 1},        {Variant(1u, &arena), 2},
      {Variant(1LL, &arena), 34},      {Variant(1.0f, &arena), 7},     {Variant(1.0, &arena), 6},
      {Variant("x", nullptr), 9},      {Variant(W(u"x").c_str(), nullptr), 9},
      {Variant(kWhen, nullptr), 16},   {Variant(BigDecimal("1", nullptr), nullptr), 30},
      {Variant(blob.get(), nullptr), 11}, {Variant(CellFmtData(), nullptr), 31}};
  EXPECT_EQ(arena.GetUsedSize(), 0u);  // numbers live in the object
  for (auto const& m : made) {
    Variant v(m.first);
    EXPECT_EQ(v.GetVarType(), m.second);
    EXPECT_FALSE(v.IsNull());
  }
  EXPECT_TRUE(Variant(CellFmtData(0, CellFmtDataTypeNull, kGuid), nullptr).IsNull());
  Variant fromNull(static_cast<char const*>(nullptr), nullptr);
  EXPECT_EQ(fromNull.GetVarType(), Variant::VAR_WSTRING);
  EXPECT_EQ(*fromNull.GetRawWString(), Variant::String());
  Variant wideNull(static_cast<unsigned short const*>(nullptr), nullptr);
  EXPECT_TRUE(wideNull == "");
  Variant nullBlob(static_cast<Binary const*>(nullptr), nullptr);  // taken as an empty blob
  EXPECT_EQ(nullBlob.ToBinary()->GetSize(), 0u);
  Variant d;
  d.SetTime(kWhen);
  EXPECT_EQ(d.GetVarType(), Variant::VAR_TIME);
  d.SetDate(kWhen);
  EXPECT_EQ(d.GetVarType(), Variant::VAR_DATE);
  EXPECT_EQ(*d.ToDateTime(), kWhen);
}

// Assigning a Variant to itself, or a value that lives inside it, keeps it.
TEST(VariantModel, SelfAndAliasedAssignment) {
  Binaries blob = Blob({7, 8, 9});
  Variant v(W(u"inside").c_str(), nullptr);
  Variant const& self = v;
  v = self;
  v = v.GetRawWString()->c_str();
  EXPECT_TRUE(v == W(u"inside").c_str());
  v = kWhen;
  v = self;
  v = *v.ToDateTime();
  EXPECT_TRUE(v == kWhen);
  v = blob.get();
  v = v.ToBinary();
  v = self;
  EXPECT_TRUE(v == *blob);
  v = BigDecimal("2.50", nullptr);
  v = *v.ToBigDecimal();
  v = self;
  EXPECT_EQ(Str(v.ToString()), "2.50");
  v = CellFmtData(1.5, CellFmtDataTypeDefault, kGuid);
  v = self;
  EXPECT_EQ(static_cast<double>(v), 1.5);
}

TEST(VariantModel, SwapExchangesValuesKindsAndArenasNotContracts) {
  QBase::Arena arena;
  RecordingContract c;
  Variant a(&c);
  a = W(u"heap text").c_str();
  Variant b(5, &arena);
  a.swap(b);
  EXPECT_TRUE(a == 5 && b == W(u"heap text").c_str());
  EXPECT_EQ(VariantTestPeer::GetBuffer(a), &arena);
  EXPECT_EQ(VariantTestPeer::GetBuffer(b), nullptr);
  EXPECT_EQ(VariantTestPeer::GetContract(a), &c);
  EXPECT_EQ(VariantTestPeer::GetContract(b), nullptr);
  size_t const calls = c.calls.size();
  a = W(u"abc").c_str();  // a has an arena now: the contract is not asked
  EXPECT_EQ(c.calls.size(), calls);
  EXPECT_EQ(a.GetRawWString()->get_allocator().GetBuffer(), &arena);
  b.swap(b);
  EXPECT_TRUE(b == W(u"heap text").c_str());
  Variant e;
  e.swap(b);
  EXPECT_TRUE(b.IsNull() && e == W(u"heap text").c_str());
}

// ---------------------------------------------------------------------------
// Governed assignment

TEST(VariantContract, GovernedAssignmentAsksForCharactersAndBytes) {
  RecordingContract c;
  Binaries five = Blob({1, 2, 3, 4, 5});
  {
    Variant v(&c);
    EXPECT_EQ(c.references, 1);
    v = W(u"abc").c_str();
    v = "\xC3\xA9\xE2\x82\xAC";  // two units once converted
    v = five.get();
    v = 3;
    v = 2.5;
    v = kWhen;
    v = BigDecimal("1", nullptr);
    v = CellFmtData();
    v = W(u"abc").c_str();
    Variant copy(v);  // holds the contract too, copies under it
    EXPECT_EQ(c.references, 2);
    copy = five.get();
    Variant source(five.get(), nullptr);  // constructors never ask
    v = source;
  }
  EXPECT_EQ(c.references, 0);
  EXPECT_EQ(c.calls, (Texts{"Reserve(8,1)", "Release(8)", "Reserve(6,1)", "Release(6)", "Reserve(5,1)", "Release(5)",
                            "Reserve(8,1)", "Release(8)", "Reserve(8,1)", "Release(8)", "Reserve(5,1)", "Release(5)",
                            "Reserve(5,1)", "Release(5)"}));
}

TEST(VariantContract, RefusalLeavesTheVariantEmpty) {
  RecordingContract c(1);
  Variant v(&c);
  v = W(u"old").c_str();
  EXPECT_EQ(Thrown<VariantException>([&] { v = W(u"abc").c_str(); }), "Not enough memory left.");
  EXPECT_EQ(v.GetVarType(), Variant::VAR_EMPTY);
  EXPECT_EQ(c.calls, (Texts{"Reserve(8,1)", "Release(8)", "Reserve(8,1)"}));
  Binaries blob = Blob({1, 2, 3});
  for (auto assign : {+[](Variant& x, Binary const* b) { x = b; },
                      +[](Variant& x, Binary const*) { x = "abc"; },
                      +[](Variant& x, Binary const* b) { x = Variant(b, nullptr); }}) {
    v = 1;
    c.RefuseFrom(0);
    EXPECT_EQ(Thrown<VariantException>([&] { assign(v, blob.get()); }), "Not enough memory left.");
    EXPECT_EQ(v.GetVarType(), Variant::VAR_EMPTY);
  }
  // A refused copy constructor gives its contract reference back.
  c.RefuseFrom(1);
  v = "ok";
  EXPECT_EQ(Thrown<VariantException>([&] { Variant copy(v); }), "Not enough memory left.");
  EXPECT_EQ(c.references, 1);
}

TEST(VariantContract, AGrantIsReportedBackWhenTheAllocationFails) {
  RecordingContract c;
  Variant v(&c);
  v = 1;
  testing_blobs::HugeBlob const huge;
  EXPECT_THROW(v = &huge, std::length_error);
  EXPECT_EQ(v.GetVarType(), Variant::VAR_EMPTY);
  std::string const size = std::to_string(huge.GetSize());
  EXPECT_EQ(c.calls, (Texts{"Reserve(" + size + ",1)", "Release(" + size + ")"}));
}

// ---------------------------------------------------------------------------
// Arenas

TEST(VariantArena, OwnedValuesAndCopiesLandInTheArena) {
  QBase::Arena arena;
  WString const text(64, 'x');
  Binaries blob = Blob(std::vector<unsigned char>(100, 1));
  Variant s(text.c_str(), &arena);
  size_t used = arena.GetUsedSize();
  EXPECT_GE(used, sizeof(Variant::String) + 130);
  Variant copy(s);
  EXPECT_EQ(copy.GetRawWString()->get_allocator().GetBuffer(), &arena);
  EXPECT_EQ(arena.GetUsedSize() - used, used);  // the same object and characters again
  used = arena.GetUsedSize();
  copy = blob.get();
  EXPECT_GE(arena.GetUsedSize() - used, 100u);
  for (Variant* v : {&s, &copy}) {
    used = arena.GetUsedSize();
    Variant other(*v);
    other = kWhen;
    other = BigDecimal("123.45", nullptr);
    other = CellFmtData();
    EXPECT_GT(arena.GetUsedSize(), used);
  }
  Variant heap(text.c_str(), nullptr);
  used = arena.GetUsedSize();
  Variant heapCopy(heap);
  EXPECT_EQ(arena.GetUsedSize(), used);
  EXPECT_EQ(heapCopy.GetRawWString()->get_allocator().GetBuffer(), nullptr);
}

TEST(VariantArena, AFullArenaThrowsAndLeavesTheVariantEmpty) {
  QBase::Arena small(sizeof(Variant::String) + 8);
  Variant v(&small);
  v = 1;
  EXPECT_THROW(v = WString(64, 'x').c_str(), std::bad_alloc);
  EXPECT_EQ(v.GetVarType(), Variant::VAR_EMPTY);
  QBase::Arena tiny(4);
  Variant t(&tiny);
  EXPECT_THROW(t = kWhen, std::bad_alloc);
  EXPECT_EQ(t.GetVarType(), Variant::VAR_EMPTY);
}

// ---------------------------------------------------------------------------
// Conversions

TEST(VariantConversions, OnlyIntReadsTheText) {
  std::pair<char16_t const*, int> const cases[] = {
      {u" 42abc", 42},          {u"\t\n\v\f\r-17x", -17}, {u"+5", 5},           {u"--5", 0},
      {u"- 5", 0},              {u"", 0},                 {u"12 34", 12},       {u"0x1A", 0},
      {u"2147483647", INT_MAX}, {u"2147483648", INT_MAX}, {u"-2147483648", INT_MIN}, {u"-99999999999999999999", INT_MIN},
      {u"\u00A05", 0},          {u"\u0665", 0},           {u"007", 7}};
  for (auto const& c : cases) {
    Variant v(W(c.first).c_str(), nullptr);
    EXPECT_EQ(static_cast<int>(v), c.second);
    EXPECT_TRUE(static_cast<short>(v) == 0 && static_cast<unsigned>(v) == 0 && static_cast<long long>(v) == 0 &&
                static_cast<float>(v) == 0 && static_cast<double>(v) == 0);
  }
}

TEST(VariantConversions, KindsWithoutANumberGiveZero) {
  Binaries blob = Blob({9});
  std::vector<Variant> holders;
  holders.emplace_back();
  holders.emplace_back(blob.get(), nullptr);
  holders.emplace_back(kWhen, nullptr);
  holders.emplace_back(BigDecimal("12.5", nullptr), nullptr);
  holders.emplace_back().SetDate(kWhen);
  holders.emplace_back().SetTime(kWhen);
  for (int unknown : {0, 5, 40, -7}) VariantTestPeer::MakeUnknown(holders.emplace_back(), unknown);
  for (Variant& v : holders) {
    EXPECT_TRUE(static_cast<short>(v) == 0 && static_cast<int>(v) == 0 && static_cast<unsigned>(v) == 0 &&
                static_cast<long long>(v) == 0 && static_cast<float>(v) == 0 && static_cast<double>(v) == 0);
  }
}

TEST(VariantConversions, ObjectConversionsAcceptOnlyTheirKinds) {
  Binaries blob = Blob({1, 2, 3});
  Variant d(kWhen, nullptr), b(blob.get(), nullptr), n(BigDecimal("1.5", nullptr), nullptr);
  Variant c(CellFmtData(1.5, CellFmtDataTypeDefault, kGuid), nullptr), i(7, nullptr);
  DateTime const copy = d;  // copy-initialised: DateTime(double) would compete
  EXPECT_EQ(copy, kWhen);
  EXPECT_EQ(d.ToDateTime(), d.ToDateTime());  // the held object itself
  EXPECT_TRUE(b.ToBinary()->IsEqual(*blob));
  EXPECT_EQ(n.ToBigDecimal()->Scale(), 1);
  CellFmtData const cell = c;
  EXPECT_TRUE(cell == CellFmtData(1.5, CellFmtDataTypeDefault, kGuid));
  for (Variant* v : {&i, &b, &n, &c}) {
    EXPECT_EQ(Thrown<VariantException>([&] { v->ToDateTime(); }), "Cannot convert to DateTime type");
    EXPECT_EQ(Thrown<VariantException>([&] { DateTime x = *v; (void)x; }), "Cannot convert to DateTime type");
  }
  EXPECT_EQ(Thrown<VariantException>([&] { i.ToBigDecimal(); }), "Cannot convert to BigDecimal type");
  EXPECT_EQ(Thrown<VariantException>([&] { CellFmtData x = n; (void)x; }), "Cannot convert to CellFmtData type");
  EXPECT_EQ(Thrown<VariantException>([&] { d.ToBinary(); }), "Cannot convert to Binary type");
  EXPECT_TRUE(i == 7);  // unchanged
}

// ---------------------------------------------------------------------------
// Comparison of objects and ordering

TEST(VariantComparison, ObjectsAndTheDateAsymmetry) {
  Variant s(W(u"é€").c_str(), nullptr);
  EXPECT_TRUE(s == "\xC3\xA9\xE2\x82\xAC" && s == W(u"é€").c_str());
  EXPECT_FALSE(s == "\xC3\xA9" || s == W(u"é€x").c_str() || s == 0 || s == static_cast<char const*>(nullptr));
  EXPECT_TRUE(Variant("", nullptr) == static_cast<char const*>(nullptr));
  Variant i(3, nullptr);
  EXPECT_FALSE(i == "3" || i == kWhen || i == CellFmtData());

  Variant cell(CellFmtData(3.0, CellFmtDataTypeDefault, kGuid), nullptr);
  EXPECT_FALSE(cell == 3.0 || cell == 3 || i == cell || cell == i);
  EXPECT_TRUE(cell == CellFmtData(3.0, CellFmtDataTypeDefault, kGuid) && cell == Variant(cell));

  Binaries ab = Blob({1, 2}), abc = Blob({1, 2, 3});
  Variant blob(ab.get(), nullptr);
  EXPECT_TRUE(blob == *ab && blob == Variant(ab.get(), nullptr));
  EXPECT_FALSE(blob == *abc || blob == Variant(abc.get(), nullptr) || blob == Variant());

  Variant half(BigDecimal("1.50", nullptr), nullptr);
  EXPECT_TRUE(half == BigDecimal("1.5", nullptr) && half == Variant(BigDecimal("1.5", nullptr), nullptr));
  EXPECT_EQ(Thrown<BigDecimalException>([&] { (void)(half == BigDecimal(nullptr)); }), "Invalid BigDecimal");

  // VAR_DATETIME compares whole values with any date kind; VAR_DATE and
  // VAR_TIME compare their part, and only with their own kind.
  DateTime const otherTime(2024, 6, 5, 23, 0, 0, 0), otherDay(2020, 1, 1, 7, 8, 9, 45);
  Variant full(kWhen, nullptr), date, time, date2, time2;
  date.SetDate(kWhen);
  time.SetTime(kWhen);
  date2.SetDate(otherTime);
  time2.SetTime(otherDay);
  EXPECT_TRUE(full == date && full == time && date == date2 && time == time2);
  EXPECT_FALSE(date == full || time == full || date == time || full == date2 || full == time2);
  EXPECT_TRUE(date == kWhen && time == kWhen);
  EXPECT_FALSE(date2 == kWhen);

  Variant empty;
  EXPECT_TRUE(empty == Variant());
  EXPECT_FALSE(empty == i || i == empty || empty == 0);
}

TEST(VariantComparison, OrderingWithinComparableKinds) {
  Variant empty, i(3, nullptr), big(3LL, nullptr), x(3.5, nullptr);
  EXPECT_TRUE(empty < i && !(i < empty) && !(empty < Variant()));
  EXPECT_FALSE(big < x);  // the right side is truncated to 3 first
  EXPECT_TRUE(i < x);

  auto less = [](char16_t const* a, char16_t const* b) {
    Variant va(W(a).c_str(), nullptr), vb(W(b).c_str(), nullptr);
    return va < vb;
  };
  EXPECT_TRUE(less(u"ab", u"abc") && !less(u"abc", u"ab") && !less(u"ab", u"ab"));
  EXPECT_TRUE(less(u"a", u"\uFFFF") && less(u"\U0001F600", u"\uFFFD"));  // units, not code points
  std::u16string const long1(64, u'q');
  std::u16string long2 = long1;
  for (size_t at : {0u, 5u, 62u, 63u}) {
    long2 = long1;
    long2[at] = u'r';
    EXPECT_TRUE(less(long1.c_str(), long2.c_str()) && !less(long2.c_str(), long1.c_str()));
  }

  Binaries none = Blob({}), one = Blob({1}), high = Blob({0x80}), low = Blob({0x7F, 9});
  Variant vn(none.get(), nullptr), v1(one.get(), nullptr), vh(high.get(), nullptr), vl(low.get(), nullptr);
  EXPECT_TRUE(vn < v1 && !(v1 < vn) && vl < vh && !(vh < vl));

  Variant early(DateTime(2020, 1, 1), nullptr), late;
  late.SetTime(kWhen);
  EXPECT_TRUE(early < late && !(late < early));

  Variant d1(BigDecimal("-0.5", nullptr), nullptr), d2(BigDecimal("0.001", nullptr), nullptr);
  EXPECT_TRUE(d1 < d2 && !(d2 < d1));
  Variant invalid(BigDecimal("x", nullptr), nullptr);
  EXPECT_EQ(Thrown<BigDecimalException>([&] { (void)(invalid < d1); }), "Invalid BigDecimal");

  Variant c1(CellFmtData(1.0, CellFmtDataTypeNull, kGuid), nullptr), c2(CellFmtData(2.0, CellFmtDataTypeDefault, {}), nullptr);
  EXPECT_TRUE(c1 < c2 && !(c2 < c1));
}

TEST(VariantComparison, IncomparableKindsThrow) {
  Binaries blob = Blob({1});
  std::vector<Variant> kinds;
  kinds.emplace_back(1, nullptr);
  kinds.emplace_back(W(u"s").c_str(), nullptr);
  kinds.emplace_back(blob.get(), nullptr);
  kinds.emplace_back(kWhen, nullptr);
  kinds.emplace_back(BigDecimal("1", nullptr), nullptr);
  kinds.emplace_back(CellFmtData(), nullptr);
  kinds.emplace_back();
  VariantTestPeer::MakeUnknown(kinds.back(), 40);
  for (size_t a = 0; a < kinds.size(); ++a) {
    for (size_t b = 0; b < kinds.size(); ++b) {
      bool const comparable = a == b && a != kinds.size() - 1;
      EXPECT_EQ(kinds[a].IsTypeComparable(kinds[b]), comparable || (a == 0 && b == 6)) << a << " " << b;
      if (comparable || (a == 0 && b == 6)) continue;
      EXPECT_EQ(Thrown<VariantException>([&] { (void)(kinds[a] < kinds[b]); }), "Variant types incomparable");
    }
    EXPECT_TRUE(kinds[a].IsTypeComparable(Variant()) && Variant().IsTypeComparable(kinds[a]));
  }
  EXPECT_FALSE(Variant(1, nullptr) < kinds[6]);  // a number with an unknown kind: its value is 0
}

// ---------------------------------------------------------------------------
// Text

TEST(VariantText, FormsPerKind) {
  Variant s(W(u"é€\U0001F600").c_str(), nullptr);
  EXPECT_EQ(Str(s.ToString()), "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ(s.GetStringLength(), 9u);  // bytes
  EXPECT_EQ(s.GetWStringLength(), 4u);  // 16-bit units
  EXPECT_EQ(WStr(s.ToWString()), W(u"é€\U0001F600"));
  Variant lone(W(u"\xD800x").c_str(), nullptr);
  EXPECT_EQ(Str(lone.ToStringVBBehavior()), "\xEF\xBF\xBDx");
  EXPECT_EQ(lone.GetStringLength(), 4u);

  for (int kind : {14, 15, 16}) {
    Variant d(kWhen, nullptr);
    if (kind == 14) d.SetDate(kWhen);
    if (kind == 15) d.SetTime(kWhen);
    EXPECT_EQ(Str(d.ToString()), "2024-06-05 07:08:09.045");
    EXPECT_EQ(Str(d.ToStringVBBehavior()), "6/5/2024");
    EXPECT_EQ(WStr(d.ToWString()), W(u"2024-06-05 07:08:09.045"));
    EXPECT_TRUE(d.GetStringLength() == 23 && d.GetWStringLength() == 23);
  }
  Variant n(BigDecimal("-1.50", nullptr), nullptr);
  EXPECT_EQ(Str(n.ToString()) + Str(n.ToStringVBBehavior()), "-1.50-1.50");
  EXPECT_EQ(WStr(n.ToWString()), W(u"-1.50"));
  EXPECT_TRUE(n.GetStringLength() == 5 && n.GetWStringLength() == 5);
  Variant invalid(BigDecimal("1,5", nullptr), nullptr);
  EXPECT_EQ(Thrown<BigDecimalException>([&] { invalid.ToString(); }), "Invalid BigDecimal");

  Binaries blob = Blob({65, 66});
  Variant b(blob.get(), nullptr);
  Variant c(CellFmtData(1.5, CellFmtDataTypeDefault, kGuid), nullptr);
  EXPECT_EQ(Str(b.ToString()) + Str(b.ToStringVBBehavior()) + Str(c.ToString()) + Str(c.ToStringVBBehavior()),
            "<null><null><null><null>");
  EXPECT_EQ(WStr(b.ToWString()), W(u"<null>"));
  EXPECT_EQ(WStr(c.ToWString()), W(u"1.500000"));
  Variant empty, unknown;
  VariantTestPeer::MakeUnknown(unknown, 5);
  for (Variant* v : {&empty, &unknown}) {
    EXPECT_EQ(Str(v->ToString()) + Str(v->ToStringVBBehavior()) + "|", "|");
    EXPECT_TRUE(v->ToWString().GetString() != nullptr && v->ToWString().GetLength() == 0);
  }
  for (Variant* v : {&b, &c, &empty, &unknown}) {
    EXPECT_TRUE(v->GetStringLength() == 0 && v->GetWStringLength() == 0);
    char narrow[4] = "zzz";
    unsigned short wide[4] = {'z', 'z', 'z', 0};
    v->ToString(narrow, 4);
    v->ToWString(wide, 4);
    EXPECT_TRUE(narrow[0] == 0 && narrow[1] == 'z' && wide[0] == 0 && wide[1] == 'z');
  }
  EXPECT_EQ(Variant(1, nullptr).GetRawWString(), nullptr);
  EXPECT_EQ(s.GetRawWString()->size(), 4u);
}

// At most size - 1 units and a terminator; nothing at all for size 0 or null.
TEST(VariantText, BufferFormsNeverWritePastSize) {
  std::vector<Variant> fives;
  fives.emplace_back(12345, nullptr);
  fives.emplace_back("12345", nullptr);
  fives.emplace_back(BigDecimal("12345", nullptr), nullptr);
  for (Variant& v : fives) {
    for (unsigned size : {0u, 1u, 2u, 4u, 5u, 6u, 7u}) {
      char narrow[10];
      unsigned short wide[10];
      std::memset(narrow, '#', sizeof narrow);
      std::fill(wide, wide + 10, '#');
      v.ToString(narrow, size);
      v.ToWString(wide, size);
      size_t const kept = size == 0 ? 0 : std::min<size_t>(size - 1, 5);
      std::string const want = std::string("12345").substr(0, kept);
      EXPECT_EQ(std::string(narrow, kept), want);
      for (unsigned k = 0; k < kept; ++k) EXPECT_EQ(wide[k], static_cast<unsigned short>(want[k]));
      for (unsigned k = size == 0 ? 0 : kept + 1; k < 10; ++k) EXPECT_TRUE(narrow[k] == '#' && wide[k] == '#');
      if (size != 0) {
        EXPECT_TRUE(narrow[kept] == 0 && wide[kept] == 0);
      }
    }
    v.ToString(nullptr, 4);
    v.ToWString(nullptr, 4);
  }
}

// Numbers follow the C locale's decimal separator.
TEST(VariantText, NumbersInACommaLocale) {
  ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr);
  Variant d(2.5, nullptr), c(CellFmtData(1.5, CellFmtDataTypeDefault, kGuid), nullptr);
  std::string const plain = Str(d.ToString()), general = Str(d.ToStringVBBehavior());
  WString const wide = WStr(d.ToWString()), cell = WStr(c.ToWString());
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(plain + " " + general, "2,500000000000000 2,5");
  EXPECT_EQ(wide, W(u"2,500000000000000"));
  EXPECT_EQ(cell, W(u"1,500000"));
}

}  // namespace
