// Variant against its documented model. The number kinds' conversions, texts,
// equality and ordering come from tests/data/variant_numbers.txt, computed
// cell by cell with exact rational arithmetic by gen_variant_numbers.py.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <clocale>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <variant>

#include "DataType/DataType.h"
#include "Collections/RecordingContract.h"
#include "Variant/VariantTestPeer.h"
#include "support/HugeBlob.h"

namespace {

using namespace QDataType;
using QBase::WString;
using Texts = std::vector<std::string>;

WString W(char16_t const* s) { return WString(s, s + std::char_traits<char16_t>::length(s)); }
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

using testing_contracts::RecordingContract;

using Binaries = std::unique_ptr<Binary>;
Binaries Blob(std::vector<unsigned char> const& bytes) { return Binaries(CreateBinary(bytes.data(), bytes.size())); }

DateTime const kWhen(2024, 6, 5, 7, 8, 9, 45);
GUID const kGuid{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};

template <class T, class Bits>
T FromBits(std::string const& hex) {
  Bits const bits = static_cast<Bits>(std::stoull(hex, nullptr, 16));
  T value;
  return *static_cast<T*>(std::memcpy(&value, &bits, sizeof value));
}
template <class T>
std::string Hex(T value) {
  std::conditional_t<sizeof value == 4, uint32_t, uint64_t> bits;
  std::memcpy(&bits, &value, sizeof bits);
  char out[20];
  std::snprintf(out, sizeof out, sizeof value == 4 ? "%08llx" : "%016llx", static_cast<unsigned long long>(bits));
  return out;
}

std::variant<short, int, unsigned, long long, float, double> MakePlain(std::string const& type, std::string const& value) {
  if (type == "short") return static_cast<short>(std::stoll(value));
  if (type == "int") return static_cast<int>(std::stoll(value));
  if (type == "unsigned") return static_cast<unsigned>(std::stoull(value));
  if (type == "longlong") return static_cast<long long>(std::stoll(value));
  if (type == "float") return FromBits<float, uint32_t>(value);
  return FromBits<double, uint64_t>(value);
}

Variant Make(std::string const& kind, std::string const& value) {
  static std::map<std::string, std::string> const plain{{"SHORT", "short"},   {"INT", "int"},         {"LONG", "int"},
                                                         {"UNSIGNED", "unsigned"}, {"INT64", "longlong"}, {"FLOAT", "float"},
                                                         {"DOUBLE", "double"}};
  Variant v;
  std::visit([&](auto x) { v = x; }, MakePlain(plain.at(kind), value));
  if (kind == "LONG") VariantTestPeer::MakeLong(v, static_cast<int>(v));
  return v;
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
TEST(VariantNumbers, ConversionsAndTextsFromVectors) {
  auto const rows = Vectors('C');
  ASSERT_GT(rows.size(), 80u);
  for (auto const& r : rows) {
    SCOPED_TRACE(r[0] + " " + r[1]);
    Variant const v = Make(r[0], r[1]);
    std::vector<Variant> holders(1, v);
    if (r[0] == "DOUBLE") holders.emplace_back(CellFmtData(FromBits<double, uint64_t>(r[1]), CellFmtDataTypeDefault, kGuid), nullptr);
    for (Variant const& h : holders) {
      EXPECT_TRUE(static_cast<short>(h) == std::stoi(r[2]) && static_cast<int>(h) == std::stoi(r[3]) &&
                  static_cast<unsigned>(h) == std::stoul(r[4]) && static_cast<long long>(h) == std::stoll(r[5]) &&
                  Hex(static_cast<float>(h)) == r[6] && Hex(static_cast<double>(h)) == r[7]);
    }
    EXPECT_EQ(Str(v.ToString()), r[8]);
    EXPECT_EQ(Str(v.ToStringVBBehavior()), r[9]);
    EXPECT_EQ(WStr(v.ToWString()), QBase::UTF8ToWide(r[8].data(), r[8].size()));
    EXPECT_TRUE(v.GetStringLength() == r[8].size() && v.GetWStringLength() == r[8].size());
    char narrow[400];
    v.ToString(narrow, sizeof narrow);
    EXPECT_EQ(std::string(narrow), r[8]);
  }
}

TEST(VariantNumbers, EqualityAndOrderFromVectors) {
  auto const plain = Vectors('E');
  ASSERT_GT(plain.size(), 3000u);
  for (auto const& r : plain) {
    Variant const v = Make(r[0], r[1]);
    bool const equal = std::visit([&](auto x) { return v == x; }, MakePlain(r[2], r[3]));
    EXPECT_EQ(equal, r[4] == "1") << r[0] << " " << r[1] << " == " << r[2] << " " << r[3];
  }
  auto const pairs = Vectors('V');
  ASSERT_GT(pairs.size(), 2000u);
  for (auto const& r : pairs) {
    Variant const a = Make(r[0], r[1]), b = Make(r[2], r[3]);
    EXPECT_TRUE(a.IsTypeComparable(b));
    EXPECT_EQ(a == b, r[4] == "1") << r[0] << " " << r[1] << " == " << r[2] << " " << r[3];
    EXPECT_EQ(a < b, r[5] == "1") << r[0] << " " << r[1] << " < " << r[2] << " " << r[3];
  }
}

TEST(VariantModel, KindsCopiesAndSwap) {
  QBase::Arena arena;
  Binaries blob = Blob({1, 2});
  std::pair<Variant, int> const made[] = {
      {Variant(short{1}, &arena), 21}, {Variant(1, &arena), 1},     {Variant(1u, &arena), 2},
      {Variant(1LL, &arena), 34},      {Variant(1.0f, &arena), 7},  {Variant(1.0, &arena), 6},
      {Variant("x", nullptr), 9},      {Variant(W(u"x").c_str(), nullptr), 9},
      {Variant(kWhen, nullptr), 16},   {Variant(BigDecimal("1", nullptr), nullptr), 30},
      {Variant(blob.get(), nullptr), 11}, {Variant(CellFmtData(), nullptr), 31}};
  EXPECT_EQ(arena.GetUsedSize(), 0u);  // numbers live in the object
  for (auto const& m : made) EXPECT_TRUE(Variant(m.first).GetVarType() == m.second && !m.first.IsNull());
  EXPECT_TRUE(Variant().GetVarType() == Variant::VAR_EMPTY && Variant().IsNull());
  EXPECT_TRUE(Variant(CellFmtData(0, CellFmtDataTypeNull, kGuid), nullptr).IsNull());
  Variant fromNull(static_cast<char const*>(nullptr), nullptr), d;
  EXPECT_TRUE(fromNull.GetVarType() == Variant::VAR_WSTRING && *fromNull.GetRawWString() == Variant::String());
  EXPECT_EQ(Variant(static_cast<Binary const*>(nullptr), nullptr).ToBinary()->GetSize(), 0u);
  d.SetTime(kWhen);
  EXPECT_EQ(d.GetVarType(), Variant::VAR_TIME);
  d.SetDate(kWhen);
  EXPECT_TRUE(d.GetVarType() == Variant::VAR_DATE && *d.ToDateTime() == kWhen);

  // Assigning a Variant to itself, or a value that lives inside it, keeps it;
  // a copy is a copy (changing one leaves the other).
  Variant v(W(u"inside").c_str(), nullptr);
  Variant const& self = v;
  v = self;
  v = v.GetRawWString()->c_str();
  Variant copy(v);
  v = "changed";
  EXPECT_TRUE(copy == W(u"inside").c_str() && v == "changed");
  for (Variant const& value : {Variant(kWhen, nullptr), Variant(BigDecimal("2.5", nullptr), nullptr), made[11].first}) {
    v = value;
    v = self;
    EXPECT_TRUE(v == value);
  }
  v = blob.get();
  v = v.ToBinary();
  EXPECT_TRUE(v == *blob);

  // Swap exchanges values, kinds and arenas; the contracts stay.
  RecordingContract c;
  Variant x(&c), y(5, &arena);
  x = W(u"heap text").c_str();
  x.swap(y);
  EXPECT_TRUE(x == 5 && y == W(u"heap text").c_str());
  EXPECT_TRUE(VariantTestPeer::GetBuffer(x) == &arena && VariantTestPeer::GetBuffer(y) == nullptr);
  EXPECT_TRUE(VariantTestPeer::GetContract(x) == &c && VariantTestPeer::GetContract(y) == nullptr);
  size_t const calls = c.calls.size();
  x = W(u"abc").c_str();  // x has an arena now: the contract is not asked
  EXPECT_TRUE(c.calls.size() == calls && x.GetRawWString()->get_allocator().GetBuffer() == &arena);
}

TEST(VariantModel, GovernedAssignmentAndArenas) {
  RecordingContract c;
  Binaries five = Blob({1, 2, 3, 4, 5});
  {
    Variant v(&c);
    for (Variant const& value : {Variant(W(u"abc").c_str(), nullptr), Variant(3, nullptr), Variant(kWhen, nullptr)}) {
      v = value;  // only strings and blobs are governed
    }
    v = "\xC3\xA9\xE2\x82\xAC";  // two units once converted
    v = five.get();
    Variant copy(v);  // holds the contract too, copies under it
    EXPECT_EQ(c.references, 2);
    v = Variant(five.get(), nullptr);  // constructors never ask
  }
  EXPECT_EQ(c.references, 0);
  EXPECT_EQ(c.calls, (Texts{"Reserve(8,1)", "Release(8)", "Reserve(6,1)", "Release(6)", "Reserve(5,1)", "Release(5)",
                            "Reserve(5,1)", "Release(5)", "Reserve(5,1)", "Release(5)"}));
  // A refusal leaves the Variant empty; a refused copy constructor gives its reference back.
  RecordingContract r(1);
  Variant v(&r);
  v = W(u"old").c_str();
  EXPECT_EQ(Thrown<VariantException>([&] { v = W(u"abc").c_str(); }), "Not enough memory left.");
  EXPECT_TRUE(v.GetVarType() == Variant::VAR_EMPTY && r.calls == (Texts{"Reserve(8,1)", "Release(8)", "Reserve(8,1)"}));
  v = 1;
  r.RefuseFrom(0);
  EXPECT_EQ(Thrown<VariantException>([&] { v = five.get(); }), "Not enough memory left.");
  EXPECT_EQ(v.GetVarType(), Variant::VAR_EMPTY);
  r.RefuseFrom(1);
  v = "ok";
  EXPECT_EQ(Thrown<VariantException>([&] { Variant copy(v); }), "Not enough memory left.");
  EXPECT_EQ(r.references, 1);
  // A grant is reported back when the allocation then fails.
  RecordingContract g;
  Variant h(&g);
  testing_blobs::HugeBlob const huge;
  EXPECT_THROW(h = &huge, std::length_error);
  std::string const n = std::to_string(huge.GetSize());
  EXPECT_TRUE(h.GetVarType() == Variant::VAR_EMPTY && g.calls == (Texts{"Reserve(" + n + ",1)", "Release(" + n + ")"}));

  // Owned values and copies land in the arena; a full arena throws and leaves the Variant empty.
  QBase::Arena arena, tiny(4);
  Variant s(WString(64, 'x').c_str(), &arena), t(&tiny);
  size_t const used = arena.GetUsedSize();
  Variant arenaCopy(s);
  EXPECT_TRUE(used >= sizeof(Variant::String) + 130 && arena.GetUsedSize() == 2 * used);
  arenaCopy = BigDecimal("123.45", nullptr);
  EXPECT_GT(arena.GetUsedSize(), 2 * used);
  t = 1;
  EXPECT_THROW(t = kWhen, std::bad_alloc);
  EXPECT_EQ(t.GetVarType(), Variant::VAR_EMPTY);
}

TEST(VariantConversions, TextsObjectsAndKindsWithoutANumber) {
  std::pair<char16_t const*, int> const texts[] = {
      {u" 42abc", 42},          {u"\t\n\v\f\r-17x", -17}, {u"+5", 5},           {u"--5", 0},
      {u"", 0},                 {u"12 34", 12},           {u"0x1A", 0},         {u"2147483648", INT_MAX},
      {u"-99999999999999999999", INT_MIN}, {u"\u00A05", 0}, {u"007", 7}};
  auto numbers = [](Variant const& v) {
    return std::vector<double>{double(short(v)), double(int(v)), double(unsigned(v)), double((long long)(v)), float(v), double(v)};
  };
  for (auto const& [text, value] : texts) {  // only int reads the text
    EXPECT_EQ(numbers(Variant(W(text).c_str(), nullptr)), (std::vector<double>{0, double(value), 0, 0, 0, 0})) << value;
  }
  Binaries blob = Blob({1, 2, 3});
  std::vector<Variant> none{Variant(), Variant(blob.get(), nullptr), Variant(kWhen, nullptr),
                            Variant(BigDecimal("12.5", nullptr), nullptr), Variant(), Variant(), Variant()};
  none[4].SetTime(kWhen);
  VariantTestPeer::MakeUnknown(none[5], 0);
  VariantTestPeer::MakeUnknown(none[6], 40);
  for (Variant const& v : none) EXPECT_EQ(numbers(v), std::vector<double>(6, 0.0));

  Variant d(kWhen, nullptr), b(blob.get(), nullptr), n(BigDecimal("1.5", nullptr), nullptr);
  Variant c(CellFmtData(1.5, CellFmtDataTypeDefault, kGuid), nullptr), i(7, nullptr);
  DateTime const copy = d;
  CellFmtData const cell = c;
  EXPECT_TRUE(copy == kWhen && b.ToBinary()->IsEqual(*blob) && n.ToBigDecimal()->Scale() == 1 &&
              cell == CellFmtData(1.5, CellFmtDataTypeDefault, kGuid));
  for (Variant* v : {&i, &b, &n, &c}) {
    EXPECT_EQ(Thrown<VariantException>([&] { v->ToDateTime(); }), "Cannot convert to DateTime type");
    EXPECT_EQ(Thrown<VariantException>([&] { DateTime x = *v; (void)x; }), "Cannot convert to DateTime type");
  }
  EXPECT_EQ(Thrown<VariantException>([&] { i.ToBigDecimal(); }), "Cannot convert to BigDecimal type");
  EXPECT_EQ(Thrown<VariantException>([&] { CellFmtData x = n; (void)x; }), "Cannot convert to CellFmtData type");
  EXPECT_EQ(Thrown<VariantException>([&] { d.ToBinary(); }), "Cannot convert to Binary type");
}

TEST(VariantComparison, ObjectsDatesAndOrder) {
  Variant s(W(u"é€").c_str(), nullptr), i(3, nullptr), empty;
  EXPECT_TRUE(s == "\xC3\xA9\xE2\x82\xAC" && s == W(u"é€").c_str());
  EXPECT_FALSE(s == "\xC3\xA9" || s == W(u"é€x").c_str() || s == 0 || i == "3" || i == kWhen || i == CellFmtData());
  Variant cell(CellFmtData(3.0, CellFmtDataTypeDefault, kGuid), nullptr);
  EXPECT_FALSE(cell == 3.0 || i == cell || cell == i);
  EXPECT_TRUE(cell == CellFmtData(3.0, CellFmtDataTypeDefault, kGuid) && cell == Variant(cell));
  Binaries ab = Blob({1, 2}), abc = Blob({1, 2, 3});
  Variant blob(ab.get(), nullptr);
  EXPECT_TRUE(blob == *ab && blob == Variant(ab.get(), nullptr));
  EXPECT_FALSE(blob == *abc || blob == Variant(abc.get(), nullptr) || blob == Variant());
  Variant half(BigDecimal("1.50", nullptr), nullptr);
  EXPECT_TRUE(half == BigDecimal("1.5", nullptr) && half == Variant(BigDecimal("1.5", nullptr), nullptr));
  EXPECT_EQ(Thrown<BigDecimalException>([&] { (void)(half == BigDecimal(nullptr)); }), "Invalid BigDecimal");
  EXPECT_TRUE(empty == Variant() && !(empty == i) && !(i == empty) && !(empty == 0));

  // VAR_DATETIME compares whole values with any date kind; VAR_DATE and
  // VAR_TIME compare their part, and only with their own kind.
  Variant full(kWhen, nullptr), date, time, date2, time2;
  date.SetDate(kWhen);
  time.SetTime(kWhen);
  date2.SetDate(DateTime(2024, 6, 5, 23, 0, 0, 0));
  time2.SetTime(DateTime(2020, 1, 1, 7, 8, 9, 45));
  EXPECT_TRUE(full == date && full == time && date == date2 && time == time2);
  EXPECT_FALSE(date == full || time == full || date == time || full == date2 || full == time2);

  EXPECT_TRUE(empty < i && !(i < empty) && !(empty < Variant()));  // numbers among themselves: the vectors
  auto less = [](char16_t const* a, char16_t const* b) { return Variant(W(a).c_str(), nullptr) < Variant(W(b).c_str(), nullptr); };
  EXPECT_TRUE(less(u"ab", u"abc") && !less(u"abc", u"ab") && !less(u"ab", u"ab") && less(u"\U0001F600", u"\uFFFD"));
  Binaries high = Blob({0x80}), low = Blob({0x7F, 9});  // blobs order by IsLess: unsigned bytes
  Variant vh(high.get(), nullptr), vl(low.get(), nullptr);
  EXPECT_TRUE(vl < vh && !(vh < vl) && Variant(Blob({}).get(), nullptr) < vl);
  Variant early(DateTime(2020, 1, 1), nullptr), d1(BigDecimal("-0.5", nullptr), nullptr), d2(BigDecimal("0.001", nullptr), nullptr);
  EXPECT_TRUE(early < time && !(time < early) && d1 < d2 && !(d2 < d1));
  Variant c1(CellFmtData(1.0, CellFmtDataTypeNull, kGuid), nullptr), c2(CellFmtData(2.0, CellFmtDataTypeDefault, {}), nullptr);
  EXPECT_TRUE(c1 < c2 && !(c2 < c1));

  // Ordering across incomparable kinds throws; an empty Variant compares with anything.
  std::vector<Variant> kinds{Variant(1, nullptr),     Variant(W(u"s").c_str(), nullptr), Variant(ab.get(), nullptr),
                             Variant(kWhen, nullptr), Variant(BigDecimal("1", nullptr), nullptr),
                             Variant(CellFmtData(), nullptr), Variant()};
  VariantTestPeer::MakeUnknown(kinds[6], 40);
  for (size_t a = 0; a < kinds.size(); ++a) {
    for (size_t b = 0; b < kinds.size(); ++b) {
      bool const comparable = (a == b && a != 6) || (a == 0 && b == 6);
      EXPECT_EQ(kinds[a].IsTypeComparable(kinds[b]), comparable) << a << " " << b;
      if (!comparable) {
        EXPECT_EQ(Thrown<VariantException>([&] { (void)(kinds[a] < kinds[b]); }), "Variant types incomparable");
      }
    }
    EXPECT_TRUE(kinds[a].IsTypeComparable(Variant()) && Variant().IsTypeComparable(kinds[a]));
  }
}

TEST(VariantText, FormsPerKindAndBuffers) {
  Variant s(W(u"é€\U0001F600").c_str(), nullptr);
  EXPECT_EQ(Str(s.ToString()), "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_TRUE(s.GetStringLength() == 9 && s.GetWStringLength() == 4);  // bytes; 16-bit units
  EXPECT_EQ(WStr(s.ToWString()), W(u"é€\U0001F600"));
  Variant d(kWhen, nullptr);
  EXPECT_EQ(Str(d.ToString()) + "|" + Str(d.ToStringVBBehavior()), "2024-06-05 07:08:09.045|6/5/2024");
  EXPECT_TRUE(WStr(d.ToWString()) == W(u"2024-06-05 07:08:09.045") && d.GetWStringLength() == 23);
  Variant n(BigDecimal("-1.50", nullptr), nullptr);
  EXPECT_EQ(Str(n.ToString()) + Str(n.ToStringVBBehavior()), "-1.50-1.50");
  EXPECT_TRUE(WStr(n.ToWString()) == W(u"-1.50") && n.GetStringLength() == 5 && n.GetWStringLength() == 5);
  EXPECT_EQ(Thrown<BigDecimalException>([&] { Variant(BigDecimal("1,5", nullptr), nullptr).ToString(); }),
            "Invalid BigDecimal");
  Binaries blob = Blob({65, 66});
  Variant b(blob.get(), nullptr), c(CellFmtData(1.5, CellFmtDataTypeDefault, kGuid), nullptr), empty, unknown;
  VariantTestPeer::MakeUnknown(unknown, 5);
  EXPECT_EQ(Str(b.ToString()) + Str(b.ToStringVBBehavior()) + Str(c.ToString()) + Str(c.ToStringVBBehavior()),
            "<null><null><null><null>");
  EXPECT_TRUE(WStr(b.ToWString()) == W(u"<null>") && WStr(c.ToWString()) == W(u"1.500000"));
  for (Variant* v : {&empty, &unknown}) {
    EXPECT_EQ(Str(v->ToString()) + Str(v->ToStringVBBehavior()) + "|", "|");
    EXPECT_TRUE(v->ToWString().GetString() != nullptr && v->ToWString().GetLength() == 0);
  }
  for (Variant* v : {&b, &c, &empty, &unknown}) {
    std::string narrow = "zzz";
    WString wide(3, 'z');
    v->ToString(&narrow[0], 4);
    v->ToWString(&wide[0], 4);
    EXPECT_TRUE(v->GetStringLength() == 0 && v->GetWStringLength() == 0 && narrow == std::string("\0zz", 3) && wide[0] == 0);
  }
  EXPECT_TRUE(Variant(1, nullptr).GetRawWString() == nullptr && s.GetRawWString()->size() == 4);

  // At most size - 1 units and a terminator; nothing at all for size 0 or null.
  for (Variant const& v : {Variant(12345, nullptr), Variant("12345", nullptr), Variant(BigDecimal("12345", nullptr), nullptr)}) {
    for (unsigned size : {0u, 1u, 2u, 4u, 5u, 6u, 7u}) {
      std::string narrow(10, '#'), want(10, '#');
      WString wide(10, '#');
      v.ToString(&narrow[0], size);
      v.ToWString(&wide[0], size);
      if (size != 0) want.replace(0, std::min(size, 6u), std::string("12345", std::min(size - 1, 5u)) + '\0');
      EXPECT_TRUE(narrow == want && wide == WString(want.begin(), want.end())) << size;
    }
    v.ToString(nullptr, 4);
    v.ToWString(nullptr, 4);
  }
  // Numbers follow the C locale's decimal separator.
  ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr);
  std::string const plain = Str(Variant(2.5, nullptr).ToString()), general = Str(Variant(2.5, nullptr).ToStringVBBehavior());
  WString const cell = WStr(c.ToWString());
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(plain + " " + general, "2,500000000000000 2,5");
  EXPECT_EQ(cell, W(u"1,500000"));
}

}  // namespace
