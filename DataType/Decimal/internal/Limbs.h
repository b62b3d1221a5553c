// Natural-number arithmetic in base 10^19 for BigDecimal.
//
// A magnitude is an array of 64-bit limbs, least significant first, each
// holding 19 decimal digits (0 .. 10^19 - 1). Decimal digits map onto limbs
// directly, so reading and writing digit text is linear, and a shift by a
// whole number of limbs is a shift by 19 decimal places.
//
// Routines take raw pointers and sizes; callers own the storage. "Normalized"
// means the most significant limb is not zero. Working storage that a routine
// needs for itself comes from the heap and is freed before it returns.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace QDataType {
namespace decimal {

using Limb = std::uint64_t;
using Wide = unsigned __int128;

constexpr int kLimbDigits = 19;
constexpr Limb kBase = 10000000000000000000ull;

// 10^0 .. 10^19.
extern Limb const kPow10[20];

// Number of decimal digits of x (0 for 0).
inline int DigitsOf(Limb x) noexcept {
  if (x == 0) return 0;
  // floor(log10(x)) estimated from the bit length, then corrected once.
  int const bits = 64 - __builtin_clzll(x);
  int const t = (bits * 1233) >> 12;  // 1233 / 4096 ~ log10(2)
  return t - (x < kPow10[t] ? 1 : 0) + 1;
}

// The reciprocal of the base for the 2-by-1 division below (10^19 has its
// top bit set, so no normalization shift is needed).
constexpr Limb kBaseInverse = static_cast<Limb>(~Wide{0} / kBase - (Wide{1} << 64));

// (hi * 2^64 + lo) / 10^19 for hi < 10^19: quotient and remainder, by
// multiplication with the precomputed reciprocal (no hardware division).
inline Limb DivBase(Limb hi, Limb lo, Limb& remainder) noexcept {
  Wide p = Wide{kBaseInverse} * hi;
  p += (Wide{hi} << 64) | lo;
  Limb q1 = static_cast<Limb>(p >> 64) + 1;
  Limb const q0 = static_cast<Limb>(p);
  Limb r = lo - q1 * kBase;
  if (r > q0) {
    --q1;
    r += kBase;
  }
  if (r >= kBase) {
    ++q1;
    r -= kBase;
  }
  remainder = r;
  return q1;
}

// Splits x < 10^38 into x / 10^19 and x % 10^19.
inline Limb SplitBase(Wide x, Limb& low) noexcept {
  return DivBase(static_cast<Limb>(x >> 64), static_cast<Limb>(x), low);
}

// (hi * 2^64 + lo) / d for hi < d.
inline Limb DivWide(Limb hi, Limb lo, Limb d, Limb& remainder) noexcept {
#if defined(__x86_64__)
  Limb q, r;
  __asm__("divq %4" : "=a"(q), "=d"(r) : "a"(lo), "d"(hi), "rm"(d));
  remainder = r;
  return q;
#else
  Wide const x = (Wide{hi} << 64) | lo;
  remainder = static_cast<Limb>(x % d);
  return static_cast<Limb>(x / d);
#endif
}

// Size of a magnitude without its high zero limbs.
inline std::size_t Normalized(Limb const* a, std::size_t n) noexcept {
  while (n > 0 && a[n - 1] == 0) --n;
  return n;
}

// Number of zero limbs at the low end (n when all are zero).
inline std::size_t LowZeroLimbs(Limb const* a, std::size_t n) noexcept {
  std::size_t z = 0;
  while (z < n && a[z] == 0) ++z;
  return z;
}

// r = a + b over n limbs; returns the carry (0 or 1). r may alias a or b.
Limb AddN(Limb* r, Limb const* a, Limb const* b, std::size_t n) noexcept;
// r = a + carry over n limbs; returns the carry out.
Limb AddCarry(Limb* r, Limb const* a, std::size_t n, Limb carry) noexcept;
// r = a - b over n limbs; returns the borrow (0 or 1). r may alias a or b.
Limb SubN(Limb* r, Limb const* a, Limb const* b, std::size_t n) noexcept;
// r = a - borrow over n limbs; returns the borrow out.
Limb SubBorrow(Limb* r, Limb const* a, std::size_t n, Limb borrow) noexcept;
// r = a * m over n limbs (m < 10^19); returns the carry limb. r may alias a.
Limb MulSmall(Limb* r, Limb const* a, std::size_t n, Limb m) noexcept;
// Three-way comparison of normalized magnitudes.
int Compare(Limb const* a, std::size_t na, Limb const* b, std::size_t nb) noexcept;

// r[0 .. na+nb) = a * b for na, nb >= 1. r must not overlap a or b.
// Schoolbook (column by column) for short operands, Karatsuba above.
void Mul(Limb* r, Limb const* a, std::size_t na, Limb const* b, std::size_t nb);

// q[0 .. nu+shift-nv+1) = floor(u * B^shift / v), where B = 10^19, v is
// normalized and nu + shift >= nv. The remainder is not kept.
void DivQuotient(Limb* q, Limb const* u, std::size_t nu, std::size_t shift, Limb const* v, std::size_t nv);

// Text conversion. ParseDigits reads n <= 19 ASCII digits (most significant
// first); WriteDigits19 writes exactly 19 digits with leading zeros;
// WriteDigits writes x without leading zeros (nothing for 0) and returns the
// count.
Limb ParseDigits(char const* p, int n) noexcept;
void WriteDigits19(char* out, Limb x) noexcept;
int WriteDigits(char* out, Limb x) noexcept;

}  // namespace decimal
}  // namespace QDataType
