// BigDecimal against a decimal type built on GMP (an mpz_t and an int scale,
// aligned by powers of ten), in the same binary so that each pair of figures
// is a ratio from one run.
//
// Operands have 10, 30, 100, 1000 and 10000 digits, and for the long
// operations 10^5, 10^6, 10^7 and 3 x 10^7. add: operands with different
// scales (2 and 5); mul: the same operands; div: Divide at scale 10, n digits
// by n digits up to 100 and 2n by n digits from 1000 on; divscaled: n digits
// by n digits at scale n (a quotient of n digits); parse: text of n digits
// with a point; print: ToString.
//
// The peer builds a fresh result for every operation (mpz_init, the
// operation, mpz_clear), as a value type does and as BigDecimal must; its
// powers of ten up to 10^63 are computed once, outside the timing.
//
//   decimal_bench --benchmark_min_time=0.2 --benchmark_filter='/(10|30|100)$'
//   bench/decimal_ratios.py runs it and prints the ratios and slopes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "DataType/Decimal/BigDecimal.h"

#ifdef QDT_HAVE_GMP
#include <gmp.h>
#endif

namespace {

using QDataType::BigDecimal;

// n random digits (the first not zero) with a point before the last `scale`.
std::string Digits(int n, int scale, unsigned rngState) {
  std::mt19937 rng(rngState);
  std::string s;
  for (int i = 0; i < n; ++i) {
    s.push_back(static_cast<char>('0' + (i == 0 ? 1 + rng() % 9 : rng() % 10)));
  }
  if (scale > 0) s.insert(s.size() - static_cast<size_t>(scale), 1, '.');
  return s;
}

struct Operands {
  std::string a, b;  // texts
  int scaleA, scaleB;
};

Operands AddOperands(int n) { return {Digits(n, 2, 1), Digits(n, 5, 2), 2, 5}; }
Operands DivScaledOperands(int n) { return {Digits(n, 0, 7), Digits(n, 0, 8), 0, 0}; }
Operands DivOperands(int n) {
  // Dividend and divisor as integers; the quotient is taken at scale 10.
  int const dividend = n >= 1000 ? 2 * n : n;
  return {Digits(dividend, 0, 3), Digits(n, 0, 4), 0, 0};
}

// ---------------------------------------------------------------------------
// BigDecimal

void BM_Decimal_Add(benchmark::State& state) {
  Operands const o = AddOperands(static_cast<int>(state.range(0)));
  BigDecimal a(o.a.c_str(), nullptr), b(o.b.c_str(), nullptr);
  for (auto _ : state) {
    BigDecimal::Ptr r = a + b;
    benchmark::DoNotOptimize(r.get());
  }
}

void BM_Decimal_Mul(benchmark::State& state) {
  Operands const o = AddOperands(static_cast<int>(state.range(0)));
  BigDecimal a(o.a.c_str(), nullptr), b(o.b.c_str(), nullptr);
  for (auto _ : state) {
    BigDecimal::Ptr r = a * b;
    benchmark::DoNotOptimize(r.get());
  }
}

void BM_Decimal_Div(benchmark::State& state) {
  Operands const o = DivOperands(static_cast<int>(state.range(0)));
  BigDecimal a(o.a.c_str(), nullptr), b(o.b.c_str(), nullptr);
  for (auto _ : state) {
    BigDecimal::Ptr r = a.Divide(b, 10);
    benchmark::DoNotOptimize(r.get());
  }
}

void BM_Decimal_DivScaled(benchmark::State& state) {
  int const n = static_cast<int>(state.range(0));
  Operands const o = DivScaledOperands(n);
  BigDecimal a(o.a.c_str(), nullptr), b(o.b.c_str(), nullptr);
  for (auto _ : state) {
    BigDecimal::Ptr r = a.Divide(b, n);
    benchmark::DoNotOptimize(r.get());
  }
}

void BM_Decimal_Parse(benchmark::State& state) {
  int const n = static_cast<int>(state.range(0));
  std::string const text = Digits(n, 5, 5);
  for (auto _ : state) {
    BigDecimal d(text.c_str(), nullptr);
    benchmark::DoNotOptimize(&d);
  }
}

void BM_Decimal_Print(benchmark::State& state) {
  int const n = static_cast<int>(state.range(0));
  std::string const text = Digits(n, 5, 6);
  BigDecimal d(text.c_str(), nullptr);
  for (auto _ : state) {
    QBase::ReturnString s = d.ToString();
    benchmark::DoNotOptimize(s.GetString());
  }
}

#ifdef QDT_HAVE_GMP
// ---------------------------------------------------------------------------
// The peer: what a decimal type built on GMP does for the same operations.

class PowersOfTen {
 public:
  PowersOfTen() {
    for (int k = 0; k < kCount; ++k) {
      mpz_init(p_[k]);
      mpz_ui_pow_ui(p_[k], 10, static_cast<unsigned long>(k));
    }
  }
  ~PowersOfTen() {
    for (auto& p : p_) mpz_clear(p);
  }
  // r = x * 10^k
  void Scale(mpz_t r, mpz_srcptr x, int k) const {
    if (k < kCount) {
      mpz_mul(r, x, p_[k]);
    } else {
      mpz_t t;
      mpz_init(t);
      mpz_ui_pow_ui(t, 10, static_cast<unsigned long>(k));
      mpz_mul(r, x, t);
      mpz_clear(t);
    }
  }

