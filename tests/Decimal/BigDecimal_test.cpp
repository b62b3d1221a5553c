// Hand-worked cases: parsing, states, construction, arithmetic rules, text
// forms, placement and the digit limit.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>

#include "DataType/Decimal/BigDecimal.h"

namespace {

using QDataType::BigDecimal;
using QDataType::BigDecimalException;
using Ptr = BigDecimal::Ptr;

std::string Text(BigDecimal& d) { return d.ToString().GetString(); }
std::string Text(Ptr const& p) { return p->ToString().GetString(); }

std::string Narrow(QBase::ReturnWString const& w) {
  std::string s;
  for (size_t i = 0; i < w.GetLength(); ++i) {
    s.push_back(w.GetString()[i] < 0x80 ? static_cast<char>(w.GetString()[i]) : '?');
  }
  return s;
}

// The exception's text, or "" when none is thrown.
template <class F>
std::string Thrown(F&& f) {
  try {
    f();
  } catch (BigDecimalException const& e) {
    EXPECT_EQ(e.GetID(), -1);
    EXPECT_EQ(e.GetDomain(), QBase::MESSAGE_DOMAIN_UNKNOWN);
    return e.what();
  }
  return "";
}

struct ParseCase {
  char const* text;
  int sign;
  int scale;
  int precisionHeap;   // made without a Buffer (leading zeros counted)
  int precisionArena;  // made with a Buffer
  char const* printedHeap;
  char const* printedArena;
};

TEST(BigDecimalParse, ValidTexts) {
  ParseCase const cases[] = {
      {"12.340", 1, 3, 5, 5, "12.340", "12.340"},
      {"-.5", -1, 1, 1, 1, "-0.5", "-0.5"},
      {"0.05", 1, 2, 3, 2, "0.05", "0.05"},
      {".05", 1, 2, 2, 2, "0.05", "0.05"},
      {"00.05", 1, 2, 4, 2, "00.05", "0.05"},
      {"007.50", 1, 2, 5, 3, "007.50", "7.50"},
      {"007", 1, 0, 3, 1, "007", "7"},
      {"00.5", 1, 1, 3, 1, "00.5", "0.5"},
      {"0.5", 1, 1, 2, 1, "0.5", "0.5"},
      {"1E-2", 1, 2, 1, 1, "0.01", "0.01"},
      {"2.5e-3", 1, 4, 2, 2, "0.0025", "0.0025"},
      {"+7", 1, 0, 1, 1, "7", "7"},
      {"5.", 1, 0, 1, 1, "5", "5"},
      {"1.5e3", 1, 0, 4, 4, "1500", "1500"},
      {"1.5E+3", 1, 0, 4, 4, "1500", "1500"},
      {"-1.50", -1, 2, 3, 3, "-1.50", "-1.50"},
      {"1e+5", 1, 0, 6, 6, "100000", "100000"},
      {"1e0005", 1, 0, 6, 6, "100000", "100000"},
      {"123e-1", 1, 1, 3, 3, "12.3", "12.3"},
      // The zeros after the point stay in the digit text; an exponent that
      // moves the point right leaves them in front of the integer digits.
      {"0.05e1", 1, 1, 3, 2, "00.5", "0.5"},
      {"0.05e-1", 1, 3, 3, 2, "0.005", "0.005"},
      // With no lower-case 'e' the first 'E' is the marker.
      {"2E3", 1, 0, 4, 4, "2000", "2000"},
      // The longest digit run of a limb and a carry into the next.
      {"9999999999999999999.9999999999999999999", 1, 19, 38, 38, "9999999999999999999.9999999999999999999",
       "9999999999999999999.9999999999999999999"},
  };
  QBase::Arena arena;
  for (ParseCase const& c : cases) {
    SCOPED_TRACE(c.text);
    BigDecimal heap(c.text, nullptr);
    BigDecimal inArena(c.text, &arena);
    ASSERT_FALSE(heap.IsInvalid());
    ASSERT_FALSE(inArena.IsInvalid());
    EXPECT_EQ(heap.Signum(), c.sign);
    EXPECT_EQ(heap.Scale(), c.scale);
    EXPECT_EQ(inArena.Scale(), c.scale);
    EXPECT_EQ(heap.Precision(), c.precisionHeap);
    EXPECT_EQ(inArena.Precision(), c.precisionArena);
    EXPECT_EQ(Text(heap), c.printedHeap);
    EXPECT_EQ(Text(inArena), c.printedArena);
  }
}

TEST(BigDecimalParse, ZeroTexts) {
  // Every text of zeros is zero with scale 0; leading zeros still count
  // toward the precision without a Buffer.
  struct {
    char const* text;
    int precisionHeap;
  } const cases[] = {{"0", 1},   {"000", 3}, {"0.00", 1}, {"0.000", 1}, {"-0", 1}, {"+0", 1},     {".", 0},
                     {"-.", 0},  {"+.", 0},  {".000", 0}, {"0e5", 1},   {"0e-99999999999", 1}, {".e5", 0},
                     {"00.0E7", 2}};
  QBase::Arena arena;
  for (auto const& c : cases) {
    SCOPED_TRACE(c.text);
    BigDecimal heap(c.text, nullptr);
    BigDecimal inArena(c.text, &arena);
    ASSERT_FALSE(heap.IsInvalid());
    EXPECT_EQ(heap.Signum(), 0);
    EXPECT_EQ(heap.Scale(), 0);
    EXPECT_EQ(heap.Precision(), c.precisionHeap);
    EXPECT_EQ(inArena.Precision(), 0);
    EXPECT_EQ(Text(heap), "0");
    EXPECT_EQ(std::string(heap.GetIntegerDigits().GetString()), "0");
    EXPECT_EQ(std::string(heap.GetFractionDigits().GetString()), "0");
  }
}

TEST(BigDecimalParse, InvalidTexts) {
  char const* const cases[] = {"",     "-",      "+",     "+-5",  "-+5",   "--5",     " 5",   "5 ",      "1e",
                               "e5",   "E5",     "1e+",   "1e-",  "1e+-5", "1e-+5",   "1.2.3", "1,5",     "abc",
                               "1e5.5", "0x10",  "1E",    "1e5e", "1E5e3", "1e5E3",   "1..",  "..5",     "1-",
                               "+e5",  "1e 5",   "1 e5",  "\t1",  "1.5e",  "1.5e+e5", "12a",  "1e99999999999"};
  for (char const* text : cases) {
    SCOPED_TRACE(text);
    BigDecimal d(text, nullptr);
    EXPECT_TRUE(d.IsInvalid());
    EXPECT_EQ(d.Scale(), -2);
  }
  BigDecimal null(static_cast<char const*>(nullptr), nullptr);
  EXPECT_TRUE(null.IsInvalid());
  BigDecimal wideNull(static_cast<unsigned short const*>(nullptr), nullptr);
  EXPECT_TRUE(wideNull.IsInvalid());
}

TEST(BigDecimalParse, ScaleLimit) {
  BigDecimal edge("1e-2147483647", nullptr);
  ASSERT_FALSE(edge.IsInvalid());
  EXPECT_EQ(edge.Scale(), 2147483647);
  EXPECT_EQ(edge.Precision(), 1);
  EXPECT_EQ(edge.Signum(), 1);
  EXPECT_EQ(std::string(edge.GetIntegerDigits().GetString()), "0");
  EXPECT_TRUE(BigDecimal("1.5e-2147483647", nullptr).IsInvalid());
  EXPECT_TRUE(BigDecimal("1e-2147483648", nullptr).IsInvalid());
  EXPECT_TRUE(BigDecimal("10e-2147483648", nullptr).IsInvalid());  // the scale is not reduced
  EXPECT_EQ(BigDecimal("1.0e-2147483646", nullptr).Scale(), 2147483647);
}

TEST(BigDecimalParse, WideText) {
  unsigned short const text[] = {'-', '1', '2', '.', '5', '0', 0};
  BigDecimal d(text, nullptr);
  EXPECT_EQ(Text(d), "-12.50");
  unsigned short const bad[] = {'1', 0xFF11, 0};  // a full-width digit
  EXPECT_TRUE(BigDecimal(bad, nullptr).IsInvalid());
}

TEST(BigDecimalState, EmptyInvalidAndWriteOnce) {
  BigDecimal empty;
  EXPECT_EQ(empty.Scale(), -1);
  EXPECT_TRUE(empty.IsInvalid());
  EXPECT_EQ(Thrown([&] { empty.Signum(); }), "Invalid BigDecimal");
  EXPECT_EQ(Thrown([&] { empty.Precision(); }), "Invalid BigDecimal");
  EXPECT_EQ(Thrown([&] { empty.ToString(); }), "Invalid BigDecimal");
  EXPECT_EQ(Thrown([&] { empty.ToWString(); }), "Invalid BigDecimal");
  EXPECT_EQ(Thrown([&] { empty.ToWString(0x0409ul); }), "Invalid BigDecimal");
  EXPECT_EQ(Thrown([&] { empty.MantissaToWString(); }), "Invalid BigDecimal");
  EXPECT_EQ(Thrown([&] { empty.GetIntegerDigits(); }), "Invalid BigDecimal");
  EXPECT_EQ(Thrown([&] { empty.GetFractionDigits(); }), "Invalid BigDecimal");

  BigDecimal invalid("x", nullptr);
  BigDecimal one("1", nullptr);
  EXPECT_EQ(Thrown([&] { invalid.Signum(); }), "Invalid BigDecimal");
  EXPECT_EQ(Thrown([&] { (void)one.CompareTo(invalid); }), "Invalid BigDecimal");
  EXPECT_EQ(Thrown([&] { (void)(one == empty); }), "Invalid BigDecimal");
  EXPECT_EQ(Thrown([&] { (void)(invalid < one); }), "Invalid BigDecimal");
  EXPECT_EQ(Thrown([&] { one + invalid; }), "Invalid BigDecimal");
  EXPECT_EQ(Thrown([&] { empty * one; }), "Invalid BigDecimal");

  char const* const kChange = "Cannot change BigDecimal value after it is initialized";
  BigDecimal const& alias = one;
  EXPECT_EQ(Thrown([&] { one = alias; }), kChange);
  EXPECT_EQ(Thrown([&] { invalid = one; }), kChange);
  BigDecimal target;
  target = one;  // allowed once
  EXPECT_EQ(Text(target), "1");
  EXPECT_EQ(Thrown([&] { target = one; }), kChange);
  BigDecimal fromEmpty;
  fromEmpty = empty;  // stays empty, so it may still be assigned
  EXPECT_EQ(fromEmpty.Scale(), -1);
  fromEmpty = invalid;
  EXPECT_EQ(fromEmpty.Scale(), -2);
  EXPECT_EQ(Thrown([&] { fromEmpty = one; }), kChange);

  // Caught as the base class too.
  try {
    empty.Signum();
    ADD_FAILURE();
  } catch (QBase::Message const& m) {
    EXPECT_STREQ(m.what(), "Invalid BigDecimal");
  }
}

TEST(BigDecimalConstruct, IntDoubleAndCopies) {
  EXPECT_EQ(Text(*std::make_unique<BigDecimal>(-42, nullptr)), "-42");
  BigDecimal minInt(INT_MIN, nullptr);
  EXPECT_EQ(Text(minInt), "-2147483648");
  BigDecimal zero(0, nullptr);
  EXPECT_EQ(zero.Signum(), 0);
  EXPECT_EQ(zero.Precision(), 1);  // the text "0" has one leading zero
  QBase::Arena arena;
  EXPECT_EQ(BigDecimal(0, &arena).Precision(), 0);

  BigDecimal twoAndHalf(2.5, nullptr);
  EXPECT_EQ(Text(twoAndHalf), "2.500000");
  EXPECT_EQ(twoAndHalf.Scale(), 6);
  EXPECT_EQ(twoAndHalf.Precision(), 7);
  EXPECT_EQ(Text(*std::make_unique<BigDecimal>(0.1, nullptr)), "0.100000");
  for (double tiny : {1e-7, -0.0, 0.0, -4e-7}) {
    BigDecimal d(tiny, nullptr);
    EXPECT_EQ(d.Signum(), 0);
    EXPECT_EQ(d.Scale(), 0);
  }
  for (double bad : {HUGE_VAL, -HUGE_VAL, std::nan("")}) EXPECT_TRUE(BigDecimal(bad, nullptr).IsInvalid());
  // Large magnitudes print every digit "%f" gives.
  for (double v : {DBL_MAX, -DBL_MAX, 1e300, 123456.789, -0.5, 6e-7}) {
    char expected[400];
    std::snprintf(expected, sizeof expected, "%f", v);
    BigDecimal d(v, nullptr);
    EXPECT_EQ(Text(d), expected);
  }

  BigDecimal source("-007.50", nullptr);
  BigDecimal copy(source);
  EXPECT_EQ(Text(copy), "-007.50");  // leading zeros travel with the copy
  EXPECT_EQ(copy.Precision(), 5);
  BigDecimal copyInArena(source, &arena);
  EXPECT_EQ(Text(copyInArena), "-007.50");
  BigDecimal invalid("?", nullptr);
  EXPECT_TRUE(BigDecimal(invalid).IsInvalid());
  EXPECT_EQ(BigDecimal(invalid).Scale(), -2);
  BigDecimal empty;
  EXPECT_EQ(BigDecimal(empty, &arena).Scale(), -1);
}

TEST(BigDecimalConstruct, SwapExchangesValuesAndArenas) {
  QBase::Arena arena;
  {
    BigDecimal a("1.25", &arena);
    BigDecimal b("-300", nullptr);
    a.swap(b);
    EXPECT_EQ(Text(a), "-300");
    EXPECT_EQ(Text(b), "1.25");
    // Results land in the arena each object now carries.
    size_t const before = arena.GetUsedSize();
    Ptr fromB = b + a;
    EXPECT_GT(arena.GetUsedSize(), before);
    size_t const after = arena.GetUsedSize();
    Ptr fromA = a + b;
    EXPECT_EQ(arena.GetUsedSize(), after);
    EXPECT_EQ(Text(fromA), "-298.75");
    BigDecimal empty;
    a.swap(empty);
    EXPECT_EQ(a.Scale(), -1);
    EXPECT_EQ(Text(empty), "-300");
  }  // all destruct cleanly (the sanitizer build checks the frees)
}

// A result shares one block with its digits; swap can hand those digits to
// another object, and either may be released first (the sanitizer build
// checks every free).
TEST(BigDecimalConstruct, SwappedResultsOutliveTheirBlocks) {
  QBase::Arena arena;
  BigDecimal a("1.5", nullptr), b("2.25", nullptr);
  {
    Ptr r = a + b;
    BigDecimal x("5", nullptr);
    r->swap(x);
    r.reset();  // the object goes; its digits live on in x
    EXPECT_EQ(Text(x), "3.75");
  }
  {
    BigDecimal x("5", nullptr);
    Ptr r1 = a * b;
    Ptr r2 = a / b;
    r1->swap(x);  // r1 holds x's digits, x those of r1's block
    r2->swap(*r1);
    r1.reset();
    EXPECT_EQ(Text(x), "3.375");
    EXPECT_EQ(Text(r2), "5");
  }
  {
    BigDecimal inArena("7", &arena);
    Ptr r = a + b;
    r->swap(inArena);  // heap digits held by an arena object
    r.reset();
    EXPECT_EQ(Text(inArena), "3.75");
  }
}

TEST(BigDecimalArithmetic, WorkedExamples) {
  struct {
    char const* a;
    char op;
    char const* b;
    char const* result;
    int scale;
  } const cases[] = {
      {"3.25", '-', "0.5", "2.75", 2},     {"0.5", '-', "3.25", "-2.75", 2}, {"1.25", '+', "10", "11.25", 2},
      {"10.25", '+', "-0.5", "9.75", 2},   {"1.5", '*', "0.20", "0.300", 3}, {"10", '/', "4", "2", 0},
      {"1.0", '/', "3", "0.3", 1},         {"-7", '/', "2", "-3", 0},        {"7", '/', "-2", "-3", 0},
      {"99.99", '+', "0.01", "100.00", 2}, {"22", '/', "7.0", "3", 0},
  };
  for (auto const& c : cases) {
    SCOPED_TRACE(std::string(c.a) + c.op + c.b);
    BigDecimal a(c.a, nullptr);
    BigDecimal b(c.b, nullptr);
    Ptr r = c.op == '+' ? a + b : c.op == '-' ? a - b : c.op == '*' ? a * b : a / b;
    EXPECT_EQ(Text(r), c.result);
    EXPECT_EQ(r->Scale(), c.scale);
  }
  BigDecimal ten("10", nullptr), four("4", nullptr);
  EXPECT_EQ(Text(ten.Divide(four, 2)), "2.50");
  BigDecimal one("1", nullptr), five100ths("0.05", nullptr);
  EXPECT_EQ(Text(one.Divide(five100ths, 0)), "20");
  BigDecimal two("2", nullptr), three("3", nullptr), minusTwo("-2", nullptr), thousand("1000", nullptr);
  EXPECT_EQ(Text(two.Divide(three, 4)), "0.6666");
  EXPECT_EQ(Text(minusTwo.Divide(three, 4)), "-0.6666");
  Ptr tiny = one.Divide(thousand, 0);
  EXPECT_EQ(tiny->Signum(), 0);
  EXPECT_EQ(tiny->Precision(), 0);
  // A quotient that truncates to zero is zero, not a signed zero.
  Ptr negativeZero = minusTwo.Divide(three, 0);
  EXPECT_EQ(Text(negativeZero), "0");
  EXPECT_EQ(negativeZero->Signum(), 0);
  // Divide with -1 is operator/; a scale below the dividend's drops digits.
  BigDecimal a("123.456", nullptr), b("0.7", nullptr);
  EXPECT_EQ(Text(a.Divide(b, -1)), Text(a / b));
  EXPECT_EQ(Text(a / b), "176.365");
  EXPECT_EQ(Text(a.Divide(b, 0)), "176");
  EXPECT_EQ(Text(a.Divide(b, 25)), "176.3657142857142857142857142");
}

TEST(BigDecimalArithmetic, ZeroResultsAndZeroOperands) {
  BigDecimal a("1.50", nullptr), b("-1.5", nullptr);
  Ptr sum = a + b;  // equal magnitudes: zero at scale max(2, 1)
  EXPECT_EQ(sum->Signum(), 0);
  EXPECT_EQ(sum->Scale(), 2);
  EXPECT_EQ(sum->Precision(), 0);
  EXPECT_EQ(Text(sum), "0");
  EXPECT_EQ(std::string(sum->GetFractionDigits().GetString()), "0");

  // A zero operand: the other operand, with zeros appended up to the result
  // scale.
  BigDecimal two("2", nullptr), oneThousandths("1.000", nullptr), one("1", nullptr);
  Ptr zero3 = oneThousandths - one;
  EXPECT_EQ(zero3->Scale(), 3);
  Ptr r1 = two + *zero3;
  EXPECT_EQ(Text(r1), "2.000");
  EXPECT_EQ(r1->Precision(), 4);
  BigDecimal x("1.50", nullptr);
  Ptr zero2 = x - x;
  Ptr r2 = *zero2 - two;
  EXPECT_EQ(Text(r2), "-2.00");
  EXPECT_EQ(r2->Scale(), 2);
  BigDecimal zero("0", nullptr), five("5", nullptr), fiveAndHalf("5.5", nullptr);
  EXPECT_EQ(Text(zero - five), "-5");
  Ptr product = zero * fiveAndHalf;
  EXPECT_EQ(product->Signum(), 0);
  EXPECT_EQ(product->Scale(), 1);
  // The copied operand keeps its remembered leading zeros.
  BigDecimal lz("007", nullptr), lzFraction("0.05", nullptr);
  Ptr r3 = *zero2 + lz;
  EXPECT_EQ(Text(r3), "007.00");
  EXPECT_EQ(r3->Precision(), 5);
  Ptr r4 = zero - lzFraction;
  EXPECT_EQ(Text(r4), "-0.05");
  EXPECT_EQ(r4->Precision(), 3);
  Ptr r5 = lz + zero;
  EXPECT_EQ(Text(r5), "007");
  // Zero over anything is zero at the requested scale.
  Ptr q = zero.Divide(fiveAndHalf, 4);
  EXPECT_EQ(q->Signum(), 0);
  EXPECT_EQ(q->Scale(), 4);
}

TEST(BigDecimalArithmetic, ChecksInOrder) {
  BigDecimal one("1", nullptr), zero("0", nullptr), invalid("no", nullptr), empty;
  EXPECT_EQ(Thrown([&] { invalid.Divide(zero, -5); }), "Invalid BigDecimal");
  EXPECT_EQ(Thrown([&] { one.Divide(empty, -5); }), "Invalid BigDecimal");
  EXPECT_EQ(Thrown([&] { one.Divide(zero, -2); }), "Invalid scale request");
  EXPECT_EQ(Thrown([&] { one.Divide(zero, -1); }), "Divide by Zero");
  EXPECT_EQ(Thrown([&] { one / zero; }), "Divide by Zero");
  EXPECT_EQ(Thrown([&] { one.Divide(one, INT_MIN); }), "Invalid scale request");
  // Nothing changed in the operands.
  EXPECT_EQ(Text(one), "1");
}

TEST(BigDecimalArithmetic, LongResults) {
  // (10^200 - 1)^2 = 10^400 - 2 10^200 + 1, far beyond 255 digits; the
  // differential tests cover such lengths at random.
  std::string const nines(200, '9');
  BigDecimal a(nines.c_str(), nullptr);
  Ptr square = a * a;
  EXPECT_EQ(Text(square), std::string(199, '9') + "8" + std::string(199, '0') + "1");
  EXPECT_EQ(Text(square->Divide(a, 0)), nines);
}

TEST(BigDecimalCompare, ByValue) {
  BigDecimal minusHalf("-0.5", nullptr), zero("0", nullptr), thousandth("0.001", nullptr);
  EXPECT_TRUE(minusHalf < zero && zero < thousandth && thousandth > minusHalf);
  BigDecimal a("1.50", nullptr), b("1.5", nullptr), m2("-2", nullptr), m1999("-1.999", nullptr);
  EXPECT_TRUE(a == b);
  EXPECT_TRUE(m2 < m1999);
  Ptr computedZero = a - b;
  EXPECT_TRUE(BigDecimal("0.000", nullptr) == *computedZero);
  // Values far apart in scale compare without being aligned digit by digit.
  BigDecimal tiny("1e-2147483647", nullptr), one("1", nullptr), tinyToo("0.1e-2147483646", nullptr);
  EXPECT_EQ(tiny.CompareTo(one), -1);
  EXPECT_EQ(tiny.CompareTo(zero), 1);
  EXPECT_EQ(tiny.CompareTo(tinyToo), 0);
}

TEST(BigDecimalText, FormsOfOneValue) {
  BigDecimal v("1234.5", nullptr);
  EXPECT_EQ(Narrow(v.ToWString()), "1234.5");
  EXPECT_EQ(std::string(v.GetIntegerDigits().GetString()), "1234");
  EXPECT_EQ(std::string(v.GetFractionDigits().GetString()), "5");
  QBase::ReturnWString mantissa = v.MantissaToWString();
  ASSERT_NE(mantissa.GetString(), nullptr);
  EXPECT_EQ(mantissa.GetLength(), 0u);

  BigDecimal quarter("0.25", nullptr), minusQuarter("-0.25", nullptr), whole("1234", nullptr);
  EXPECT_EQ(std::string(quarter.GetIntegerDigits().GetString()), "0");
  EXPECT_EQ(Text(minusQuarter), "-0.25");
  EXPECT_EQ(std::string(whole.GetFractionDigits().GetString()), "");
  // A computed 0.05 has the digit text 5 at scale 2.
  BigDecimal a("0.10", nullptr), b("0.05", nullptr);
  Ptr c = a - b;
  EXPECT_EQ(Text(c), "0.05");
  EXPECT_EQ(c->Precision(), 1);
  EXPECT_EQ(std::string(c->GetFractionDigits().GetString()), "05");
  EXPECT_EQ(std::string(c->GetIntegerDigits().GetString()), "0");
  // Leading zeros remembered by the parse show in the integer digits.
  BigDecimal lz("007.50", nullptr);
  EXPECT_EQ(std::string(lz.GetIntegerDigits().GetString()), "007");
  EXPECT_EQ(std::string(lz.GetFractionDigits().GetString()), "50");
  BigDecimal shifted("0.05e1", nullptr);
  EXPECT_EQ(std::string(shifted.GetIntegerDigits().GetString()), "00");
  // Long fractions across several limbs, with zeros between.
  std::string const text = "-12345678901234567890123." + std::string(40, '0') + "12345678901234567890";
  BigDecimal longOne(text.c_str(), nullptr);
  EXPECT_EQ(Text(longOne), text);
  EXPECT_EQ(Narrow(longOne.ToWString()), text);
  EXPECT_EQ(std::string(longOne.GetFractionDigits().GetString()), std::string(40, '0') + "12345678901234567890");
}

TEST(BigDecimalPlacement, ResultsLiveInTheLeftOperandsArena) {
  QBase::Arena arena;
  BigDecimal a("12.5", &arena);
  BigDecimal b("0.25", nullptr);
  size_t used = arena.GetUsedSize();
  EXPECT_EQ(used, 0u);  // a value of up to 18 digits lives inside its object
  for (int op = 0; op < 4; ++op) {
    Ptr r = op == 0 ? a + b : op == 1 ? a - b : op == 2 ? a * b : a / b;
    EXPECT_GT(arena.GetUsedSize(), used) << op;
    used = arena.GetUsedSize();
    Ptr fromHeap = op == 0 ? b + a : op == 1 ? b - a : op == 2 ? b * a : b / a;
    EXPECT_EQ(arena.GetUsedSize(), used) << op;
  }
  // Objects made with new remember where they live.
  BigDecimal* inArena = new (&arena) BigDecimal("3", &arena);
  BigDecimal* onHeap = new BigDecimal("4", nullptr);
  BigDecimal* viaNullBuffer = new (static_cast<QBase::Buffer*>(nullptr)) BigDecimal("5", nullptr);
  EXPECT_EQ(Text(*inArena), "3");
  delete inArena;  // storage stays with the arena
  delete onHeap;
  delete viaNullBuffer;

  // A full arena refuses, and the operation reports it.
  QBase::Arena small(64);
  BigDecimal first("1", &small);
  EXPECT_FALSE(first.IsInvalid());
  std::string const big(400, '7');
  EXPECT_THROW(BigDecimal(big.c_str(), &small), std::bad_alloc);
  EXPECT_THROW(first + b, std::bad_alloc);
}

TEST(BigDecimalLimits, HostileTextsAndOversizedResults) {
  QBase::Arena arena;
  // Parsing beyond the limit is refused before anything is allocated.
  BigDecimal huge("1e1000000000", &arena);
  EXPECT_TRUE(huge.IsInvalid());
  EXPECT_TRUE(BigDecimal("1e100000000", &arena).IsInvalid());  // 10^8 + 1 digits
  EXPECT_TRUE(BigDecimal("-12.5e99999999", &arena).IsInvalid());
  EXPECT_EQ(arena.GetUsedSize(), 0u);
  EXPECT_FALSE(BigDecimal("0e1000000000", nullptr).IsInvalid());

  BigDecimal one("1", &arena);
  BigDecimal tiny("1e-100000000", nullptr);
  ASSERT_FALSE(tiny.IsInvalid());
  size_t const used = arena.GetUsedSize();
  EXPECT_THROW(one + tiny, std::length_error);
  EXPECT_THROW(one - tiny, std::length_error);
  EXPECT_THROW(tiny + one, std::length_error);
  EXPECT_THROW(one.Divide(tiny, 0), std::length_error);  // 10^100000000
  BigDecimal three("3", nullptr);
  EXPECT_THROW(one.Divide(three, 100000000), std::length_error);
  EXPECT_THROW(one.Divide(three, INT_MAX), std::length_error);
  BigDecimal edge("1e-2147483647", nullptr);
  EXPECT_THROW(edge * edge, std::length_error);  // scale beyond 2147483647
  EXPECT_THROW(edge + one, std::length_error);
  EXPECT_THROW(edge.ToString(), std::length_error);
  EXPECT_THROW(edge.ToWString(), std::length_error);
  EXPECT_THROW(edge.GetFractionDigits(), std::length_error);
  EXPECT_EQ(arena.GetUsedSize(), used);
  // Within the limit everything is exact, and values that are mostly
  // zeros stay cheap to multiply.
  Ptr zero = edge - edge;
  EXPECT_EQ(Text(zero), "0");
  EXPECT_EQ(zero->Scale(), INT_MAX);
  EXPECT_EQ(edge.CompareTo(*zero), 1);
  BigDecimal half("1e49999999", nullptr);
  Ptr full = half * half;
  EXPECT_EQ(full->Precision(), 99999999);
  EXPECT_EQ(full->CompareTo(BigDecimal("1e99999998", nullptr)), 0);
  BigDecimal two("2", nullptr);
  Ptr doubled = two * half;
  EXPECT_EQ(doubled->Precision(), 50000000);
  BigDecimal justInside("0.5e-99999997", nullptr);  // scale 99999998
  EXPECT_THROW(one + BigDecimal("0.5e-99999998", nullptr), std::length_error);  // no room for a carry
  Ptr sum = one + justInside;
  EXPECT_EQ(sum->Precision(), 99999999);
  EXPECT_EQ(sum->Scale(), 99999998);
  Ptr q = sum->Divide(one, 0);
  EXPECT_EQ(Text(q), "1");
}

}  // namespace
