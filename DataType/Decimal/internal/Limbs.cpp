#include "DataType/Decimal/internal/Limbs.h"

#include <algorithm>
#include <array>
#include <memory>
#include <stdexcept>
#include <utility>

#include "DataType/Decimal/internal/Ntt.h"

#if QDT_DECIMAL_X86_64
#include <immintrin.h>
#endif

namespace QDataType {
namespace decimal {

namespace {

static_assert(kKaratsubaThreshold <= 18, "at most 17 products in a column");
static_assert(kNewtonThreshold >= 3 && kReciprocalBase >= 2, "long division needs two divisor limbs");

// Product by columns. Column k's sum of products (at most 17 of them), plus
// the quotient carried from column k - 1, splits as q B + rest by an
// estimate: from T, its bits above 2^60, q = floor(T 2^60 / B) within 3 of
// floor(sum / B) and never above it, so rest lies in [0, 4B). q goes to the
// next column (a short chain: one multiply-high), and rest, with the small
// carry of the column below, is brought into [0, B) by one division by a
// constant. No exact two-word division anywhere.
constexpr Limb kColumnFraction = static_cast<Limb>((Wide{1} << 124) / kBase - (Wide{1} << 64));  // 2^124 / B - 2^64

// acc < 2^124. Returns q with acc - q B in [0, 4B); rest = acc - q B.
inline Limb SplitColumn(Wide acc, Limb& rest) noexcept {
  Limb const t = static_cast<Limb>(acc >> 60);
  Limb const q = t + static_cast<Limb>((Wide{t} * kColumnFraction) >> 64);
  rest = static_cast<Limb>(acc) - q * kBase;  // exact: the true value fits
  return q;
}

// rest + carry (below 4B + 5) into [0, B); returns the new carry.
inline Limb SettleColumn(Limb rest, Limb carry, Limb& out) noexcept {
  Limb const s = rest + carry;
  Limb const cy = s / kBase;  // a multiply-high by a constant
  out = s - cy * kBase;
  return cy;
}

// Fixed sizes up to kFixedLimbs limbs are unrolled: no loop bounds to
// predict, and the operands stay in registers.
constexpr std::size_t kFixedLimbs = 8;

template <std::size_t NA, std::size_t NB>
void MulFixed(Limb* r, Limb const* a, Limb const* b) noexcept {
  constexpr std::size_t kColumns = NA + NB - 1;
  Limb q = 0, carry = 0;
#pragma GCC unroll 16
  for (std::size_t k = 0; k < kColumns; ++k) {
    std::size_t const i0 = k >= NB ? k - NB + 1 : 0;
    std::size_t const i1 = k < NA ? k : NA - 1;
    // The products first, the carried quotient last: only one addition
    // waits for the column below.
    Wide sum = 0;
#pragma GCC unroll 8
    for (std::size_t i = i0; i <= i1; ++i) sum += Wide{a[i]} * b[k - i];
    Limb rest;
    q = SplitColumn(sum + q, rest);
    carry = SettleColumn(rest, carry, r[k]);
  }
  // The product fits in NA + NB limbs: what is left is the top limb.
  r[kColumns] = q + carry;
}

using FixedKernel = void (*)(Limb*, Limb const*, Limb const*) noexcept;

template <std::size_t NA, std::size_t... J>
constexpr std::array<FixedKernel, sizeof...(J)> FixedRow(std::index_sequence<J...>) {
  return {&MulFixed<NA, J + 1>...};
}
template <std::size_t... I>
constexpr std::array<std::array<FixedKernel, kFixedLimbs>, sizeof...(I)> FixedTable(std::index_sequence<I...>) {
  return {FixedRow<I + 1>(std::make_index_sequence<kFixedLimbs>())...};
}
// kFixed[na - 1][nb - 1]
constexpr std::array<std::array<FixedKernel, kFixedLimbs>, kFixedLimbs> kFixed =
    FixedTable(std::make_index_sequence<kFixedLimbs>());

// Any sizes with nb < 18 (columns of at most 17 products).
__attribute__((noinline)) void MulColumns(Limb* r, Limb const* a, std::size_t na, Limb const* b,
                                          std::size_t nb) noexcept {
  std::size_t const columns = na + nb - 1;
  Limb q = 0, carry = 0;
  for (std::size_t k = 0; k < columns; ++k) {
    std::size_t const i0 = k >= nb ? k - nb + 1 : 0;
    std::size_t const i1 = k < na ? k : na - 1;
    Wide sum = 0;
    for (std::size_t i = i0; i <= i1; ++i) sum += Wide{a[i]} * b[k - i];
    Limb rest;
    q = SplitColumn(sum + q, rest);
    carry = SettleColumn(rest, carry, r[k]);
  }
  r[columns] = q + carry;
}

inline void MulBasecase(Limb* r, Limb const* a, std::size_t na, Limb const* b, std::size_t nb) noexcept {
  if (na <= kFixedLimbs && nb <= kFixedLimbs) {
    kFixed[na - 1][nb - 1](r, a, b);
  } else {
    MulColumns(r, a, na, b, nb);
  }
}

std::size_t KaratsubaScratch(std::size_t n) noexcept {
  std::size_t total = 0;
  while (n >= kKaratsubaThreshold) {
    std::size_t const h = n - n / 2;
    total += 4 * h + 4;
    n = h + 1;
  }
  return total;
}

// r[0 .. 2n) = a * b for two n-limb operands (not necessarily normalized).
// With a = a1 B^m + a0 and b = b1 B^m + b0:
//   a b = a1 b1 B^2m + ((a0 + a1)(b0 + b1) - a0 b0 - a1 b1) B^m + a0 b0.
void Karatsuba(Limb* r, Limb const* a, Limb const* b, std::size_t n, Limb* scratch) {
  if (n < kKaratsubaThreshold) {
    MulBasecase(r, a, n, b, n);
    return;
  }
  std::size_t const m = n / 2;
  std::size_t const h = n - m;  // h == m or m + 1
  Limb* const sa = scratch;
  Limb* const sb = sa + h + 1;
  Limb* const z1 = sb + h + 1;
  Limb* const next = z1 + 2 * h + 2;

  Limb c = AddN(sa, a + m, a, m);
  sa[h] = AddCarry(sa + m, a + 2 * m, h - m, c);
  c = AddN(sb, b + m, b, m);
  sb[h] = AddCarry(sb + m, b + 2 * m, h - m, c);

  Karatsuba(r, a, b, m, next);                  // a0 b0 -> r[0, 2m)
  Karatsuba(r + 2 * m, a + m, b + m, h, next);  // a1 b1 -> r[2m, 2n)
  Karatsuba(z1, sa, sb, h + 1, next);           // 2h + 2 limbs

  std::size_t const nz = 2 * h + 2;
  Limb borrow = SubN(z1, z1, r, 2 * m);
  SubBorrow(z1 + 2 * m, z1 + 2 * m, nz - 2 * m, borrow);
  borrow = SubN(z1, z1, r + 2 * m, 2 * h);
  SubBorrow(z1 + 2 * h, z1 + 2 * h, nz - 2 * h, borrow);

  // The middle term a0 b1 + a1 b0 fits below B^(2n - m).
  std::size_t const used = std::min(Normalized(z1, nz), 2 * n - m);
  c = AddN(r + m, r + m, z1, used);
  AddCarry(r + m + used, r + m + used, 2 * n - m - used, c);
}

// Long division (Knuth, TAOCP 4.3.1, algorithm D) in base 10^18. un holds
// the dividend with one extra top limb (nn + 1 limbs), vn the divisor (nv >=
// 2 limbs), both moved up so that the divisor's top limb has 18 digits (at
// least B / 10), and the top nv limbs of un below vn. Writes the nn - nv + 1
// quotient limbs; un is destroyed.
//
// With a top limb of B / 10 or more (rather than Knuth's B / 2), the
// estimate from two limbs may be up to about ten too large, which the
// refinement with the third limb takes off one step at a time; after it,
// the estimate exceeds the quotient limb by at most one, since the top two
// divisor limbs X satisfy U3 / X - U3 / (X + 1) < B / X <= 10 / B for the
// top three limbs U3 of the window.
//
// Each product of an estimate with a divisor limb splits by Shoup's method,
// from the scaled quotient of one factor. With kPerLimb, scaled (room for
// nv limbs) gets each divisor limb's, computed once: nv divisions by the
// base in all, none on the way from one estimate to the next. Without it,
// each estimate's own is computed as it is found: one division by the base
// per quotient limb, the cheaper way for short quotients.
template <bool kPerLimb>
void DivKnuth(Limb* q, Limb* un, std::size_t nn, Limb const* vn, std::size_t nv, Limb* scaled) noexcept {
  Limb const vt = vn[nv - 1];
  Limb const vs = vn[nv - 2];
  if (kPerLimb) {
    for (std::size_t i = 0; i < nv; ++i) scaled[i] = Multiplier(vn[i]).scaled;
  }
  for (std::size_t j = nn - nv + 1; j-- > 0;) {
    Limb* const w = un + j;
    Limb const u2 = w[nv];
    Limb const u1 = w[nv - 1];
    Limb const u0 = w[nv - 2];
    if (u2 == 0 && u1 < vt) {
      // The estimate from the top two limbs is 0 (a short quotient's top
      // limb): no division.
      q[j] = 0;
      continue;
    }
    // Estimate from the top two limbs, then refine with the third: the
    // estimate is then at most one too large.
    Limb qhat, rhat;
    bool rhatLarge = false;
    if (u2 >= vt) {
      qhat = kBase - 1;
      Wide const rest = Wide{u2} * kBase + u1 - Wide{qhat} * vt;
      rhatLarge = rest >= kBase;
      rhat = static_cast<Limb>(rest);
    } else {
      Wide const num = Wide{u2} * kBase + u1;
      qhat = DivWide(static_cast<Limb>(num >> 64), static_cast<Limb>(num), vt, rhat);
    }
    while (!rhatLarge && Wide{qhat} * vs > Wide{rhat} * kBase + u0) {
      --qhat;
      if (rhat >= kBase - vt) {
        rhatLarge = true;
      } else {
        rhat += vt;
      }
    }
    if (qhat == 0) {
      q[j] = 0;
      continue;
    }
    // w[0 .. nv] -= qhat * vn. Each product splits as h B + l with l in
    // [0, 2B) (Shoup's quotient, left uncorrected: h B + l is still exact),
    // independently of the others. a = w_i - l_i - h_(i-1) lies in
    // [-3B, B); the bases k to borrow for a - k_(i-1) (k from 0 to 3) are
    // those for a alone, plus one when the small k_(i-1) crosses the lower
    // end of a's band, so only a compare and an add run along the chain.
    // Masks, not branches: the conditions are data.
    constexpr std::int64_t kSignedBase = static_cast<std::int64_t>(kBase);
    static constexpr Limb kMultiples[5] = {0, kBase, 2 * kBase, 3 * kBase, 4 * kBase};  // no multiply
    Limb high = 0;
    Limb borrowed = 0;
    Limb const estimateScaled = kPerLimb ? 0 : Multiplier(qhat).scaled;
    for (std::size_t i = 0; i < nv; ++i) {
      Limb const v = vn[i];
      Limb const h = kPerLimb ? static_cast<Limb>((Wide{scaled[i]} * qhat) >> 64)
                              : static_cast<Limb>((Wide{estimateScaled} * v) >> 64);
      Limb const l = qhat * v - h * kBase;
      std::int64_t const a = static_cast<std::int64_t>(w[i] - l - high);
      Limb const band = static_cast<Limb>(kSignedBase - 1 - a) / kBase;  // a division by a constant
      std::int64_t const above = a + static_cast<std::int64_t>(kMultiples[band]);  // in [0, B)
      Limb const k = band + static_cast<Limb>(above < static_cast<std::int64_t>(borrowed));
      w[i] = static_cast<Limb>(a - static_cast<std::int64_t>(borrowed)) + kMultiples[k];
      borrowed = k;
      high = h;
    }
    std::int64_t const top = static_cast<std::int64_t>(w[nv] - high - borrowed);
    if (top >= 0) {
      w[nv] = static_cast<Limb>(top);
    } else {
      // The estimate was one too large: add the divisor back once; the carry
      // out of it cancels the borrow, leaving a top limb of 0.
      --qhat;
      AddN(w, w, vn, nv);
      w[nv] = 0;
    }
    q[j] = qhat;
  }
}

}  // namespace

namespace {

#if QDT_DECIMAL_X86_64
// Long additions and subtractions eight limbs at a time with AVX-512, where
// the processor has it (the check is the compiler's reading of cpuid and of
// the state the system saves, made when the library is loaded). The carries
// between the lanes come from one binary addition of two 8-bit masks: with
// G the lanes whose sum is B or more (they carry whatever comes in) and P
// those at exactly B - 1 (they pass a carry on), the carries into the lanes
// are the bits of (G | P) + G + carry-in that differ from those of G | P and
// G, and bit 8 of that sum is the carry out of the eight. Borrows the same
// way, with G the lanes where a < b and P those where a = b.
constexpr std::size_t kVectorLimbs = 8;  // shorter runs stay scalar

inline bool HaveAvx512() noexcept { return __builtin_cpu_supports("avx512f"); }

// The carries into and out of eight lanes, from G and P as above; carry is
// the carry into the lowest lane and becomes the one out of the highest.
struct LaneCarries {
  __mmask8 in, out;
};
inline LaneCarries CarryLanes(unsigned g, unsigned p, unsigned& carry) noexcept {
  unsigned const gp = g | p;
  unsigned const sum = gp + g + carry;
  auto const in = static_cast<__mmask8>((sum ^ gp ^ g) & 0xff);
  carry = sum >> 8;
  return {in, static_cast<__mmask8>(g | (p & in))};
}

// Eight lane sums s (each below 2B) with the carry into the lowest: the
// limbs, stored at r; carry becomes the carry out of the highest lane.
__attribute__((target("avx512f"))) inline void SettleLanes(Limb* r, __m512i s, unsigned& carry) noexcept {
  __m512i const base = _mm512_set1_epi64(static_cast<long long>(kBase));
  LaneCarries const c = CarryLanes(_mm512_cmpge_epu64_mask(s, base),
                                   _mm512_cmpeq_epu64_mask(s, _mm512_set1_epi64(static_cast<long long>(kBase - 1))),
                                   carry);
  s = _mm512_mask_add_epi64(s, c.in, s, _mm512_set1_epi64(1));
  s = _mm512_mask_sub_epi64(s, c.out, s, base);
  _mm512_storeu_si512(r, s);
}

__attribute__((target("avx512f"))) Limb AddNAvx512(Limb* r, Limb const* a, Limb const* b, std::size_t n,
                                                  std::size_t& done) noexcept {
  unsigned carry = 0;
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    SettleLanes(r + i, _mm512_add_epi64(_mm512_loadu_si512(a + i), _mm512_loadu_si512(b + i)), carry);
  }
  done = i;
  return carry;
}

__attribute__((target("avx512f"))) Limb SubNAvx512(Limb* r, Limb const* a, Limb const* b, std::size_t n,
                                                  std::size_t& done) noexcept {
  __m512i const base = _mm512_set1_epi64(static_cast<long long>(kBase));
  __m512i const one = _mm512_set1_epi64(1);
  unsigned borrow = 0;
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    __m512i const x = _mm512_loadu_si512(a + i);
    __m512i const y = _mm512_loadu_si512(b + i);
    LaneCarries const c = CarryLanes(_mm512_cmplt_epu64_mask(x, y), _mm512_cmpeq_epu64_mask(x, y), borrow);
    __m512i d = _mm512_sub_epi64(x, y);  // modulo 2^64; B comes back below
    d = _mm512_mask_sub_epi64(d, c.in, d, one);
    d = _mm512_mask_add_epi64(d, c.out, d, base);
    _mm512_storeu_si512(r + i, d);
  }
  done = i;
  return borrow;
}

inline bool HaveAvx512Dq() noexcept { return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq"); }

// r = a * 10^d + b over the first multiple of eight of n limbs, 0 < d < 18
// (as AddUpKernel; top gets the digits that leave the last limb done). Each
// limb x splits as h 10^(18-d) + l: h is estimated in floating point (x and
// the product carry a relative error of about 2^-52, so the estimate is off
// by at most one for d <= 15, and by at most 32 for d = 17); for d >= 16 the
// remainder x - h 10^(18-d), divided the same way, brings it within one; a
// comparison each way makes it exact.
template <bool kWide>
__attribute__((target("avx512f,avx512dq"))) Limb AddUpAvx512Of(Limb* r, Limb const* a, Limb const* b, std::size_t n,
                                                              int d, Limb& top, std::size_t& done) noexcept {
  Limb const restValue = kPow10[kLimbDigits - d];
  __m512i const rest = _mm512_set1_epi64(static_cast<long long>(restValue));
  __m512i const up = _mm512_set1_epi64(static_cast<long long>(kPow10[d]));
  __m512d const inverse = _mm512_set1_pd(1.0 / static_cast<double>(restValue));
  __m512i const one = _mm512_set1_epi64(1);
  __m512i const zero = _mm512_setzero_si512();
  __m512i before = zero;  // lane 7: the high digits of the limb below
  unsigned carry = 0;
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    __m512i const x = _mm512_loadu_si512(a + i);
    __m512i h = _mm512_cvttpd_epu64(_mm512_mul_pd(_mm512_cvtepu64_pd(x), inverse));
    __m512i l = _mm512_sub_epi64(x, _mm512_mullo_epi64(h, rest));  // signed, small multiple of rest
    if (kWide) {
      __m512i const c = _mm512_cvt_roundpd_epi64(_mm512_mul_pd(_mm512_cvtepi64_pd(l), inverse),
                                                 _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
      h = _mm512_add_epi64(h, c);
      l = _mm512_sub_epi64(l, _mm512_mullo_epi64(c, rest));
    }
    __mmask8 const low = _mm512_cmplt_epi64_mask(l, zero);
    h = _mm512_mask_sub_epi64(h, low, h, one);
    l = _mm512_mask_add_epi64(l, low, l, rest);
    __mmask8 const high = _mm512_cmpge_epi64_mask(l, rest);
    h = _mm512_mask_add_epi64(h, high, h, one);
    l = _mm512_mask_sub_epi64(l, high, l, rest);
    // The moved limbs: l 10^d plus the high digits of the limb below.
    __m512i const moved = _mm512_add_epi64(_mm512_mullo_epi64(l, up), _mm512_mask_alignr_epi64(zero, 0xff, h, before, 7));
    before = h;
    SettleLanes(r + i, _mm512_add_epi64(moved, _mm512_loadu_si512(b + i)), carry);
  }
  alignas(64) Limb lanes[8];
  _mm512_store_si512(lanes, before);
  top = lanes[7];
  done = i;
  return carry;
}

Limb AddUpAvx512(Limb* r, Limb const* a, Limb const* b, std::size_t n, int d, Limb& top, std::size_t& done) noexcept {
  return d >= 16 ? AddUpAvx512Of<true>(r, a, b, n, d, top, done) : AddUpAvx512Of<false>(r, a, b, n, d, top, done);
}
#endif

// Whether additions of n limbs take the vector path; with a part-limb
// shift (kShifted) they need the 64-bit conversions and products as well.
template <bool kShifted = false>
inline bool VectorAdds(std::size_t n) noexcept {
#if QDT_DECIMAL_X86_64
  return n >= kVectorLimbs && (kShifted ? HaveAvx512Dq() : HaveAvx512());
#else
  (void)n;
  return false;
#endif
}

}  // namespace

Limb AddN(Limb* r, Limb const* a, Limb const* b, std::size_t n) noexcept {
  Limb carry = 0;
  std::size_t start = 0;
#if QDT_DECIMAL_X86_64
  if (VectorAdds(n)) carry = AddNAvx512(r, a, b, n, start);
#endif
  for (std::size_t i = start; i < n; ++i) {
    Limb const s = a[i] + b[i] + carry;  // < 2B: no overflow
    carry = static_cast<Limb>(s >= kBase);
    r[i] = s - ((Limb{0} - carry) & kBase);
  }
  return carry;
}

Limb AddCarry(Limb* r, Limb const* a, std::size_t n, Limb carry) noexcept {
  std::size_t i = 0;
  for (; i < n && carry != 0; ++i) {
    Limb const s = a[i] + 1;
    carry = s == kBase ? 1 : 0;
    r[i] = carry != 0 ? 0 : s;
  }
  if (r != a) std::copy(a + i, a + n, r + i);
  return carry;
}

Limb SubN(Limb* r, Limb const* a, Limb const* b, std::size_t n) noexcept {
  Limb borrow = 0;
  std::size_t start = 0;
#if QDT_DECIMAL_X86_64
  if (VectorAdds(n)) borrow = SubNAvx512(r, a, b, n, start);
#endif
  for (std::size_t i = start; i < n; ++i) {
    Limb const t = b[i] + borrow;  // <= 10^18, no overflow
    Limb const x = a[i];
    borrow = static_cast<Limb>(x < t);
    r[i] = x - t + ((Limb{0} - borrow) & kBase);
  }
  return borrow;
}

Limb SubBorrow(Limb* r, Limb const* a, std::size_t n, Limb borrow) noexcept {
  std::size_t i = 0;
  for (; i < n && borrow != 0; ++i) {
    borrow = a[i] == 0 ? 1 : 0;
    r[i] = borrow != 0 ? kBase - 1 : a[i] - 1;
  }
  if (r != a) std::copy(a + i, a + n, r + i);
  return borrow;
}

Limb MulSmall(Limb* r, Limb const* a, std::size_t n, Limb m) noexcept {
  Multiplier const mul(m);
  Limb carry = 0;
  for (std::size_t i = 0; i < n; ++i) {
    Limb low;
    Limb const high = mul.Split(a[i], low);
    Limb s = low + carry;  // < 2B
    Limb const wrap = static_cast<Limb>(s >= kBase);
    r[i] = s - ((Limb{0} - wrap) & kBase);
    carry = high + wrap;
  }
  return carry;
}

int Compare(Limb const* a, std::size_t na, Limb const* b, std::size_t nb) noexcept {
  if (na != nb) return na < nb ? -1 : 1;
  for (std::size_t i = na; i-- > 0;) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  }
  return 0;
}

