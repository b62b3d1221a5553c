#include "DataType/Decimal/internal/Ntt.h"

#include <algorithm>
#include <memory>

namespace QDataType {
namespace decimal {

namespace {

// ---------------------------------------------------------------------------
// Arithmetic modulo a prime p < 2^62 in Montgomery form (R = 2^64).

constexpr Limb MulMod(Limb a, Limb b, Limb p) { return static_cast<Limb>(Wide{a} * b % p); }

constexpr Limb PowMod(Limb a, Limb e, Limb p) {
  Limb r = 1;
  for (; e != 0; e >>= 1, a = MulMod(a, a, p)) {
    if ((e & 1) != 0) r = MulMod(r, a, p);
  }
  return r;
}

struct Prime {
  Limb p;
  Limb negInverse;  // -p^-1 mod 2^64
  Limb r2;          // R^2 mod p
  Limb generator;   // generates the multiplicative group
  int twoAdicity;   // 2^twoAdicity divides p - 1
  Limb one;         // 1 in Montgomery form (R mod p)
  Limb generatorM;  // the generator in Montgomery form
};

constexpr Prime MakePrime(Limb p, Limb generator) {
  Limb inv = 1;  // Newton's iteration for p^-1 mod 2^64
  for (int i = 0; i < 6; ++i) inv *= 2 - p * inv;
  Limb const r = static_cast<Limb>((Wide{1} << 64) % p);
  int k = 0;
  while ((((p - 1) >> k) & 1) == 0) ++k;
  return Prime{p, Limb{0} - inv, MulMod(r, r, p), generator, k, r, MulMod(generator, r, p)};
}

// Three primes 2^62 - c 2^k + 1 above 10^18 (so that every limb is already a
// residue), each with its smallest generator.
constexpr Prime kPrimes[3] = {MakePrime(0x3fffffb400000001ull, 19), MakePrime(0x3fffff3000000001ull, 5),
                              MakePrime(0x3ffff3c000000001ull, 14)};
static_assert(kPrimes[0].twoAdicity >= 27 && kPrimes[1].twoAdicity >= 27 && kPrimes[2].twoAdicity >= 27,
              "the primes admit the longest transform");

// a b R^-1 mod p, in [0, 2p) whenever a b < 2^64 p.
inline Limb Redc(Wide t, Prime const& q) noexcept {
  Limb const lo = static_cast<Limb>(t);
  Limb const hi = static_cast<Limb>(t >> 64);
  Limb const m = lo * q.negInverse;
  Limb const mh = static_cast<Limb>((Wide{m} * q.p) >> 64);
  return hi + mh + static_cast<Limb>(lo != 0);
}
inline Limb MontMul(Limb a, Limb b, Prime const& q) noexcept { return Redc(Wide{a} * b, q); }

// The modulus and its inverse as values, so that they stay in registers
// while the arrays are written.
struct Modulus {
  explicit Modulus(Prime const& q) noexcept : p(q.p), negInverse(q.negInverse) {}
  Limb Mul(Limb a, Limb b) const noexcept {
    Wide const t = Wide{a} * b;
    Limb const lo = static_cast<Limb>(t);
    Limb const m = lo * negInverse;
    return static_cast<Limb>(t >> 64) + static_cast<Limb>((Wide{m} * p) >> 64) + static_cast<Limb>(lo != 0);
  }
  Limb p;
  Limb negInverse;
};
inline Limb Reduce2(Limb x, Limb p) noexcept { return x >= p ? x - p : x; }  // [0, 2p) -> [0, p)
constexpr Limb ToMontgomery(Limb x, Prime const& q) {
  Limb const r = static_cast<Limb>((Wide{1} << 64) % q.p);
  return MulMod(x % q.p, r, q.p);
}

// Run-time conversions and powers in Montgomery form (no 128-bit division).
inline Limb Montgomery(Limb x, Prime const& q) noexcept { return Reduce2(MontMul(x, q.r2, q), q.p); }  // x < 2^64
inline Limb MontPow(Limb baseM, Limb e, Prime const& q) noexcept {
  Limb r = q.one;
  for (; e != 0; e >>= 1, baseM = Reduce2(MontMul(baseM, baseM, q), q.p)) {
    if ((e & 1) != 0) r = Reduce2(MontMul(r, baseM, q), q.p);
  }
  return r;
}

// ---------------------------------------------------------------------------
// Transforms. A block of length 2h holding a polynomial modulo x^2h - z^2
// splits into its residues modulo x^h - z and x^h + z: lo + z hi and
// lo - z hi. Starting from x^N - 1, the node k of a level (counted from 0
// within the level) splits with z = w^brev(k), where w is a root of unity of
// order 2^(level+1) and brev reverses the level's bits. Those values do not
// depend on N or the level: z(k) = W^brev(k) for one root W of large order and
// brev over a fixed width, so one table serves every node of every length.
// The forward transform leaves the values in that (bit-reversed) order, the
// inverse takes them so: no permutation is needed for a product.
//
// Values are kept lazily: in [0, 4p) after a forward step, [0, 2p) after an
// inverse step (Harvey's butterflies).

// Fills t[0 .. n) with z(k) in Montgomery form, from roots of order 4, 8, ...
// (inverse: their inverses): z(2^j + m) = z(2^j) z(m) for m < 2^j.
void FillRoots(Limb* t, std::size_t n, Prime const& q, bool inverse) {
  Limb const p = q.p;
  t[0] = q.one;
  // Roots of order 2^(j+2) for the levels j used, from the highest by squaring.
  std::size_t levels = 0;
  while ((std::size_t{1} << levels) < n) ++levels;
  Limb rootM[64];
  if (levels > 0) {
    Limb top = MontPow(q.generatorM, (p - 1) >> (levels + 1), q);
    if (inverse) top = MontPow(top, p - 2, q);
    rootM[levels - 1] = top;
    for (std::size_t j = levels - 1; j-- > 0;) rootM[j] = Reduce2(MontMul(rootM[j + 1], rootM[j + 1], q), p);
  }
  for (std::size_t j = 0, half = 1; half < n; ++j, half *= 2) {
    std::size_t const end = std::min(n, 2 * half);
    for (std::size_t m = half; m < end; ++m) t[m] = Reduce2(MontMul(t[m - half], rootM[j], q), p);
  }
}

// Two levels at once: a block of four quarters x0 x1 x2 x3 (each h long) at
// node k splits with z1 = z(k) into halves, then each half with z2 = z(2k)
// and z3 = z(2k + 1).
inline void Forward4(Limb* a, std::size_t h, Limb z1, Limb z2, Limb z3, Modulus const q) noexcept {
  Limb const p2 = 2 * q.p;
  Limb* const x0 = a;
  Limb* const x1 = a + h;
  Limb* const x2 = a + 2 * h;
  Limb* const x3 = a + 3 * h;
  for (std::size_t j = 0; j < h; ++j) {
    Limb u0 = x0[j];
    u0 -= u0 >= p2 ? p2 : 0;
    Limb u1 = x1[j];
    u1 -= u1 >= p2 ? p2 : 0;
    Limb const t2 = q.Mul(x2[j], z1);
    Limb const t3 = q.Mul(x3[j], z1);
    Limb b0 = u0 + t2;
    b0 -= b0 >= p2 ? p2 : 0;
    Limb const b1 = u1 + t3;
    Limb b2 = u0 - t2 + p2;
    b2 -= b2 >= p2 ? p2 : 0;
    Limb const b3 = u1 - t3 + p2;
    Limb const s1 = q.Mul(b1, z2);
    Limb const s3 = q.Mul(b3, z3);
    x0[j] = b0 + s1;
    x1[j] = b0 - s1 + p2;
    x2[j] = b2 + s3;
    x3[j] = b2 - s3 + p2;
  }
}

// Undoes Forward4 (up to the factor 4), with the inverse roots.
inline void Inverse4(Limb* a, std::size_t h, Limb z1, Limb z2, Limb z3, Modulus const q) noexcept {
  Limb const p2 = 2 * q.p;
  Limb* const x0 = a;
  Limb* const x1 = a + h;
  Limb* const x2 = a + 2 * h;
  Limb* const x3 = a + 3 * h;
  for (std::size_t j = 0; j < h; ++j) {
    Limb const c0 = x0[j];
    Limb const c1 = x1[j];
    Limb const c2 = x2[j];
    Limb const c3 = x3[j];
    Limb b0 = c0 + c1;
    b0 -= b0 >= p2 ? p2 : 0;
    Limb const b1 = q.Mul(c0 - c1 + p2, z2);
    Limb b2 = c2 + c3;
    b2 -= b2 >= p2 ? p2 : 0;
    Limb const b3 = q.Mul(c2 - c3 + p2, z3);
    Limb s0 = b0 + b2;
    s0 -= s0 >= p2 ? p2 : 0;
    Limb s1 = b1 + b3;
    s1 -= s1 >= p2 ? p2 : 0;
    x0[j] = s0;
    x1[j] = s1;
    x2[j] = q.Mul(b0 - b2 + p2, z1);
    x3[j] = q.Mul(b1 - b3 + p2, z1);
  }
}

inline void Forward2(Limb* a, Limb z, Modulus const q) noexcept {
  Limb const p2 = 2 * q.p;
  Limb u = a[0];
  u -= u >= p2 ? p2 : 0;
  Limb const t = q.Mul(a[1], z);
  a[0] = u + t;
  a[1] = u - t + p2;
}

inline void Inverse2(Limb* a, Limb z, Modulus const q) noexcept {
  Limb const p2 = 2 * q.p;
  Limb const u = a[0];
  Limb const v = a[1];
  Limb s = u + v;
  s -= s >= p2 ? p2 : 0;
  a[0] = s;
  a[1] = q.Mul(u - v + p2, z);
}

// Blocks up to this length (16 KB) are transformed level by level while they
// stay in the first-level cache; longer ones split first and recurse.
constexpr std::size_t kLocalBlock = 2048;

void Forward(Limb* a, std::size_t n, std::size_t node, Limb const* roots, Modulus const q) noexcept {
  if (n > kLocalBlock) {
    Forward4(a, n / 4, roots[node], roots[2 * node], roots[2 * node + 1], q);
    for (std::size_t i = 0; i < 4; ++i) Forward(a + i * (n / 4), n / 4, 4 * node + i, roots, q);
    return;
  }
  // Pairs of levels from the top; a last single level when their number is odd.
  std::size_t depth = 0;
  for (; (std::size_t{4} << depth) <= n; depth += 2) {
    std::size_t const h = n >> (depth + 2);
    std::size_t const blocks = std::size_t{1} << depth;
    for (std::size_t b = 0; b < blocks; ++b) {
      std::size_t const k = (node << depth) + b;
      Forward4(a + b * 4 * h, h, roots[k], roots[2 * k], roots[2 * k + 1], q);
    }
  }
  if ((std::size_t{2} << depth) == n) {
    std::size_t const blocks = std::size_t{1} << depth;
    for (std::size_t b = 0; b < blocks; ++b) Forward2(a + 2 * b, roots[(node << depth) + b], q);
  }
}

void Inverse(Limb* a, std::size_t n, std::size_t node, Limb const* roots, Modulus const q) noexcept {
  if (n > kLocalBlock) {
    for (std::size_t i = 0; i < 4; ++i) Inverse(a + i * (n / 4), n / 4, 4 * node + i, roots, q);
    Inverse4(a, n / 4, roots[node], roots[2 * node], roots[2 * node + 1], q);
    return;
  }
  std::size_t levels = 0;
  while ((std::size_t{1} << levels) < n) ++levels;
  std::size_t depth = levels;  // levels left above, deepest first
  if (levels % 2 == 1) {
    --depth;
    std::size_t const blocks = std::size_t{1} << depth;
    for (std::size_t b = 0; b < blocks; ++b) Inverse2(a + 2 * b, roots[(node << depth) + b], q);
  }
  while (depth >= 2) {
    depth -= 2;
    std::size_t const h = n >> (depth + 2);
    std::size_t const blocks = std::size_t{1} << depth;
    for (std::size_t b = 0; b < blocks; ++b) {
      std::size_t const k = (node << depth) + b;
      Inverse4(a + b * 4 * h, h, roots[k], roots[2 * k], roots[2 * k + 1], q);
    }
  }
}

// Lengths 3M (M a power of two) go through the three factors of x^3M - 1,
// x^M - c for the cube roots of unity c = 1, w, w^2: the residues of f are
// f0 + c f1 + c^2 f2 (f0, f1, f2 its thirds), and a residue modulo x^M - c
// becomes a cyclic one of length M by the substitution x = y g^i with
// g^M = c (g a root of order 3M): its coefficient i is multiplied by g^i.
struct Thirds {
  Thirds(std::size_t M, Prime const& q) : twist(new Limb[2 * M]) {
    Limb const p = q.p;
    Limb const gM = MontPow(q.generatorM, (p - 1) / (3 * M), q);
    omega = MontPow(gM, M, q);
    Limb const giM = MontPow(gM, p - 2, q);
    Limb* const up = twist.get();
    Limb* const down = up + M;
    up[0] = down[0] = q.one;
    for (std::size_t i = 1; i < M; ++i) {
      up[i] = Reduce2(MontMul(up[i - 1], gM, q), p);
      down[i] = Reduce2(MontMul(down[i - 1], giM, q), p);
    }
  }
  std::unique_ptr<Limb[]> twist;  // g^i, then g^-i, for i < M (Montgomery form)
  Limb omega;                     // w (Montgomery form)
};

// f (length 3M, values below p) -> its three twisted residues, below 4p.
void SplitThirds(Limb* f, std::size_t M, Thirds const& t, Modulus const mod) noexcept {
  Limb const p = mod.p;
  Limb const* const up = t.twist.get();
  for (std::size_t i = 0; i < M; ++i) {
    Limb const x = f[i];
    Limb const y = f[M + i];
    Limb const z = f[2 * M + i];
    Limb const ty = Reduce2(mod.Mul(y, t.omega), p);  // w y
    Limb const tz = Reduce2(mod.Mul(z, t.omega), p);  // w z
    Limb const tzz = Reduce2(mod.Mul(tz, t.omega), p);  // w^2 z
    Limb const s = Reduce2(y + z, p);
    Limb const u = Reduce2(ty + tzz, p);
    f[i] = x + s;                                   // x + y + z
    Limb const rw = x + u;                          // x + w y + w^2 z
    Limb const rw2 = x + 2 * p - s - u;             // x + w^2 y + w z = x - y - z - w y - w^2 z
    Limb const g = up[i];
    f[M + i] = mod.Mul(rw, g);
    f[2 * M + i] = mod.Mul(rw2, Reduce2(mod.Mul(g, g), p));
  }
}

// Undoes SplitThirds up to the factor 3: residues below 2p in, below 4p out.
void JoinThirds(Limb* f, std::size_t M, Thirds const& t, Modulus const mod) noexcept {
  Limb const p = mod.p;
  Limb const* const down = t.twist.get() + M;
  for (std::size_t i = 0; i < M; ++i) {
    Limb const g = down[i];
    Limb const r1 = Reduce2(f[i], p);
    Limb const rw = Reduce2(mod.Mul(f[M + i], g), p);
    Limb const rw2 = Reduce2(mod.Mul(f[2 * M + i], Reduce2(mod.Mul(g, g), p)), p);
    Limb const a = Reduce2(mod.Mul(rw, t.omega), p);   // w rw
    Limb const b = Reduce2(mod.Mul(rw2, t.omega), p);  // w rw2
    f[i] = r1 + rw + rw2;                              // < 3p
    f[M + i] = r1 + b + 2 * p - rw - a;                // r1 + w^2 rw + w rw2
    f[2 * M + i] = r1 + a + 2 * p - rw2 - b;           // r1 + w rw + w^2 rw2
  }
}

// out[0 .. N) = the cyclic convolution of a and b modulo q.p, fully reduced,
// for N = M or 3M. fb is working storage of N limbs (unused when squaring),
// roots of N / 2.
void ConvolveModPrime(Limb* out, Limb* fb, Limb* roots, std::size_t N, Limb const* a, std::size_t na, Limb const* b,
                      std::size_t nb, Prime const& q) {
  Limb const p = q.p;
  Modulus const mod(q);
  bool const square = a == b && na == nb;
  std::size_t const M = N % 3 == 0 ? N / 3 : N;
  std::unique_ptr<Thirds> thirds;
  if (M != N) thirds.reset(new Thirds(M, q));
  // The limbs, read as residues (each is below 10^18 < p), and zeros, wrapped
  // modulo x^N - 1 when longer than N.
  auto load = [N](Limb* f, Limb const* x, std::size_t n, Limb modulus) {
    std::size_t const first = std::min(n, N);
    std::copy(x, x + first, f);
    std::fill(f + first, f + N, Limb{0});
    for (std::size_t i = N; i < n; ++i) {
      Limb const s = f[i % N] + x[i];
      f[i % N] = s >= modulus ? s - modulus : s;
    }
  };
  auto forward = [&](Limb* f) {
    if (thirds) SplitThirds(f, M, *thirds, mod);
    for (std::size_t k = 0; k < N; k += M) Forward(f + k, M, 0, roots, mod);
  };
  FillRoots(roots, std::max<std::size_t>(M / 2, 1), q, false);
  load(out, a, na, p);
  forward(out);
  Limb const* g = out;
  if (!square) {
    load(fb, b, nb, p);
    forward(fb);
    g = fb;
  }
  Limb const p2 = 2 * p;
  for (std::size_t i = 0; i < N; ++i) {
    Limb x = out[i];
    x -= x >= p2 ? p2 : 0;
    Limb y = g[i];
    y -= y >= p2 ? p2 : 0;
    out[i] = mod.Mul(x, y);  // x y R^-1
  }
  FillRoots(roots, std::max<std::size_t>(M / 2, 1), q, true);
  for (std::size_t k = 0; k < N; k += M) Inverse(out + k, M, 0, roots, mod);
  if (thirds) JoinThirds(out, M, *thirds, mod);
  // The inverse leaves N c R^-1: multiply by R^2 / N (Montgomery form of R / N).
  Limb const nInverseM = MontPow(Montgomery(N, q), p - 2, q);  // R / N
  Limb const scale = Reduce2(MontMul(nInverseM, q.r2, q), p);  // R^2 / N
  for (std::size_t i = 0; i < N; ++i) out[i] = Reduce2(mod.Mul(out[i], scale), p);
}

// Garner's reconstruction: x = r0 + p0 (v1 + p1 v2), x < p0 p1 p2.
struct Crt {
  Limb inv01M;     // p0^-1 mod p1, Montgomery form for p1
  Limb inv012M;    // (p0 p1)^-1 mod p2, Montgomery form for p2
  Limb p0mod2M;    // p0 mod p2, Montgomery form for p2
  Limb p01lo, p01hi;  // p0 p1
};

constexpr Crt MakeCrt() {
  Prime const& q0 = kPrimes[0];
  Prime const& q1 = kPrimes[1];
  Prime const& q2 = kPrimes[2];
  Limb const inv01 = PowMod(q0.p % q1.p, q1.p - 2, q1.p);
  Limb const p01mod2 = MulMod(q0.p % q2.p, q1.p % q2.p, q2.p);
  Limb const inv012 = PowMod(p01mod2, q2.p - 2, q2.p);
  Wide const p01 = Wide{q0.p} * q1.p;
  return Crt{ToMontgomery(inv01, q1), ToMontgomery(inv012, q2), ToMontgomery(q0.p % q2.p, q2),
             static_cast<Limb>(p01), static_cast<Limb>(p01 >> 64)};
}
constexpr Crt kCrt = MakeCrt();

// The coefficient i as three words (below 2^186), from its residues.
inline void Reconstruct(Limb r0, Limb r1, Limb r2, Limb& w0, Limb& w1, Limb& w2) noexcept {
  Prime const& q1 = kPrimes[1];
  Prime const& q2 = kPrimes[2];
  Limb const a1 = Reduce2(r0, q1.p);  // r0 < p0 < 2 p1
  Limb const d1 = r1 >= a1 ? r1 - a1 : r1 + q1.p - a1;
  Limb const v1 = Reduce2(MontMul(d1, kCrt.inv01M, q1), q1.p);
  // x01 = r0 + p0 v1 modulo p2.
  Limb const a2 = Reduce2(r0, q2.p);
  Limb x01 = a2 + Reduce2(MontMul(v1, kCrt.p0mod2M, q2), q2.p);
  x01 = Reduce2(x01, q2.p);
  Limb const d2 = r2 >= x01 ? r2 - x01 : r2 + q2.p - x01;
  Limb const v2 = Reduce2(MontMul(d2, kCrt.inv012M, q2), q2.p);
  // x = r0 + p0 v1 + p0 p1 v2.
  Wide lowPart = Wide{kPrimes[0].p} * v1 + r0;  // < 2^124
  Wide const a = Wide{kCrt.p01lo} * v2;
  Wide const b = Wide{kCrt.p01hi} * v2;
  Wide const low = static_cast<Limb>(lowPart) + Wide{static_cast<Limb>(a)};
  w0 = static_cast<Limb>(low);
  Wide const mid = (lowPart >> 64) + (a >> 64) + static_cast<Limb>(b) + (low >> 64);
  w1 = static_cast<Limb>(mid);
  w2 = static_cast<Limb>(b >> 64) + static_cast<Limb>(mid >> 64);
}

// The three residue arrays and their working storage.
class Convolution {
 public:
  // Convolves a and b cyclically with length N (a power of two).
  Convolution(std::size_t N, Limb const* a, std::size_t na, Limb const* b, std::size_t nb)
      : n_(N), storage_(new Limb[5 * N]) {
    Limb* const fb = storage_.get() + 3 * N;
    Limb* const roots = fb + N;
    for (int i = 0; i < 3; ++i) ConvolveModPrime(Residues(i), fb, roots, N, a, na, b, nb, kPrimes[i]);
  }
  Limb* Residues(int i) noexcept { return storage_.get() + static_cast<std::size_t>(i) * n_; }

