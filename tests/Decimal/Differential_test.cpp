// Differential tests against GMP: operands are random decimal texts; the
// expected results are computed with mpz integers scaled by powers of ten
// and printed independently, then compared with BigDecimal's texts.
#include <gmpxx.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "DataType/Decimal/BigDecimal.h"
#include "DataType/Decimal/internal/Limbs.h"  // the crossovers, in limbs

namespace {

using QDataType::BigDecimal;
using Ptr = BigDecimal::Ptr;
// Header-only use (no stream operators). Z(text) reads a leading 0 as octal:
// base 10 wherever a text may begin with 0.
using Z = mpz_class;

// value * 10^k
Z Scaled(Z const& value, long k) {
  Z p;
  mpz_ui_pow_ui(p.get_mpz_t(), 10, static_cast<unsigned long>(k));
  return value * p;
}

// An exact decimal: value * 10^-scale.
struct Expected {
  Z value;
  long scale = 0;
};

// Plain decimal text of value * 10^-scale, printed from the integer.
std::string Format(Expected const& e) {
  if (sgn(e.value) == 0) return "0";
  std::string digits = Z(abs(e.value)).get_str();
  if (static_cast<long>(digits.size()) <= e.scale) digits.insert(0, static_cast<size_t>(e.scale) - digits.size() + 1, '0');
  size_t const integer = digits.size() - static_cast<size_t>(e.scale);
  return (sgn(e.value) < 0 ? "-" : "") + digits.substr(0, integer) + (e.scale > 0 ? "." + digits.substr(integer) : "");
}

// Digits of |v| (0 for zero).
long DigitCount(Z const& v) { return sgn(v) == 0 ? 0 : static_cast<long>(Z(abs(v)).get_str().size()); }

struct Operand {
  std::string text;
  Expected exact;
};

// Random decimal text with its exact value. Shapes: integers, fractions,
// values below one with zeros after the point, exponents, zeros.
Operand RandomOperand(std::mt19937_64& rng, int maxDigits) {
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  auto digitString = [&](int n, bool nonZeroFirst) {
    std::string s;
    for (int i = 0; i < n; ++i) {
      int d = pick(0, 3) == 0 ? (pick(0, 1) ? 9 : 0) : pick(0, 9);  // runs of nines and zeros: carries, borrows
      if (i == 0 && nonZeroFirst && d == 0) d = pick(1, 9);
      s.push_back(static_cast<char>('0' + d));
    }
    return s;
  };
  bool const negative = pick(0, 1) == 1;
  if (pick(0, 40) == 0) {
    char const* const zeros[] = {"0", "0.000", "-0", ".0", "0e7"};
    return Operand{zeros[pick(0, 4)], Expected{Z(0), 0}};
  }
  int const total = pick(1, maxDigits);
  int const shape = pick(0, 3);
  std::string intPart, fracPart;
  if (shape == 0) {
    intPart = digitString(total, true);
  } else if (shape == 1 || total == 1) {
    int const f = pick(0, total - 1);
    intPart = digitString(total - f, true);
    fracPart = digitString(f, false);
  } else {  // 0.000ddd
    int const zeros = pick(0, std::min(total - 1, 60));
    fracPart = std::string(static_cast<size_t>(zeros), '0') + digitString(total - zeros, true);
  }
  std::string const mantissa = intPart.empty() ? "0" : intPart;
  long scale = static_cast<long>(fracPart.size());
  Operand op;
  op.text = (negative ? "-" : pick(0, 5) == 0 ? "+" : "") + mantissa + (fracPart.empty() ? "" : "." + fracPart);
  // An exponent; positive ones only where the integer part is not zero, so
  // that no digit-text zeros end up in front of the integer digits.
  if (pick(0, 4) == 0) {
    int exponent = pick(-30, 30);
    if (intPart.empty() && exponent > 0) exponent = -exponent;
    op.text += (pick(0, 1) ? "e" : "E") + std::to_string(exponent);
    scale -= exponent;
  }
  Z value(mantissa + fracPart, 10);
  if (scale < 0) value = Scaled(value, -scale), scale = 0;
  if (negative) value = -value;
  op.exact = Expected{value, sgn(value) == 0 ? 0 : scale};  // every text of zeros has scale 0
  return op;
}

Expected Add(Expected const& a, Expected const& b, bool subtract) {
  long const s = std::max(a.scale, b.scale);
  Z const x = Scaled(a.value, s - a.scale), y = Scaled(b.value, s - b.scale);
  return Expected{subtract ? Z(x - y) : Z(x + y), s};
}

Expected Multiply(Expected const& a, Expected const& b) { return Expected{a.value * b.value, a.scale + b.scale}; }

// (a / b) at the given scale, truncated toward zero:
// floor-toward-zero of A 10^(scale + sb) / (B 10^sa).
Expected Divide(Expected const& a, Expected const& b, long scale) {
  return Expected{Z(Scaled(a.value, scale + b.scale) / Scaled(b.value, a.scale)), scale};  // mpz_class / truncates
}

int Compare(Expected const& a, Expected const& b) {
  long const s = std::max(a.scale, b.scale);
  int const c = cmp(Scaled(a.value, s - a.scale), Scaled(b.value, s - b.scale));
  return (c > 0) - (c < 0);
}

// Checks one result against the oracle: text, scale, sign and, for a
// computed result, the precision (its digit count).
void Check(Ptr const& got, Expected const& want, bool checkPrecision, char const* what) {
  SCOPED_TRACE(what);
  ASSERT_TRUE(got);
  EXPECT_EQ(std::string(got->ToString().GetString()), Format(want));
  EXPECT_TRUE(got->Scale() == want.scale && got->Signum() == sgn(want.value));
  EXPECT_TRUE(!checkPrecision || got->Precision() == DigitCount(want.value)) << got->Precision();
}

template <class Generate>
void RunPairsOf(std::mt19937_64& rng, int pairs, Generate generate) {
  QBase::Arena arena;
  for (int i = 0; i < pairs; ++i) {
    Operand const x = generate(), y = generate();
    SCOPED_TRACE("a = " + x.text + ", b = " + y.text);
    // Operands in an arena keep no leading zeros, so every text is plain.
    BigDecimal a(x.text.c_str(), &arena), b(y.text.c_str(), (i & 1) != 0 ? &arena : nullptr);
    ASSERT_FALSE(a.IsInvalid() || b.IsInvalid());
    ASSERT_TRUE(std::string(a.ToString().GetString()) == Format(x.exact) && a.Scale() == x.exact.scale);
    bool const computed = a.Signum() != 0 && b.Signum() != 0;
    Check(a + b, Add(x.exact, y.exact, false), computed, "a + b");
    Check(a - b, Add(x.exact, y.exact, true), computed, "a - b");
    Check(a * b, Multiply(x.exact, y.exact), true, "a * b");
    EXPECT_TRUE(a.CompareTo(b) == Compare(x.exact, y.exact) && b.CompareTo(a) == Compare(y.exact, x.exact));
    if (b.Signum() != 0) {
      Check(a / b, Divide(x.exact, y.exact, x.exact.scale), true, "a / b");
      int const scale = std::uniform_int_distribution<int>(0, 60)(rng);
      Check(a.Divide(b, scale), Divide(x.exact, y.exact, scale), true, "a.Divide(b, scale)");
    }
    if (a.Signum() != 0) Check(b.Divide(a, 3), Divide(y.exact, x.exact, 3), true, "b.Divide(a, 3)");
  }
}

// Values kept inline in the object (at most 18 digits) and just past it:
// all nines, powers of ten, random digits of 1 to 20, at scales up to 40
// (so that aligned sums, products and the quotient's dividend cross 18 and
// 36 digits), negative zeros among the zeros.
Operand EdgeOperand(std::mt19937_64& rng) {
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  std::string digits;
  switch (pick(0, 4)) {
    case 0: digits = std::string(static_cast<size_t>(pick(1, 20)), '9'); break;
    case 1: digits = "1" + std::string(static_cast<size_t>(pick(0, 19)), '0'); break;
    case 2: digits = pick(0, 1) != 0 ? "0" : "1"; break;
    default:
      digits = std::to_string(pick(1, 9));
      for (int n = pick(1, 20); static_cast<int>(digits.size()) < n;) digits.push_back(static_cast<char>('0' + pick(0, 9)));
  }
  int const scale = pick(0, 3) == 0 ? pick(0, 40) : pick(0, 20);
  bool const negative = pick(0, 1) != 0;
  size_t const n = digits.size(), s = static_cast<size_t>(scale);
  std::string const body = scale == 0 ? digits
                           : s < n  ? digits.substr(0, n - s) + "." + digits.substr(n - s)
                                    : "0." + std::string(s - n, '0') + digits;
  Z const value(digits, 10);
  // Every text of zeros has scale 0.
  return Operand{(negative ? "-" : "") + body, Expected{negative ? Z(-value) : value, digits == "0" ? 0 : scale}};
}

// Values kept inline and their edges; random texts of up to 600 digits, then
// of 1 to 40: the sizes where single limbs and their carries matter.
TEST(BigDecimalVersusGmp, RandomPairs) {
  std::mt19937_64 rng(181818);
  RunPairsOf(rng, 20000, [&] { return EdgeOperand(rng); });
  RunPairsOf(rng, 4000, [&] { return RandomOperand(rng, 600); });
  RunPairsOf(rng, 6000, [&] { return RandomOperand(rng, 40); });
}

// Digits of whole limbs: a random leading digit, then 18-digit blocks,
// `digits` in all (so ceil(digits / 18) limbs). The blocks of a number are
// random, mostly nines, mostly zeros, a mix of these three, or (style
// kExtremeLimbs) each one of the extremes (all nines, all zeros, a single
// one, a half, just below a half) or random.
int const kExtremeLimbs = 4;
std::string PatternDigits(std::mt19937_64& rng, long digits, int style = -1) {
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  std::string const extremes[] = {std::string(18, '9'), std::string(18, '0'), std::string(17, '0') + "1",
                                  "5" + std::string(17, '0'), "4" + std::string(17, '9')};
  if (style < 0) style = pick(0, 3);
  std::string s(1, static_cast<char>('1' + pick(0, 8)));
  while (static_cast<long>(s.size()) < digits) {
    int const k = style == kExtremeLimbs ? pick(0, 5) : style == 3 ? pick(0, 2) : style;
    if (style == kExtremeLimbs && k < 5) {
      s += extremes[k];
      continue;
    }
    char const fill = k == 1 ? '9' : '0';
    for (int i = 0; i < 18; ++i) s.push_back(k == 0 || k == 5 || pick(0, 7) == 0 ? static_cast<char>('0' + pick(0, 9)) : fill);
  }
  s.resize(static_cast<size_t>(digits));
  return s;
}

// Operands built from whole limbs of extreme digits (all nines, all zeros,
// a single one, a half) at scales that keep the limbs whole: the rare
// branches of long division (the estimate correction and the add-back) and
// the carries of Karatsuba's middle term.
TEST(BigDecimalVersusGmp, LimbPatternsAndLargeSizes) {
  std::mt19937_64 rng(1234567);
  int const limb = 18;  // digits per limb of the representation
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  auto number = [&](int limbs) { return PatternDigits(rng, 1 + limb * (limbs - 1), kExtremeLimbs); };
  // (8 limbs and more: sums and differences in vectors, where the processor
  // has them; the shorter operand on either side of the Karatsuba crossover,
  // quotients and divisors on either side of Newton's, Limbs.h.)
  namespace d = QDataType::decimal;
  int const kar = static_cast<int>(d::kKaratsubaThreshold), newton = static_cast<int>(d::kNewtonThreshold);
  int const sizes[][2] = {{2, 1},    {3, 2},     {5, 3},     {8, 4},   {40, 20}, {60, 41},
                          {90, 45},  {120, 80},  {200, 100}, {300, 7}, {81, 80}, {160, 159},
                          {530, 265}, {1100, 540}, {8, 7},    {9, 8},   {17, 16}, {41, 40},
                          {kar + 1, kar}, {3 * kar, kar - 1}, {2 * newton, newton}, {2 * newton - 2, newton - 1}};
  for (auto const& size : sizes) {
    for (int round = 0; round < 12; ++round) {
      std::string const u = number(size[0]);
      std::string const v = number(size[1]);
      long const su = limb * pick(0, 2);
      long const sv = pick(0, 1) ? limb * pick(0, 2) : pick(0, 40);
      std::string const tu = u + "e-" + std::to_string(su);
      std::string const tv = v + "e-" + std::to_string(sv);
      SCOPED_TRACE(tu.substr(0, 40) + " / " + tv.substr(0, 40));
      Expected eu{Z(u), su}, ev{Z(v), sv};
      BigDecimal a(tu.c_str(), nullptr), b(tv.c_str(), nullptr);
      ASSERT_FALSE(a.IsInvalid() || b.IsInvalid());
      long const scale = pick(0, 1) ? su : su + limb * pick(0, 3);
      Check(a.Divide(b, static_cast<int>(scale)), Divide(eu, ev, scale), true, "divide");
      Check(a * b, Multiply(eu, ev), true, "multiply");
      Check(a + b, Add(eu, ev, false), true, "add");
      Check(a - b, Add(eu, ev, true), true, "subtract");
      // Dividing the product by one factor gives the other back exactly.
      EXPECT_EQ((a * b)->Divide(b, static_cast<int>(su))->CompareTo(a), 0);
    }
  }
}

// Integers of the given digit counts: a * b, a / b at `scale`, and b * a.
void CheckPair(std::string const& u, std::string const& v, long scale) {
  SCOPED_TRACE(std::to_string(u.size()) + " digits by " + std::to_string(v.size()) + " at scale " +
               std::to_string(scale));
  Expected const eu{Z(u), 0}, ev{Z(v), 0};
  BigDecimal a(u.c_str(), nullptr), b(v.c_str(), nullptr);
  Check(a * b, Multiply(eu, ev), true, "a * b");
  Check(a.Divide(b, static_cast<int>(scale)), Divide(eu, ev, scale), true, "a / b");
}

long Limbs(long n) { return n * 18; }

// Long operands in the shapes the short tests do not reach: products whose
// transform length is just at or above 2^k and 3 2^k limbs, a value times
// itself (one transform serves both factors), unbalanced products, trailing
// zero limbs set aside and cut dividends, results in an arena.
TEST(BigDecimalVersusGmp, LongOperandShapes) {
  namespace d = QDataType::decimal;
  std::mt19937_64 rng(77);
  long const ntt = static_cast<long>(d::kTransformThreshold);
  long const newton = static_cast<long>(d::kNewtonThreshold);
  QBase::Arena arena;
  for (long total : {ntt * 2, 1024L, 1025L, 1536L, 1537L, 2048L, 2049L, 3072L, 3073L}) {
    CheckPair(PatternDigits(rng, Limbs(total - total / 2)), PatternDigits(rng, Limbs(total / 2)), 0);
  }
  // Squares, through the same object on both sides.
  for (long limbs : {ntt - 1, ntt, 3 * ntt + 1}) {
    std::string const u = PatternDigits(rng, Limbs(limbs) - 5);
    BigDecimal a(u.c_str(), nullptr);
    Expected const e{Z(u), 0};
    Check(a * a, Multiply(e, e), true, "a * a");
  }
  // A long operand times one just past the transform threshold, both ways.
  {
    std::string const u = PatternDigits(rng, Limbs(9 * ntt));
    std::string const v = PatternDigits(rng, Limbs(ntt + 2));
    CheckPair(u, v, 0);
    CheckPair(v, u, 0);
  }
  // Trailing zeros (zero limbs set aside), fractions, and quotients at scales
  // below the dividend's (its low digits cut before dividing), with the left
  // operand and so every result in an arena.
  for (int round = 0; round < 6; ++round) {
    long const zeros = 18 * (round + 1) + round;
    std::string const u = PatternDigits(rng, Limbs(4 * newton));
    std::string const v = PatternDigits(rng, Limbs(newton + round));
    std::string const tu = u + "e" + std::to_string(zeros);
    std::string const tv = v + "e-" + std::to_string(zeros + 7);
    Expected const eu{Scaled(Z(u), zeros), 0};
    Expected const ev{Z(v), zeros + 7};
    BigDecimal a(tu.c_str(), &arena), b(tv.c_str(), nullptr);
    SCOPED_TRACE(round);
    Check(a * b, Multiply(eu, ev), true, "a * b");
    Check(a.Divide(b, 3), Divide(eu, ev, 3), true, "a / b");
    Check(b.Divide(a, static_cast<int>(Limbs(6 * newton))), Divide(ev, eu, Limbs(6 * newton)), true, "b / a");
    Ptr const product = a * b;
    Check(product->Divide(b, 0), eu, true, "(a b) / b");
    // A dividend of scale 40 at result scale 5: its last 35 digits go first.
    std::string const tc = u + "e-40";
    Expected const ec{Z(u), 40}, ew{Z(v), 0};
    BigDecimal c(tc.c_str(), &arena), w(v.c_str(), nullptr);
    Check(c.Divide(w, 5), Divide(ec, ew, 5), true, "cut dividend");
  }
}

// The long-operand algorithms with million-digit operands: the product, a
// dividend of a million digits by half as many, and half a million by half a
// million at that scale (a quotient of as many digits).
TEST(BigDecimalVersusGmp, MillionDigitOperands) {
  std::mt19937_64 rng(1000000);
  long const n = 1000000;
  std::string const a = PatternDigits(rng, n);
  std::string const b = PatternDigits(rng, n);
  std::string const half = PatternDigits(rng, n / 2);
  Expected const ea{Z(a), 0}, eb{Z(b), 0}, eh{Z(half), 0};
  BigDecimal x(a.c_str(), nullptr), y(b.c_str(), nullptr), z(half.c_str(), nullptr);
  Check(x * y, Multiply(ea, eb), true, "a * b");
  Check(x.Divide(z, 10), Divide(ea, eh, 10), true, "2n by n digits");
  Expected const eq{Z(a.substr(0, n / 2)), 0};
  BigDecimal w(a.substr(0, n / 2).c_str(), nullptr);
  Check(w.Divide(z, static_cast<int>(n / 2)), Divide(eq, eh, n / 2), true, "n by n digits at scale n");
}

}  // namespace