namespace {

// a * 10^D into r[0 .. n]: each limb splits into its top D digits, which move
// to the next limb, and the rest, which moves up. Division by a constant:
// no carries between limbs beyond the top digits.
template <int D>
void UpKernel(Limb* r, Limb const* a, std::size_t n) noexcept {
  constexpr Limb kRest = kPow10[kLimbDigits - D];
  constexpr Limb kUp = kPow10[D];
  Limb carry = 0;
  for (std::size_t i = 0; i < n; ++i) {
    Limb const x = a[i];
    Limb const top = x / kRest;
    r[i] = (x - top * kRest) * kUp + carry;
    carry = top;
  }
  r[n] = carry;
}

// floor(a / 10^D) into r[0 .. n); r may be a.
template <int D>
void DownKernel(Limb* r, Limb const* a, std::size_t n) noexcept {
  constexpr Limb kDown = kPow10[D];
  constexpr Limb kRest = kPow10[kLimbDigits - D];
  Limb quotient = a[0] / kDown;
  for (std::size_t i = 0; i < n; ++i) {
    Limb const next = i + 1 < n ? a[i + 1] : 0;
    Limb const q = next / kDown;
    r[i] = quotient + (next - q * kDown) * kRest;
    quotient = q;
  }
}

// r = a * 10^D + b + up + carry over n limbs, in one pass: the digits that
// leave a limb of a go to the next, and the carry of the sum follows them.
// up (below 10^D) comes in through top, which then gets the digits that
// leave a's last limb; returns the carry.
template <int D>
Limb AddUpKernel(Limb* r, Limb const* a, Limb const* b, std::size_t n, Limb& top, Limb carry) noexcept {
  constexpr Limb kRest = kPow10[kLimbDigits - D];
  constexpr Limb kUp = kPow10[D];
  Limb up = top;
  for (std::size_t i = 0; i < n; ++i) {
    Limb const x = a[i];
    Limb const high = x / kRest;
    Limb const s = (x - high * kRest) * kUp + up + b[i] + carry;  // below 2B
    carry = static_cast<Limb>(s >= kBase);
    r[i] = s - ((Limb{0} - carry) & kBase);
    up = high;
  }
  top = up;
  return carry;
}

using ShiftKernel = void (*)(Limb*, Limb const*, std::size_t) noexcept;
using AddShiftKernel = Limb (*)(Limb*, Limb const*, Limb const*, std::size_t, Limb&, Limb) noexcept;

template <class Sequence>
struct ShiftKernels;

template <std::size_t... I>
struct ShiftKernels<std::index_sequence<I...>> {
  // Entry d - 1 shifts by d digits, 0 < d < 18.
  static constexpr ShiftKernel kUp[] = {&UpKernel<static_cast<int>(I) + 1>...};
  static constexpr ShiftKernel kDown[] = {&DownKernel<static_cast<int>(I) + 1>...};
  static constexpr AddShiftKernel kAddUp[] = {&AddUpKernel<static_cast<int>(I) + 1>...};
};
using Kernels = ShiftKernels<std::make_index_sequence<kLimbDigits - 1>>;

// Limb j of a * 10^(18 q + d), 0 < d < 18, for a of n limbs.
Limb ShiftedLimb(Limb const* a, std::size_t n, std::size_t q, int d, std::size_t j) noexcept {
  Limb const rest = kPow10[kLimbDigits - d];
  Limb const up = kPow10[d];
  Limb value = 0;
  if (j >= q && j - q < n) value = (a[j - q] % rest) * up;
  if (j >= q + 1 && j - q - 1 < n) value += a[j - q - 1] / rest;
  return value;
}

}  // namespace

