// Natural-number arithmetic in base 10^18 for BigDecimal.
//
// A magnitude is an array of 64-bit limbs, least significant first, each
// holding 18 decimal digits (0 .. 10^18 - 1). Decimal digits map onto limbs
// directly, so reading and writing digit text is linear, and a shift by a
// whole number of limbs is a shift by 18 decimal places. The base leaves
// headroom in a 64-bit word: two limbs and a carry add without overflow, and
// a limb product splits by a multiply-high with a precomputed quotient.
//
// Routines take raw pointers and sizes; callers own the storage. "Normalized"
// means the most significant limb is not zero. Working storage that a routine
// needs for itself comes from the stack when small, else from the heap, and
// is freed before it returns.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// x86-64 instructions (the 128-by-64-bit divide below, SSE2 lanes in the
// digit text) are used where the compiler targets them. QDT_PORTABLE (the
// build option of that name) keeps to portable C++ on every target, so that
// the code other targets run is built and tested on x86-64 too.
#if defined(__x86_64__) && !defined(QDT_PORTABLE)
#define QDT_DECIMAL_X86_64 1
#else
#define QDT_DECIMAL_X86_64 0
#endif
#if defined(__SSE2__) && !defined(QDT_PORTABLE)
#define QDT_DECIMAL_SSE2 1
#else
#define QDT_DECIMAL_SSE2 0
#endif

