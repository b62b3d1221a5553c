// Hand-worked cases from the documented model: parsing, states, construction,
// the arithmetic rules that values alone do not show (zero operands, leading
// zeros, the checks), text forms, placement and the digit limit. Results of
// arithmetic are checked against GMP in Differential_test.cpp.
#include <gmpxx.h>
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <functional>
#include <string>

#include "DataType/Decimal/BigDecimal.h"

namespace {

using QDataType::BigDecimal;
using QDataType::BigDecimalException;
using Ptr = BigDecimal::Ptr;

std::string Text(BigDecimal const& d) { return d.ToString().GetString(); }
std::string Text(Ptr const& p) { return p->ToString().GetString(); }
std::string Str(QBase::ReturnString const& s) { return s.GetString(); }

// The exception's text, or "" when none is thrown.
template <class F>
std::string Thrown(F&& f) {
  try {
    f();
  } catch (BigDecimalException const& e) {
    return e.GetID() == -1 && e.GetDomain() == QBase::MESSAGE_DOMAIN_UNKNOWN ? e.what() : "wrong id or domain";
  }
  return "";
}

TEST(BigDecimalParse, ValidZeroAndInvalidTexts) {
  struct {
    char const* text;
    int sign, scale, precisionHeap, precisionArena;  // without and with a Buffer
    char const *printedHeap, *printedArena;
  } const cases[] = {
      {"12.340", 1, 3, 5, 5, "12.340", "12.340"}, {"-.5", -1, 1, 1, 1, "-0.5", "-0.5"},
      {"0.05", 1, 2, 3, 2, "0.05", "0.05"},       {"00.05", 1, 2, 4, 2, "00.05", "0.05"},
      {"007.50", 1, 2, 5, 3, "007.50", "7.50"},   {"007", 1, 0, 3, 1, "007", "7"},
      {"1E-2", 1, 2, 1, 1, "0.01", "0.01"},       {"2.5e-3", 1, 4, 2, 2, "0.0025", "0.0025"},
      {"+7", 1, 0, 1, 1, "7", "7"},               {"5.", 1, 0, 1, 1, "5", "5"},
      {"1.5E+3", 1, 0, 4, 4, "1500", "1500"},     {"1e0005", 1, 0, 6, 6, "100000", "100000"},
      {"0.05e1", 1, 1, 3, 2, "00.5", "0.5"},      {"0.05e-1", 1, 3, 3, 2, "0.005", "0.005"},
      // Zeros: sign 0, scale 0 whatever the exponent, printed "0".
      {"000", 0, 0, 3, 0, "0", "0"}, {"0.000", 0, 0, 1, 0, "0", "0"}, {"-0", 0, 0, 1, 0, "0", "0"},
      {".", 0, 0, 0, 0, "0", "0"},   {"0e-99999999999", 0, 0, 1, 0, "0", "0"}, {"00.0E7", 0, 0, 2, 0, "0", "0"},
      {"9999999999999999999.9999999999999999999", 1, 19, 38, 38, "9999999999999999999.9999999999999999999",
       "9999999999999999999.9999999999999999999"},
  };
  QBase::Arena arena;
  for (auto const& c : cases) {
    SCOPED_TRACE(c.text);
    BigDecimal heap(c.text, nullptr), inArena(c.text, &arena);
    ASSERT_FALSE(heap.IsInvalid() || inArena.IsInvalid());
    EXPECT_TRUE(heap.Signum() == c.sign && heap.Scale() == c.scale && inArena.Scale() == c.scale);
    EXPECT_TRUE(heap.Precision() == c.precisionHeap && inArena.Precision() == c.precisionArena);
    EXPECT_TRUE(Text(heap) == c.printedHeap && Text(inArena) == c.printedArena);
  }
  for (char const* text : {"", "-", "+", "+-5", "-+5", " 5", "5 ", "1e", "e5", "1e+", "1e+-5", "1.2.3", "1,5", "1e5.5",
                           "0x10", "1E5e3", "..5", "1-", "+e5", "1 e5", "1.5e+e5", "1e99999999999",
                           "1.5e-2147483647", "1e-2147483648", "10e-2147483648"}) {
    EXPECT_EQ(BigDecimal(text, nullptr).Scale(), -2) << text;
  }
  EXPECT_TRUE(BigDecimal(static_cast<char const*>(nullptr), nullptr).IsInvalid());
  EXPECT_TRUE(BigDecimal(static_cast<unsigned short const*>(nullptr), nullptr).IsInvalid());
  BigDecimal edge("1e-2147483647", nullptr);
  EXPECT_TRUE(edge.Scale() == INT_MAX && edge.Precision() == 1 && Str(edge.GetIntegerDigits()) == "0");
  EXPECT_EQ(BigDecimal("1.0e-2147483646", nullptr).Scale(), INT_MAX);
  unsigned short const wide[] = {'-', '1', '2', '.', '5', '0', 0}, fullWidth[] = {'1', 0xFF11, 0};
  EXPECT_EQ(Text(BigDecimal(wide, nullptr)), "-12.50");
  EXPECT_TRUE(BigDecimal(fullWidth, nullptr).IsInvalid());
}

TEST(BigDecimalState, EmptyInvalidAndWriteOnce) {
  BigDecimal empty, invalid("x", nullptr), one("1", nullptr);
  EXPECT_TRUE(empty.Scale() == -1 && empty.IsInvalid());
  for (BigDecimal* d : {&empty, &invalid}) {
    for (auto const& call : std::initializer_list<void (*)(BigDecimal&)>{
             [](BigDecimal& x) { x.Signum(); }, [](BigDecimal& x) { x.Precision(); },
             [](BigDecimal& x) { x.ToString(); }, [](BigDecimal& x) { x.ToWString(); },
             [](BigDecimal& x) { x.ToWString(0x0409ul); }, [](BigDecimal& x) { x.MantissaToWString(); },
             [](BigDecimal& x) { x.GetIntegerDigits(); }, [](BigDecimal& x) { x.GetFractionDigits(); }}) {
      EXPECT_EQ(Thrown([&] { call(*d); }), "Invalid BigDecimal");
    }
    EXPECT_EQ(Thrown([&] { (void)one.CompareTo(*d); }), "Invalid BigDecimal");
    EXPECT_EQ(Thrown([&] { (void)(*d < one); }), "Invalid BigDecimal");
    EXPECT_EQ(Thrown([&] { one + *d; }), "Invalid BigDecimal");
    EXPECT_EQ(Thrown([&] { *d * one; }), "Invalid BigDecimal");
  }
  char const* const kChange = "Cannot change BigDecimal value after it is initialized";
  BigDecimal const& alias = one;
  BigDecimal target, fromEmpty;
  target = one;  // allowed once
  fromEmpty = empty;  // stays empty, so it may still be assigned
  EXPECT_EQ(fromEmpty.Scale(), -1);
  fromEmpty = invalid;
  EXPECT_EQ(fromEmpty.Scale(), -2);
  for (BigDecimal* d : {&one, &invalid, &target, &fromEmpty}) EXPECT_EQ(Thrown([&] { *d = alias; }), kChange);
}

// "%f" of a double, from its exact binary value (m 2^e, by GMP) rounded to
// six decimals, ties to even: the text the double constructor parses.
std::string FixedSix(double v) {
  int e;
  mpz_class q(std::ldexp(std::frexp(std::fabs(v), &e), 53));  // |v| = q 2^(e - 53), q an integer
  q *= 1000000;
  if (e >= 53) {
    q <<= e - 53;
  } else {
    mpz_class const rest = q - ((q >> (53 - e)) << (53 - e)), half = mpz_class(1) << (52 - e);
    q >>= 53 - e;
    if (rest > half || (rest == half && mpz_odd_p(q.get_mpz_t()))) ++q;
  }
  std::string digits = q.get_str();
  if (digits.size() < 7) digits.insert(0, 7 - digits.size(), '0');
  return (v < 0 ? "-" : "") + digits.substr(0, digits.size() - 6) + "." + digits.substr(digits.size() - 6);
}

// (Integers of every type: Modern's SixtyFourBitIntegersAndDoubles.)
TEST(BigDecimalConstruct, IntDoubleCopiesAndSwap) {
  QBase::Arena arena;
  EXPECT_TRUE(BigDecimal(0, nullptr).Precision() == 1 && BigDecimal(0, &arena).Precision() == 0);  // the text "0"
  BigDecimal const twoAndHalf(2.5, nullptr);
  EXPECT_TRUE(Text(twoAndHalf) == "2.500000" && twoAndHalf.Scale() == 6 && twoAndHalf.Precision() == 7);
  for (double v : {DBL_MAX, -DBL_MAX, 1e300, 123456.789, -0.5, 6e-7, 0.1, 2.5e-6, 3.5e-6, 1.0000005, 9007199254740993.0, -4.4e-6}) {
    EXPECT_EQ(Text(BigDecimal(v, nullptr)), FixedSix(v)) << v;
  }
  for (double tiny : {1e-7, -0.0, 0.0, -4e-7}) EXPECT_EQ(BigDecimal(tiny, nullptr).ToString().View(), "0") << tiny;
  for (double bad : {HUGE_VAL, -HUGE_VAL, std::nan("")}) EXPECT_TRUE(BigDecimal(bad, nullptr).IsInvalid());

  BigDecimal const source("-007.50", nullptr), copy(source), copyInArena(source, &arena);
  EXPECT_TRUE(Text(copy) == "-007.50" && copy.Precision() == 5 && Text(copyInArena) == "-007.50");
  EXPECT_TRUE(BigDecimal(BigDecimal("?", nullptr)).Scale() == -2 && BigDecimal(BigDecimal(), &arena).Scale() == -1);
  // Swap exchanges values and arenas: results land in the arena each object now carries.
  BigDecimal a("1.25", &arena), b("-300", nullptr);
  a.swap(b);
  EXPECT_TRUE(Text(a) == "-300" && Text(b) == "1.25");
  size_t const before = arena.GetUsedSize();
  Ptr const fromA = a + b;
  EXPECT_TRUE(arena.GetUsedSize() == before && Text(fromA) == "-298.75");
  Ptr const fromB = b + a;
  EXPECT_GT(arena.GetUsedSize(), before);
  Ptr r = a * b;  // a result shares one block with its digits; swapped away, either may go first
  BigDecimal x("5", nullptr);
  r->swap(x);
  r.reset();
  EXPECT_EQ(Text(x), "-375.00");
}

// What the GMP differential does not decide: the zero-operand rule (the
// other operand padded, its leading zeros kept), zeros of a scale as
// operands, the checks in order.
TEST(BigDecimalArithmetic, ZeroOperandsAndChecks) {
  BigDecimal const two("2", nullptr), one("1", nullptr), x("1.50", nullptr), lz("007", nullptr);
  Ptr const padded = lz + BigDecimal("0", nullptr), negated = BigDecimal("0", nullptr) - BigDecimal("0.05", nullptr);
  EXPECT_TRUE(Text(padded) == "007" && padded->Scale() == 0 && padded->Precision() == 3);
  EXPECT_TRUE(Text(negated) == "-0.05" && negated->Scale() == 2 && negated->Precision() == 3);
  // 2 + (1.000 - 1) is 2.000; (1.50 - 1.50) - 2 is -2.00, plus 007 is 007.00.
  Ptr const zero3 = BigDecimal("1.000", nullptr) - one, zero2 = x - x;
  EXPECT_TRUE(Text(two + *zero3) == "2.000" && Text(*zero2 - two) == "-2.00" && Text(*zero2 + lz) == "007.00");
  EXPECT_EQ(Text(BigDecimal("123.456", nullptr).Divide(BigDecimal("0.7", nullptr), -1)), "176.365");  // -1: a's scale

  BigDecimal const zero("0", nullptr), invalid("no", nullptr), empty;
  EXPECT_EQ(Thrown([&] { invalid.Divide(zero, -5); }), "Invalid BigDecimal");
  EXPECT_EQ(Thrown([&] { one.Divide(empty, -5); }), "Invalid BigDecimal");
  EXPECT_EQ(Thrown([&] { one.Divide(zero, -2); }), "Invalid scale request");
  EXPECT_EQ(Thrown([&] { one.Divide(one, INT_MIN); }), "Invalid scale request");
  EXPECT_EQ(Thrown([&] { one.Divide(zero, -1); }), "Divide by Zero");
  EXPECT_EQ(Thrown([&] { one / zero; }), "Divide by Zero");
}

// CompareTo at random is checked against GMP; here the six operators, on
// scales near INT_MAX (beyond the differential) and on two negatives.
TEST(BigDecimalCompare, OperatorsAndExtremeScales) {
  BigDecimal const tiny("1e-2147483647", nullptr), same("0.1e-2147483646", nullptr), small("0.001", nullptr);
  BigDecimal const a("-2", nullptr), b("-1.50", nullptr);
  EXPECT_TRUE(tiny == same && tiny <= same && tiny >= same && !(tiny != same) && !(tiny < same) && !(tiny > same));
  EXPECT_TRUE(tiny < small && small > tiny && tiny != small && b < tiny && a < b && a <= b && b >= a && !(b < a));
  EXPECT_EQ(BigDecimal("0.000", nullptr).CompareTo(*(BigDecimal("1.50", nullptr) - BigDecimal("1.5", nullptr))), 0);
}

TEST(BigDecimalText, FormsOfOneValue) {
  struct {
    char const *text, *integer, *fraction;
  } const cases[] = {{"1234.5", "1234", "5"}, {"0.25", "0", "25"},     {"1234", "1234", ""},
                     {"007.50", "007", "50"}, {"0.05e1", "00", "5"},   {"-0.00", "0", "0"},
                     {"-12345678901234567890123.000000000000000000000000000000000000000012345678901234567890",
                      "12345678901234567890123", "000000000000000000000000000000000000000012345678901234567890"}};
  for (auto const& c : cases) {
    BigDecimal const v(c.text, nullptr);
    EXPECT_TRUE(Str(v.GetIntegerDigits()) == c.integer && Str(v.GetFractionDigits()) == c.fraction) << c.text;
    QBase::ReturnWString const w = v.ToWString();
    EXPECT_EQ(std::string(w.GetString(), w.GetString() + w.GetLength()), Text(v));
    EXPECT_TRUE(v.MantissaToWString().GetString() != nullptr && v.MantissaToWString().GetLength() == 0);
  }
  Ptr const c = BigDecimal("0.10", nullptr) - BigDecimal("0.05", nullptr);  // digit text 5 at scale 2
  EXPECT_TRUE(Str(c->GetFractionDigits()) == "05" && Str(c->GetIntegerDigits()) == "0");
}

TEST(BigDecimalPlacement, ResultsLiveInTheLeftOperandsArena) {
  QBase::Arena arena;
  BigDecimal const a("12.5", &arena), b("0.25", nullptr);
  size_t used = arena.GetUsedSize();
  for (int op = 0; op < 4; ++op) {
    Ptr const r = op == 0 ? a + b : op == 1 ? a - b : op == 2 ? a * b : a / b;
    EXPECT_GT(arena.GetUsedSize(), used) << op;
    used = arena.GetUsedSize();
    Ptr const fromHeap = op == 0 ? b + a : op == 1 ? b - a : op == 2 ? b * a : b / a;
    EXPECT_EQ(arena.GetUsedSize(), used) << op;
  }
  delete new (&arena) BigDecimal("3", &arena);  // storage stays with the arena
  QBase::Arena small(64);
  BigDecimal const first("1", &small);
  EXPECT_THROW(BigDecimal(std::string(400, '7').c_str(), &small), std::bad_alloc);
  EXPECT_THROW(first + b, std::bad_alloc);
}

TEST(BigDecimalLimits, HostileTextsAndOversizedResults) {
  QBase::Arena arena;
  // Parsing beyond the limit (10^8 digits) is refused before anything is allocated.
  for (char const* text : {"1e1000000000", "1e100000000", "-12.5e99999999"}) EXPECT_TRUE(BigDecimal(text, &arena).IsInvalid());
  EXPECT_EQ(arena.GetUsedSize(), 0u);
  BigDecimal const one("1", &arena), three("3", nullptr), tiny("1e-100000000", nullptr), edge("1e-2147483647", nullptr);
  for (auto const& tooLong : std::initializer_list<std::function<void()>>{
           [&] { one + tiny; }, [&] { tiny - one; }, [&] { one.Divide(tiny, 0); }, [&] { one.Divide(three, INT_MAX); },
           [&] { edge* edge; }, [&] { edge.ToString(); }, [&] { edge.GetFractionDigits(); }}) {  // scale beyond INT_MAX
    EXPECT_THROW(tooLong(), std::length_error);
  }
  EXPECT_EQ(arena.GetUsedSize(), 0u);
  Ptr const zero = edge - edge;
  EXPECT_TRUE(Text(zero) == "0" && zero->Scale() == INT_MAX && edge.CompareTo(*zero) == 1);
  // Within the limit everything is exact, and values that are mostly zeros stay cheap.
  BigDecimal const half("1e49999999", nullptr);
  Ptr const full = half * half;
  EXPECT_TRUE(full->Precision() == 99999999 && full->CompareTo(BigDecimal("1e99999998", nullptr)) == 0);
  EXPECT_THROW(one + BigDecimal("0.5e-99999998", nullptr), std::length_error);  // no room for a carry
  Ptr const sum = one + BigDecimal("0.5e-99999997", nullptr);
  EXPECT_TRUE(sum->Precision() == 99999999 && sum->Scale() == 99999998 && Text(sum->Divide(one, 0)) == "1");
}

}  // namespace