std::size_t ShiftUpDigits(Limb* r, Limb const* a, std::size_t n, std::uint64_t k) noexcept {
  std::size_t const q = static_cast<std::size_t>(k / kLimbDigits);
  int const d = static_cast<int>(k % kLimbDigits);
  std::fill(r, r + q, Limb{0});
  if (d == 0) {
    std::copy(a, a + n, r + q);
    return n + q;
  }
  Kernels::kUp[d - 1](r + q, a, n);
  return n + q + 1;
}

std::size_t AddShifted(Limb* r, Limb const* a, std::size_t na, std::uint64_t k, Limb const* b, std::size_t nb) noexcept {
  std::size_t const q = static_cast<std::size_t>(k / kLimbDigits);
  int const d = static_cast<int>(k % kLimbDigits);
  if (d == 0 || q >= nb) {
    // No limb of a meets one of b with a part shift: move a, then add.
    std::size_t m = Normalized(r, ShiftUpDigits(r, a, na, k));
    if (m >= nb) {
      Limb const carry = AddN(r, r, b, nb);
      r[m] = AddCarry(r + nb, r + nb, m - nb, carry);
      return m + 1;
    }
    Limb const carry = AddN(r, r, b, m);
    r[nb] = AddCarry(r + m, b + m, nb - m, carry);
    return nb + 1;
  }
  std::copy(b, b + q, r);
  std::size_t const common = std::min(na, nb - q);
  Limb top = 0;
  Limb carry = 0;
  std::size_t done = 0;
#if QDT_DECIMAL_X86_64
  if (VectorAdds<true>(common)) carry = AddUpAvx512(r + q, a, b + q, common, d, top, done);
#endif
  carry = Kernels::kAddUp[d - 1](r + q + done, a + done, b + q + done, common - done, top, carry);
  std::size_t const p = q + common;
  if (common < na) {
    // b has ended: the rest of a moves up behind it.
    std::size_t const rest = na - common;
    Kernels::kUp[d - 1](r + p, a + common, rest);
    r[p] += top;  // the low digits of a moved limb are zero: no carry
    carry = AddCarry(r + p, r + p, rest + 1, carry);
    r[p + rest + 1] = carry;
    return p + rest + 2;
  }
  // a has ended: its top digits and the carry join the rest of b.
  Limb const in = top + carry;  // below B
  if (p == nb) {
    r[p] = in;
    return p + 1;
  }
  Limb const s = b[p] + in;  // below 2B
  Limb const over = static_cast<Limb>(s >= kBase);
  r[p] = s - ((Limb{0} - over) & kBase);
  r[nb] = AddCarry(r + p + 1, b + p + 1, nb - p - 1, over);
  return nb + 1;
}

