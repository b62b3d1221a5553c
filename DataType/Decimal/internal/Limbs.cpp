#include "DataType/Decimal/internal/Limbs.h"

#include <algorithm>
#include <memory>
#include <utility>

namespace QDataType {
namespace decimal {

Limb const kPow10[20] = {1ull,
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

namespace {

// Below this many limbs (about 760 digits) the schoolbook product is faster.
constexpr std::size_t kKaratsubaThreshold = 40;

// Product by columns: each column's sum of products is gathered in a 192-bit
// accumulator and split by the base once, so the inner loop is a multiply
// and three adds.
void MulBasecase(Limb* r, Limb const* a, std::size_t na, Limb const* b, std::size_t nb) noexcept {
  Wide carry = 0;
  std::size_t const columns = na + nb - 1;
  for (std::size_t k = 0; k < columns; ++k) {
    std::size_t const i0 = k >= nb ? k - nb + 1 : 0;
    std::size_t const i1 = k < na ? k : na - 1;
    Wide acc = carry;
    Limb top = 0;
    for (std::size_t i = i0; i <= i1; ++i) {
      Wide const p = Wide{a[i]} * b[k - i];
      acc += p;
      top += acc < p ? 1 : 0;
    }
    Limb r1, r0;
    Limb const q1 = DivBase(top, static_cast<Limb>(acc >> 64), r1);
    Limb const q0 = DivBase(r1, static_cast<Limb>(acc), r0);
    r[k] = r0;
    carry = (Wide{q1} << 64) | q0;
  }
  r[columns] = static_cast<Limb>(carry);
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

// Long division (Knuth, TAOCP 4.3.1, algorithm D) in base 10^19. un holds
// the normalized dividend with one extra top limb (nn + 1 limbs); vn the
// normalized divisor (nv >= 2 limbs, top limb >= 10^19 / 2). Writes the
// nn - nv + 1 quotient limbs; un is destroyed.
void DivKnuth(Limb* q, Limb* un, std::size_t nn, Limb const* vn, std::size_t nv) noexcept {
  Limb const vt = vn[nv - 1];
  Limb const vs = vn[nv - 2];
  for (std::size_t j = nn - nv + 1; j-- > 0;) {
    Limb* const w = un + j;
    Limb const u2 = w[nv];
    Limb const u1 = w[nv - 1];
    Limb const u0 = w[nv - 2];
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
    // w[0 .. nv] -= qhat * vn. The product limbs are split independently of
    // each other; only the borrow (0, 1 or 2) runs along the chain.
    Limb high = 0;
    Limb borrow = 0;
    for (std::size_t i = 0; i < nv; ++i) {
      Limb low;
      Limb const next = SplitBase(Wide{qhat} * vn[i], low);
      Wide const d = Wide{w[i]} + 2 * Wide{kBase} - low - high - borrow;
      Limb const k = (d >= kBase ? 1 : 0) + (d >= 2 * Wide{kBase} ? 1 : 0);
      w[i] = static_cast<Limb>(d - Wide{k} * kBase);
      borrow = 2 - k;
      high = next;
    }
    Limb const t = high + borrow;
    if (w[nv] >= t) {
      w[nv] -= t;
    } else {
      // The estimate was one too large: add the divisor back once.
      --qhat;
      Limb const c = AddN(w, w, vn, nv);
      w[nv] = w[nv] + c - t;  // the true top limb is 0 again
    }
    q[j] = qhat;
  }
}

}  // namespace

Limb AddN(Limb* r, Limb const* a, Limb const* b, std::size_t n) noexcept {
  Limb carry = 0;
  for (std::size_t i = 0; i < n; ++i) {
    Limb s;
    // a + b + carry < 2 * 10^19 may pass 2^64: the wrapped value minus the
    // base is still right modulo 2^64.
    bool const over = __builtin_add_overflow(a[i], b[i] + carry, &s);
    bool const ge = over || s >= kBase;
    r[i] = ge ? s - kBase : s;
    carry = ge ? 1 : 0;
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
  for (std::size_t i = 0; i < n; ++i) {
    Limb const t = b[i] + borrow;  // <= 10^19, no overflow
    Limb const d = a[i] - t;
    borrow = a[i] < t ? 1 : 0;
    r[i] = borrow != 0 ? d + kBase : d;
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
  Limb carry = 0;
  for (std::size_t i = 0; i < n; ++i) {
    Limb low;
    carry = SplitBase(Wide{a[i]} * m + carry, low);
    r[i] = low;
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

void Mul(Limb* r, Limb const* a, std::size_t na, Limb const* b, std::size_t nb) {
  if (na < nb) {
    std::swap(a, b);
    std::swap(na, nb);
  }
  if (nb < kKaratsubaThreshold) {
    MulBasecase(r, a, na, b, nb);
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

void DivQuotient(Limb* q, Limb const* u, std::size_t nu, std::size_t shift, Limb const* v, std::size_t nv) {
  std::size_t const nn = nu + shift;
  if (nv == 1) {
    Limb const d = v[0];
    Limb r = 0;
    for (std::size_t i = nu; i-- > 0;) {
      Wide const x = Wide{r} * kBase + u[i];
      q[i + shift] = DivWide(static_cast<Limb>(x >> 64), static_cast<Limb>(x), d, r);
    }
    for (std::size_t i = shift; i-- > 0;) {
      Wide const x = Wide{r} * kBase;
      q[i] = DivWide(static_cast<Limb>(x >> 64), static_cast<Limb>(x), d, r);
    }
    return;
  }
  // Scale both so that the divisor's top limb is at least half the base;
  // the scaling leaves the quotient unchanged.
  Limb const f = kBase / (v[nv - 1] + 1);
  std::unique_ptr<Limb[]> work(new Limb[nn + 1 + nv]);
  Limb* const un = work.get();
  Limb* const vn = un + nn + 1;
  std::fill(un, un + shift, Limb{0});
  if (f == 1) {
    std::copy(u, u + nu, un + shift);
    un[nn] = 0;
    std::copy(v, v + nv, vn);
  } else {
    un[nn] = MulSmall(un + shift, u, nu, f);
    MulSmall(vn, v, nv, f);
  }
  DivKnuth(q, un, nn, vn, nv);
}

namespace {

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
// Eight ASCII digits to their value, all lanes at once.
inline Limb Parse8(char const* p) noexcept {
  std::uint64_t v;
  std::memcpy(&v, p, 8);
  v -= 0x3030303030303030ull;
  v = (v * 10) + (v >> 8);
  v = ((v & 0x000000FF000000FFull) * 0x000F424000000064ull +
       (((v >> 16) & 0x000000FF000000FFull) * 0x0000271000000001ull)) >>
      32;
  return v;
}
#else
inline Limb Parse8(char const* p) noexcept {
  Limb v = 0;
  for (int i = 0; i < 8; ++i) v = v * 10 + static_cast<Limb>(p[i] - '0');
  return v;
}
#endif

char const kPairs[201] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

inline void Write4(char* out, std::uint32_t v) noexcept {
  std::memcpy(out, kPairs + 2 * (v / 100), 2);
  std::memcpy(out + 2, kPairs + 2 * (v % 100), 2);
}

inline void Write8(char* out, std::uint32_t v) noexcept {
  Write4(out, v / 10000);
  Write4(out + 4, v % 10000);
}

}  // namespace

Limb ParseDigits(char const* p, int n) noexcept {
  Limb v = 0;
  while (n >= 8) {
    v = v * 100000000ull + Parse8(p);
    p += 8;
    n -= 8;
  }
  while (n-- > 0) v = v * 10 + static_cast<Limb>(*p++ - '0');
  return v;
}

void WriteDigits19(char* out, Limb x) noexcept {
  Limb const hi = x / 100000000000ull;  // 8 digits
  Limb const lo = x % 100000000000ull;  // 11 digits
  Write8(out, static_cast<std::uint32_t>(hi));
  Write8(out + 8, static_cast<std::uint32_t>(lo / 1000));
  std::uint32_t const last = static_cast<std::uint32_t>(lo % 1000);
  out[16] = static_cast<char>('0' + last / 100);
  std::memcpy(out + 17, kPairs + 2 * (last % 100), 2);
}

int WriteDigits(char* out, Limb x) noexcept {
  int const n = DigitsOf(x);
  char tmp[19];
  WriteDigits19(tmp, x);
  std::memcpy(out, tmp + 19 - n, static_cast<std::size_t>(n));
  return n;
}

}  // namespace decimal
}  // namespace QDataType