 private:
  static constexpr int kCount = 64;
  mpz_t p_[kCount];
};

PowersOfTen const& Pow10() {
  static PowersOfTen const p;
  return p;
}

struct GmpDecimal {
  mpz_t v;
  int scale = 0;
  GmpDecimal() { mpz_init(v); }
  ~GmpDecimal() { mpz_clear(v); }
  GmpDecimal(GmpDecimal const&) = delete;
  GmpDecimal& operator=(GmpDecimal const&) = delete;

  // Digits without the point, then mpz_set_str.
  void Parse(char const* text) {
    size_t const n = std::strlen(text);
    char local[256];
    std::vector<char> heap;
    char* buffer = local;
    if (n + 1 > sizeof local) {
      heap.resize(n + 1);
      buffer = heap.data();
    }
    size_t k = 0;
    scale = 0;
    bool point = false;
    for (size_t i = 0; i < n; ++i) {
      if (text[i] == '.') {
        point = true;
      } else {
        buffer[k++] = text[i];
        if (point) ++scale;
      }
    }
    buffer[k] = '\0';
    mpz_set_str(v, buffer, 10);
  }

  std::string ToString() const {
    std::string digits(mpz_sizeinbase(v, 10) + 2, '\0');
    mpz_get_str(&digits[0], 10, v);
    digits.resize(std::strlen(digits.c_str()));
    bool const negative = !digits.empty() && digits[0] == '-';
    size_t const start = negative ? 1 : 0;
    size_t const length = digits.size() - start;
    if (scale > 0) {
      if (length <= static_cast<size_t>(scale)) {
        digits.insert(start, static_cast<size_t>(scale) - length + 1, '0');
      }
      digits.insert(digits.size() - static_cast<size_t>(scale), 1, '.');
    }
    return digits;
  }
};

void Add(GmpDecimal& r, GmpDecimal const& a, GmpDecimal const& b) {
  if (a.scale < b.scale) {
    Pow10().Scale(r.v, a.v, b.scale - a.scale);
    mpz_add(r.v, r.v, b.v);
    r.scale = b.scale;
  } else {
    Pow10().Scale(r.v, b.v, a.scale - b.scale);
    mpz_add(r.v, a.v, r.v);
    r.scale = a.scale;
  }
}

void BM_Gmp_Add(benchmark::State& state) {
  Operands const o = AddOperands(static_cast<int>(state.range(0)));
  GmpDecimal a, b;
  a.Parse(o.a.c_str());
  b.Parse(o.b.c_str());
  for (auto _ : state) {
    GmpDecimal r;
    Add(r, a, b);
    benchmark::DoNotOptimize(r.v);
  }
}

void BM_Gmp_Mul(benchmark::State& state) {
  Operands const o = AddOperands(static_cast<int>(state.range(0)));
  GmpDecimal a, b;
  a.Parse(o.a.c_str());
  b.Parse(o.b.c_str());
  for (auto _ : state) {
    GmpDecimal r;
    mpz_mul(r.v, a.v, b.v);
    r.scale = a.scale + b.scale;
    benchmark::DoNotOptimize(r.v);
  }
}

void BM_Gmp_Div(benchmark::State& state) {
  Operands const o = DivOperands(static_cast<int>(state.range(0)));
  GmpDecimal a, b;
  a.Parse(o.a.c_str());
  b.Parse(o.b.c_str());
  int const scale = 10;
  for (auto _ : state) {
    GmpDecimal r;
    // floor-toward-zero of A 10^(scale - sa + sb) / B
    Pow10().Scale(r.v, a.v, scale - a.scale + b.scale);
    mpz_tdiv_q(r.v, r.v, b.v);
    r.scale = scale;
    benchmark::DoNotOptimize(r.v);
  }
}

void BM_Gmp_DivScaled(benchmark::State& state) {
  int const n = static_cast<int>(state.range(0));
  Operands const o = DivScaledOperands(n);
  GmpDecimal a, b;
  a.Parse(o.a.c_str());
  b.Parse(o.b.c_str());
  for (auto _ : state) {
    GmpDecimal r;
    Pow10().Scale(r.v, a.v, n - a.scale + b.scale);
    mpz_tdiv_q(r.v, r.v, b.v);
    r.scale = n;
    benchmark::DoNotOptimize(r.v);
  }
}

void BM_Gmp_Parse(benchmark::State& state) {
  int const n = static_cast<int>(state.range(0));
  std::string const text = Digits(n, 5, 5);
  for (auto _ : state) {
    GmpDecimal d;
    d.Parse(text.c_str());
    benchmark::DoNotOptimize(d.v);
  }
}

void BM_Gmp_Print(benchmark::State& state) {
  int const n = static_cast<int>(state.range(0));
  std::string const text = Digits(n, 5, 6);
  GmpDecimal d;
  d.Parse(text.c_str());
  for (auto _ : state) {
    std::string s = d.ToString();
    benchmark::DoNotOptimize(s.data());
  }
}

#endif

#define QDT_SIZES Arg(10)->Arg(30)->Arg(100)->Arg(1000)->Arg(10000)
// Long operands: a fixed number of iterations (one takes up to seconds).
#define QDT_LONG_AT(fn, n, it) BENCHMARK(fn)->Arg(n)->Iterations(it)->Unit(benchmark::kMillisecond)
#define QDT_LONG(fn)                \
  QDT_LONG_AT(fn, 100000, 20);      \
  QDT_LONG_AT(fn, 1000000, 2);      \
  QDT_LONG_AT(fn, 10000000, 1);     \
  QDT_LONG_AT(fn, 30000000, 1)

BENCHMARK(BM_Decimal_Add)->QDT_SIZES;
BENCHMARK(BM_Decimal_Mul)->QDT_SIZES;
BENCHMARK(BM_Decimal_Div)->QDT_SIZES;
BENCHMARK(BM_Decimal_Parse)->QDT_SIZES;
BENCHMARK(BM_Decimal_Print)->QDT_SIZES;
QDT_LONG(BM_Decimal_Mul);
QDT_LONG(BM_Decimal_Div);
QDT_LONG(BM_Decimal_DivScaled);
QDT_LONG(BM_Decimal_Parse);
QDT_LONG(BM_Decimal_Print);
#ifdef QDT_HAVE_GMP
BENCHMARK(BM_Gmp_Add)->QDT_SIZES;
BENCHMARK(BM_Gmp_Mul)->QDT_SIZES;
BENCHMARK(BM_Gmp_Div)->QDT_SIZES;
BENCHMARK(BM_Gmp_Parse)->QDT_SIZES;
BENCHMARK(BM_Gmp_Print)->QDT_SIZES;
QDT_LONG(BM_Gmp_Mul);
QDT_LONG(BM_Gmp_Div);
QDT_LONG(BM_Gmp_DivScaled);
QDT_LONG(BM_Gmp_Parse);
QDT_LONG(BM_Gmp_Print);
#endif

}  // namespace

BENCHMARK_MAIN();