std::size_t ShiftDownDigits(Limb* r, Limb const* a, std::size_t n, std::uint64_t k) noexcept {
  std::uint64_t const q = k / kLimbDigits;
  if (q >= n) return 0;
  std::size_t const m = n - static_cast<std::size_t>(q);
  int const d = static_cast<int>(k % kLimbDigits);
  if (d == 0) {
    std::copy(a + q, a + n, r);
  } else {
    Kernels::kDown[d - 1](r, a + q, m);
  }
  return m;
}

int CompareShifted(Limb const* a, std::size_t na, std::uint64_t k, Limb const* b, std::size_t nb) noexcept {
  std::int64_t const da = DigitCount(a, na) + static_cast<std::int64_t>(k);
  std::int64_t const db = DigitCount(b, nb);
  if (da != db) return da < db ? -1 : 1;
  // Same number of digits, so the same number of limbs: compare from the top.
  std::size_t const q = static_cast<std::size_t>(k / kLimbDigits);
  int const d = static_cast<int>(k % kLimbDigits);
  for (std::size_t j = nb; j-- > 0;) {
    Limb const x = d == 0 ? (j >= q && j - q < na ? a[j - q] : 0) : ShiftedLimb(a, na, q, d, j);
    if (x != b[j]) return x < b[j] ? -1 : 1;
  }
  return 0;
}