namespace QDataType {
namespace decimal {

using Limb = std::uint64_t;
using Wide = unsigned __int128;

constexpr int kLimbDigits = 18;
constexpr Limb kBase = 1000000000000000000ull;

// 10^0 .. 10^19.
inline constexpr Limb kPow10[20] = {1ull,
                                    10ull,
                                    100ull,
                                    1000ull,
                                    10000ull,
                                    100000ull,
                                    1000000ull,
                                    10000000ull,
                                    100000000ull,
                                    1000000000ull,
                                    10000000000ull,
                                    100000000000ull,
                                    1000000000000ull,
                                    10000000000000ull,
                                    100000000000000ull,
                                    1000000000000000ull,
                                    10000000000000000ull,
                                    100000000000000000ull,
                                    1000000000000000000ull,
                                    10000000000000000000ull};

// Number of decimal digits of x (0 for 0).
inline int DigitsOf(Limb x) noexcept {
  if (x == 0) return 0;
  int const bits = 64 - __builtin_clzll(x);
  int const t = (bits * 1233) >> 12;  // 1233 / 4096 ~ log10(2)
  return t - (x < kPow10[t] ? 1 : 0) + 1;
}

// Division by the base of a two-word number hi * 2^64 + lo with hi < 10^18,
// by multiplication with a precomputed reciprocal (Moller and Granlund,
// "Improved division by invariant integers") of the base shifted to have its
// top bit set.
constexpr int kBaseShift = 4;
constexpr Limb kBaseNormalized = kBase << kBaseShift;
constexpr Limb kBaseInverse = static_cast<Limb>(~Wide{0} / kBaseNormalized - (Wide{1} << 64));

inline Limb DivBase(Limb hi, Limb lo, Limb& remainder) noexcept {
  Limb const u1 = (hi << kBaseShift) | (lo >> (64 - kBaseShift));
  Limb const u0 = lo << kBaseShift;
  Wide p = Wide{kBaseInverse} * u1;
  p += (Wide{u1} << 64) | u0;
  Limb q1 = static_cast<Limb>(p >> 64) + 1;
  Limb const q0 = static_cast<Limb>(p);
  Limb r = u0 - q1 * kBaseNormalized;
  // The first correction is taken about half the time: keep it free of
  // branches. The second is rare.
  Limb const mask = Limb{0} - static_cast<Limb>(r > q0);
  q1 += mask;
  r += mask & kBaseNormalized;
  if (__builtin_expect(r >= kBaseNormalized, 0)) {
    ++q1;
    r -= kBaseNormalized;
  }
  remainder = r >> kBaseShift;
  return q1;
}

// (hi * 2^64 + lo) / d for hi < d.
inline Limb DivWide(Limb hi, Limb lo, Limb d, Limb& remainder) noexcept {
#if QDT_DECIMAL_X86_64
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

// A fixed multiplier m < 10^18 with its scaled quotient floor(m 2^64 / B)
// (Shoup): m * x splits into high and low limbs with one multiply-high, two
// plain multiplies and one correction.
struct Multiplier {
  explicit Multiplier(Limb m) noexcept : value(m) {
    Limb unused;
    scaled = DivBase(m, 0, unused);
  }
  // m * x = high * B + low, for x < 2^64 (the product below B^2 * 18).
  Limb Split(Limb x, Limb& low) const noexcept {
    Limb high = static_cast<Limb>((Wide{scaled} * x) >> 64);
    Limb l = value * x - high * kBase;  // in [0, 2B): exact modulo 2^64
    Limb const over = static_cast<Limb>(l >= kBase);
    l -= (Limb{0} - over) & kBase;
    low = l;
    return high + over;
  }
  Limb value;
  Limb scaled;
};

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

// Significant digits of a normalized magnitude (0 for none).
inline std::int64_t DigitCount(Limb const* a, std::size_t n) noexcept {
  return n == 0 ? 0 : std::int64_t{kLimbDigits} * static_cast<std::int64_t>(n - 1) + DigitsOf(a[n - 1]);
}

// r = a + b over n limbs; returns the carry (0 or 1). r may alias a or b.
Limb AddN(Limb* r, Limb const* a, Limb const* b, std::size_t n) noexcept;
// r = a + carry over n limbs; returns the carry out.
Limb AddCarry(Limb* r, Limb const* a, std::size_t n, Limb carry) noexcept;
// r = a - b over n limbs; returns the borrow (0 or 1). r may alias a or b.
Limb SubN(Limb* r, Limb const* a, Limb const* b, std::size_t n) noexcept;
// r = a - borrow over n limbs; returns the borrow out.
Limb SubBorrow(Limb* r, Limb const* a, std::size_t n, Limb borrow) noexcept;
// r = a * m over n limbs (m < 10^18); returns the carry limb. r may alias a.
Limb MulSmall(Limb* r, Limb const* a, std::size_t n, Limb m) noexcept;
// Three-way comparison of normalized magnitudes.
int Compare(Limb const* a, std::size_t na, Limb const* b, std::size_t nb) noexcept;

// Decimal shifts. ShiftUpDigits: r = a * 10^k, that is k / 18 zero limbs and
// then a moved up by k % 18 digits; r has room for n + k / 18 + 1 limbs and
// must not overlap a; returns the limbs written (the top one may be zero).
// ShiftDownDigits: r = floor(a / 10^k); r has room for n limbs and may be a;
// returns the limbs written (the top one may be zero).
std::size_t ShiftUpDigits(Limb* r, Limb const* a, std::size_t n, std::uint64_t k) noexcept;
std::size_t ShiftDownDigits(Limb* r, Limb const* a, std::size_t n, std::uint64_t k) noexcept;
// r = a * 10^k + b, for a of na and b of nb limbs (both may have zero top
// limbs); r has room for max(na + k / 18 + 1, nb) + 1 limbs and must not
// overlap a or b; returns the limbs written (the top ones may be zero).
std::size_t AddShifted(Limb* r, Limb const* a, std::size_t na, std::uint64_t k, Limb const* b, std::size_t nb) noexcept;
// Three-way comparison of a * 10^k with b, both normalized and not zero.
int CompareShifted(Limb const* a, std::size_t na, std::uint64_t k, Limb const* b, std::size_t nb) noexcept;

// Crossovers between the algorithms, in limbs (the tests cross each of them).
// A build for fuzzing lowers them (QDT_DECIMAL_LOW_CROSSOVERS) so that short
// inputs reach every algorithm.
//   products: schoolbook below kKaratsubaThreshold limbs of the shorter
//     operand (it also bounds a column to 17 products, which keeps a
//     column's sum below 10^18 2^64: one split per column), Karatsuba below
//     kTransformThreshold, number-theoretic transforms (Ntt.h) above;
//   division: long division unless both the quotient and the divisor have
//     kNewtonThreshold limbs or more, then Newton's method, whose reciprocal
//     starts from long division at kReciprocalBase limbs.
#ifdef QDT_DECIMAL_LOW_CROSSOVERS
constexpr std::size_t kKaratsubaThreshold = 4;
constexpr std::size_t kTransformThreshold = 8;
constexpr std::size_t kNewtonThreshold = 5;
constexpr std::size_t kReciprocalBase = 3;
#else
constexpr std::size_t kKaratsubaThreshold = 18;
constexpr std::size_t kTransformThreshold = 600;
constexpr std::size_t kNewtonThreshold = 150;
constexpr std::size_t kReciprocalBase = 60;
#endif

// r[0 .. na+nb) = a * b for na, nb >= 1. r must not overlap a or b.
void Mul(Limb* r, Limb const* a, std::size_t na, Limb const* b, std::size_t nb);

// q[0 .. n-nv+1) = floor(u * 10^shift / v), where n = DividendLimbs(nu,
// shift) >= nv and v is normalized. The remainder is not kept. Cost: long
// division in (n - nv) nv, Newton's method in a few products of the
// quotient's length (a product of the divisor's length for the remainder).
std::size_t DividendLimbs(std::size_t nu, std::uint64_t shift) noexcept;
void DivQuotient(Limb* q, Limb const* u, std::size_t nu, std::uint64_t shift, Limb const* v, std::size_t nv);

}  // namespace decimal
}  // namespace QDataType