  // Carries coefficients [0, count) into r[0 .. count) in base 10^18 starting
  // with the carry (c1, c0); returns the carry out in (c1, c0).
  void Carry(Limb* r, std::size_t count, Limb& c1, Limb& c0) noexcept {
    Limb const* const x = Residues(0);
    Limb const* const y = Residues(1);
    Limb const* const z = Residues(2);
    for (std::size_t i = 0; i < count; ++i) {
      Limb w0, w1, w2;
      Reconstruct(x[i], y[i], z[i], w0, w1, w2);
      Wide const s0 = Wide{w0} + c0;
      Wide const s1 = Wide{w1} + c1 + static_cast<Limb>(s0 >> 64);
      w2 += static_cast<Limb>(s1 >> 64);  // below 2^59: a quotient fits
      Limb rest;
      Limb const q1 = DivBase(w2, static_cast<Limb>(s1), rest);
      Limb const q0 = DivBase(rest, static_cast<Limb>(s0), r[i]);
      c1 = q1;
      c0 = q0;
    }
  }

 private:
  std::size_t n_;
  std::unique_ptr<Limb[]> storage_;
};

}  // namespace

std::size_t TransformLength(std::size_t n) noexcept {
  std::size_t N = 4;
  while (N < n) N *= 2;
  // 3 2^k when it is enough: it wastes less than the next power of two.
  return N >= 8 && N / 4 * 3 >= n ? N / 4 * 3 : N;
}

void MulTransform(Limb* r, Limb const* a, std::size_t na, Limb const* b, std::size_t nb) {
  std::size_t const n = na + nb;
  std::size_t const N = TransformLength(n);
  Convolution conv(N, a, na, b, nb);
  Limb c1 = 0, c0 = 0;
  // The product has n limbs; coefficient n - 1 is zero, so the carry ends there.
  conv.Carry(r, n, c1, c0);
}

void MulCyclic(Limb* r, std::size_t L, Limb const* a, std::size_t na, Limb const* b, std::size_t nb) {
  Convolution conv(L, a, na, b, nb);
  Limb c1 = 0, c0 = 0;
  conv.Carry(r, L, c1, c0);
  // B^L = 1: the carry out of the top comes back in at the bottom, until
  // none is left (twice at most: the second carry is at most one).
  while (c1 != 0 || c0 != 0) {
    Limb low;
    Limb const high = DivBase(c1, c0, low);  // the carry is below N B: high < N
    Limb const add[2] = {low, high};
    Limb carry = 0;
    std::size_t i = 0;
    for (; i < L; ++i) {
      Limb const t = r[i] + (i < 2 ? add[i] : 0) + carry;  // < 2B
      carry = static_cast<Limb>(t >= kBase);
      r[i] = t - (carry != 0 ? kBase : 0);
      if (i >= 1 && carry == 0) break;
    }
    c1 = 0;
    c0 = i == L ? carry : 0;
  }
  // All limbs at B - 1 is B^L - 1, that is 0.
  bool allNines = true;
  for (std::size_t i = 0; i < L && allNines; ++i) allNines = r[i] == kBase - 1;
  if (allNines) std::fill(r, r + L, Limb{0});
}

}  // namespace decimal
}  // namespace QDataType