namespace {

// Mul past the unrolled kernels, which Mul calls without this function's
// set-up.
__attribute__((noinline)) void MulLong(Limb* r, Limb const* a, std::size_t na, Limb const* b, std::size_t nb) {
  if (na < nb) {
    std::swap(a, b);
    std::swap(na, nb);
  }
  if (nb < kKaratsubaThreshold) {
    MulBasecase(r, a, na, b, nb);
    return;
  }
  if (nb >= kTransformThreshold && na + nb <= kMaxTransform) {
    MulTransform(r, a, na, b, nb);
    return;
  }
  std::size_t const ks = KaratsubaScratch(nb);
  std::unique_ptr<Limb[]> scratch(new Limb[ks + (na > nb ? 2 * nb : 0)]);
  Karatsuba(r, a, b, nb, scratch.get());
  if (na == nb) return;
  // A longer first operand is taken in slices of nb limbs.
  std::fill(r + 2 * nb, r + na + nb, Limb{0});
  Limb* const piece = scratch.get() + ks;
  for (std::size_t off = nb; off < na; off += nb) {
    std::size_t const len = std::min(nb, na - off);
    if (len == nb) {
      Karatsuba(piece, a + off, b, nb, scratch.get());
    } else {
      Mul(piece, b, nb, a + off, len);
    }
    Limb const c = AddN(r + off, r + off, piece, len + nb);
    std::size_t const end = off + len + nb;
    AddCarry(r + end, r + end, na + nb - end, c);
  }
}

}  // namespace

void Mul(Limb* r, Limb const* a, std::size_t na, Limb const* b, std::size_t nb) {
  if (na <= kFixedLimbs && nb <= kFixedLimbs) {
    kFixed[na - 1][nb - 1](r, a, b);
    return;
  }
  MulLong(r, a, na, b, nb);
}

namespace {

using Limbs = std::unique_ptr<Limb[]>;

// x -= 1 over n limbs (x not zero).
void Decrement(Limb* x, std::size_t n) noexcept { SubBorrow(x, x, n, 1); }

// (x - y) mod (B^L - 1) into x, for x, y below B^L; the result is reduced.
void SubCyclic(Limb* x, Limb const* y, std::size_t L) noexcept {
  if (SubN(x, x, y, L) != 0) Decrement(x, L);  // the borrow took B^L: give back 1
}

// x += y mod (B^L - 1), both reduced, y of ny <= L limbs.
void AddCyclic(Limb* x, Limb const* y, std::size_t ny, std::size_t L) noexcept {
  Limb carry = AddN(x, x, y, ny);
  carry = AddCarry(x + ny, x + ny, L - ny, carry);
  while (carry != 0) carry = AddCarry(x, x, L, carry);  // B^L = 1
}

// Folds n limbs into L limbs modulo B^L - 1.
void FoldCyclic(Limb* r, Limb const* a, std::size_t n, std::size_t L) noexcept {
  std::size_t const first = std::min(n, L);
  std::copy(a, a + first, r);
  std::fill(r + first, r + L, Limb{0});
  for (std::size_t off = L; off < n; off += L) AddCyclic(r, a + off, std::min(L, n - off), L);
}

// Approximate reciprocal (Brent and Zimmermann, "Modern Computer
// Arithmetic", algorithm 3.5): for A of n limbs with its top limb at least
// B / 2, x[0 .. n] = X with A X < B^2n <= A (X + 2), up to a few units in the
// last place, which the callers absorb. Newton's iteration doubles the
// precision of the reciprocal of A's top half; the base case is long
// division of B^2n - 1.
void Reciprocal(Limb* x, Limb const* a, std::size_t n) {
  if (n <= kReciprocalBase) {
    Limbs work(new Limb[3 * n + 1]);
    std::fill(work.get(), work.get() + 2 * n, kBase - 1);
    work[2 * n] = 0;
    DivKnuth<true>(x, work.get(), 2 * n, a, n, work.get() + 2 * n + 1);
    return;
  }
  std::size_t const l = (n - 1) / 2;
  std::size_t const h = n - l;
  Limbs xh(new Limb[h + 1]);
  Reciprocal(xh.get(), a + l, h);
  // T = B^(n+h) - A Xh, brought to [0, A) by stepping Xh down. A Xh lies
  // within a few A of B^(n+h), so for long operands its difference from
  // B^(n+h) comes from a cyclic product of length L > n + 1, about half the
  // length of the full one.
  std::size_t const nt = n + h + 1;
  std::size_t const L = TransformLength(n + 2);
  bool const cyclic = h + 1 >= kTransformThreshold && L < nt;
  Limbs t(new Limb[std::max(nt, L)]);
  Limb* const tl = t.get();
  std::size_t size;  // limbs of T
  if (cyclic) {
    // D = A Xh - B^(n+h) modulo B^L - 1, where B^(n+h) = B^(n+h-L).
    MulCyclic(tl, L, a, n, xh.get(), h + 1);
    Limbs e(new Limb[L]);
    std::fill(e.get(), e.get() + L, Limb{0});
    e[n + h >= L ? n + h - L : n + h] = 1;
    SubCyclic(tl, e.get(), L);
    if (Normalized(tl, L) <= n + 1) {
      // A Xh >= B^(n+h) by D: step down until below.
      for (;;) {
        Decrement(xh.get(), h + 1);
        std::size_t const nd = Normalized(tl, L);
        if (Compare(tl, nd, a, n) < 0) {
          // T = A - D
          Limb const borrow = SubN(tl, a, tl, nd);
          SubBorrow(tl + nd, a + nd, n - nd, borrow);
          std::fill(tl + n, tl + L, Limb{0});
          break;
        }
        Limb const borrow = SubN(tl, tl, a, n);
        SubBorrow(tl + n, tl + n, nd - n, borrow);
      }
    } else {
      // Negative: T = B^L - 1 - D.
      for (std::size_t i = 0; i < L; ++i) tl[i] = kBase - 1 - tl[i];
    }
    size = L;
  } else {
    Mul(tl, a, n, xh.get(), h + 1);
    while (Normalized(tl, nt) > n + h) {
      Decrement(xh.get(), h + 1);
      Limb const borrow = SubN(tl, tl, a, n);
      SubBorrow(tl + n, tl + n, nt - n, borrow);
    }
    // T = B^(n+h) - T
    std::size_t i = 0;
    while (i < n + h && tl[i] == 0) ++i;
    if (i < n + h) {
      tl[i] = kBase - tl[i];
      for (++i; i < n + h; ++i) tl[i] = kBase - 1 - tl[i];
    }
    size = n + h;
  }
  Limb const* const tm = tl + l;
  std::size_t const ntm = Normalized(tm, size - l);
  // X = Xh B^l + floor(Tm Xh / B^(2h-l)).
  std::fill(x, x + n + 1, Limb{0});
  std::copy(xh.get(), xh.get() + h + 1, x + l);
  if (ntm == 0) return;
  std::size_t const nu = ntm + h + 1;
  Limbs u(new Limb[nu]);
  Mul(u.get(), tm, ntm, xh.get(), h + 1);
  std::size_t const drop = 2 * h - l;
  if (nu > drop) {
    std::size_t const len = std::min(nu - drop, n + 1);
    Limb const carry = AddN(x, x, u.get() + drop, len);
    Limb const over = AddCarry(x + len, x + len, n + 1 - len, carry);
    if (over != 0 || Normalized(u.get() + drop, nu - drop) > n + 1 || x[n] >= 2) {
      // Far above the reciprocal, which is at most 2 B^n: hold it just below.
      std::fill(x, x + n, kBase - 1);
      x[n] = 1;
    }
  }
}

// Division by Newton's method: q[0 .. m) = floor(U / V) for U of m + nv
// limbs and V of nv limbs with its top limb at least B / 2, where the
// quotient is known to be below B^m.
//
// With j = m + 2 limbs of precision, X ~ B^2j / Vj for Vj the top j limbs of
// V (padded with zero limbs when V is shorter), and Uj the top j limbs of U,
// the estimate floor(Uj X / B^(m+4)) is within a unit or two of the
// quotient. The remainder then settles it: R = U - Q V lies between -4 V
// and 5 V, far inside B^L - 1 for L > nv limbs, so it is computed modulo
// B^L - 1 with a cyclic product of length L (about half the length of the
// full product) and brought to [0, V) by adding or subtracting V a few times.
void DivNewton(Limb* q, std::size_t m, Limb const* u, Limb const* v, std::size_t nv) {
  // Far beyond what the digit limit lets through.
  if (m > kMaxTransform || nv > kMaxTransform) throw std::length_error("BigDecimal: division too long");
  std::size_t const j = m + 2;
  std::size_t const nu = m + nv;
  Limbs vj(new Limb[j]);
  std::size_t const take = std::min(nv, j);  // V's top limbs, below them zeros
  for (std::size_t i = 0; i < j - take; ++i) vj[i] = 0;
  std::copy(v + (nv - take), v + nv, vj.get() + (j - take));
  Limbs x(new Limb[j + 1]);
  Reciprocal(x.get(), vj.get(), j);
  vj.reset();

  // Estimate: limbs m + 4 and up of Uj X (Uj = U's top j limbs; nu >= j as
  // nv >= 2).
  Limb const* const uj = u + (nu - j);
  std::size_t const nuj = Normalized(uj, j);
  std::fill(q, q + m, Limb{0});
  if (nuj != 0) {
    std::size_t const np = nuj + j + 1;
    Limbs p(new Limb[np]);
    Mul(p.get(), uj, nuj, x.get(), j + 1);
    std::size_t const low = m + 4;
    if (np > low) {
      std::size_t const len = np - low;
      if (Normalized(p.get() + low, len) > m) {
        std::fill(q, q + m, kBase - 1);  // the quotient is below B^m
      } else {
        std::copy(p.get() + low, p.get() + low + std::min(len, m), q);
      }
    }
  }
  x.reset();

  // D = U + 4 V - Q V modulo B^L - 1, which is R + 4 V exactly.
  std::size_t const L = TransformLength(nv + 1);
  Limbs d(new Limb[L]);
  Limbs w(new Limb[L]);
  FoldCyclic(d.get(), u, nu, L);
  std::copy(v, v + nv, w.get());
  w[nv] = MulSmall(w.get(), w.get(), nv, 4);
  AddCyclic(d.get(), w.get(), nv + 1, L);
  std::size_t const nq = Normalized(q, m);
  if (nq != 0) {
    if (nq >= kTransformThreshold / 2 && nv >= kTransformThreshold / 2 && L >= 2) {
      MulCyclic(w.get(), L, q, nq, v, nv);
    } else {
      Limbs full(new Limb[nq + nv]);
      Mul(full.get(), q, nq, v, nv);
      FoldCyclic(w.get(), full.get(), nq + nv, L);
    }
    SubCyclic(d.get(), w.get(), L);
  }
  // Q + (D div V) - 4; D div V is at most 8.
  Limb steps = 0;
  std::size_t nd = Normalized(d.get(), L);
  while (Compare(d.get(), nd, v, nv) >= 0) {
    Limb const borrow = SubN(d.get(), d.get(), v, nv);
    SubBorrow(d.get() + nv, d.get() + nv, nd - nv, borrow);
    nd = Normalized(d.get(), nd);
    ++steps;
  }
  for (; steps > 4; --steps) AddCarry(q, q, m, 1);
  for (; steps < 4; ++steps) Decrement(q, m);
}

}  // namespace

std::size_t DividendLimbs(std::size_t nu, std::uint64_t shift) noexcept {
  return nu + static_cast<std::size_t>(shift / kLimbDigits) + (shift % kLimbDigits != 0 ? 1 : 0);
}

void DivQuotient(Limb* q, Limb const* u, std::size_t nu, std::uint64_t shift, Limb const* v, std::size_t nv) {
  std::size_t const zeros = static_cast<std::size_t>(shift / kLimbDigits);
  std::uint64_t const digits = shift % kLimbDigits;
  std::size_t const nn = DividendLimbs(nu, shift);
  // Working limbs: the dividend (moved up by the digits of the shift) with
  // room for two more limbs, the divisor with room for one, then the
  // divisor limbs' scaled quotients.
  std::size_t const need = nv == 1 ? (digits != 0 ? nu + 1 : 0) : nn + 3 + 2 * nv;
  Limb local[256];
  std::unique_ptr<Limb[]> heap;
  Limb* work = local;
  if (need > 256) {
    heap.reset(new Limb[need]);
    work = heap.get();
  }
  if (nv == 1) {
    // Short division; the zero limbs of the shift are not written out.
    if (digits != 0) {
      ShiftUpDigits(work, u, nu, digits);
      u = work;
      ++nu;
    }
    Limb const d = v[0];
    Limb r = 0;
    for (std::size_t i = nu; i-- > 0;) {
      Wide const x = Wide{r} * kBase + u[i];
      q[i + zeros] = DivWide(static_cast<Limb>(x >> 64), static_cast<Limb>(x), d, r);
    }
    for (std::size_t i = zeros; i-- > 0;) {
      Wide const x = Wide{r} * kBase;
      q[i] = DivWide(static_cast<Limb>(x >> 64), static_cast<Limb>(x), d, r);
    }
    return;
  }
  std::size_t const nq = nn - nv + 1;
  if (std::min(nq, nv) >= kNewtonThreshold) {
    // Newton's method wants the divisor's top limb at least B / 2: scale
    // both by f, which leaves the quotient unchanged.
    Limb* const un = work;
    Limb* const vn = un + nn + 1;
    ShiftUpDigits(un, u, nu, shift);
    Limb const f = kBase / (v[nv - 1] + 1);
    if (f == 1) {
      un[nn] = 0;
      std::copy(v, v + nv, vn);
    } else {
      un[nn] = MulSmall(un + zeros, un + zeros, nn - zeros, f);
      MulSmall(vn, v, nv, f);
    }
    DivNewton(q, nq, un, vn, nv);
    return;
  }
  // Long division wants the divisor's top limb of 18 digits: both operands
  // move up by the k digits it lacks, which leaves the quotient unchanged;
  // for the dividend the move joins the shift it takes anyway. The dividend
  // grows by at most one limb, which then stands in for Knuth's extra top
  // limb (the quotient still fits in nq limbs).
  int const k = kLimbDigits - DigitsOf(v[nv - 1]);
  Limb* const un = work;
  Limb* const vn = un + nn + 2;
  std::size_t const written = ShiftUpDigits(un, u, nu, shift + static_cast<std::uint64_t>(k));
  if (written < nn + 1) std::fill(un + written, un + nn + 1, Limb{0});
  if (k == 0) {
    std::copy(v, v + nv, vn);
  } else {
    ShiftUpDigits(vn, v, nv, static_cast<std::uint64_t>(k));
  }
  // Divisions by the base: nv once, or one per quotient limb.
  if (nq > nv / 2) {
    DivKnuth<true>(q, un, nn, vn, nv, vn + nv + 1);
  } else {
    DivKnuth<false>(q, un, nn, vn, nv, nullptr);
  }
}

}  // namespace decimal
}  // namespace QDataType
