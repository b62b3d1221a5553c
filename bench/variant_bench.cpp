// Variant against std::variant<int, long long, double, std::u16string>
// doing the same work, in the same binary so each pair is a ratio from one
// run (bench/variant_ratios.py prints them). Per iteration, over 1024 inputs:
//   Numbers      build an int, a double and a long long value; compare them
//                across kinds (==, <) and convert each to another type
//   StringEqual  == of two 64-unit strings equal up to a late position
//   StringLess   < of the same pairs
//   CopyString   copy of a value holding a 64-unit string
//   CopyBlob     copy of a value holding 256 bytes (the peer: a 128-unit
//                string, the same bytes)
// The peer compares across kinds through std::visit in the types' common
// arithmetic, as Variant does.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "DataType/DataType.h"

namespace {

using QDataType::Variant;
using Std = std::variant<int, long long, double, std::u16string>;

constexpr size_t kInputs = 1024;

// --- The peer's cross-kind operations ---------------------------------------

template <class T>
T As(Std const& v) {
  return std::visit(
      [](auto const& x) -> T {
        if constexpr (std::is_arithmetic<std::decay_t<decltype(x)>>::value) {
          return static_cast<T>(x);
        } else {
          return T(0);
        }
      },
      v);
}

bool Equal(Std const& a, Std const& b) {
  return std::visit(
      [](auto const& x, auto const& y) {
        using X = std::decay_t<decltype(x)>;
        using Y = std::decay_t<decltype(y)>;
        if constexpr (std::is_arithmetic<X>::value && std::is_arithmetic<Y>::value) {
          return x == y;
        } else if constexpr (std::is_same<X, Y>::value) {
          return x == y;
        } else {
          return false;
        }
      },
      a, b);
}

bool Less(Std const& a, Std const& b) {
  return std::visit(
      [](auto const& x, auto const& y) -> bool {
        using X = std::decay_t<decltype(x)>;
        using Y = std::decay_t<decltype(y)>;
        if constexpr (std::is_arithmetic<X>::value && std::is_arithmetic<Y>::value) {
          return static_cast<double>(x) < static_cast<double>(y);
        } else if constexpr (std::is_same<X, Y>::value) {
          return x < y;
        } else {
          throw std::invalid_argument("incomparable");
        }
      },
      a, b);
}

// --- Inputs -------------------------------------------------------------------

std::vector<int> const& Ints() {
  static std::vector<int> const ints = [] {
    std::mt19937 rng(7);
    std::vector<int> v(kInputs);
    for (int& x : v) x = static_cast<int>(rng() % 2000) - 1000;
    return v;
  }();
  return ints;
}

// Pairs of 64-unit strings equal up to a position in the last quarter.
struct Texts {
  std::vector<std::u16string> a, b;
  Texts() {
    std::mt19937 rng(11);
    for (size_t i = 0; i < kInputs; ++i) {
      std::u16string s(64, u'a');
      for (char16_t& c : s) c = static_cast<char16_t>(u'a' + rng() % 26);
      std::u16string t = s;
      size_t const at = 48 + rng() % 16;
      if (rng() % 4 != 0) t[at] = static_cast<char16_t>(t[at] + (rng() % 2 ? 1 : -1));
      a.push_back(s);
      b.push_back(t);
    }
  }
};
Texts const& TheTexts() {
  static Texts const texts;
  return texts;
}
unsigned short const* Units(std::u16string const& s) { return reinterpret_cast<unsigned short const*>(s.c_str()); }

// --- Numbers --------------------------------------------------------------------

void BM_Variant_Numbers(benchmark::State& state) {
  auto const& ints = Ints();
  for (auto _ : state) {
    long long sum = 0;
    for (int x : ints) {
      Variant i(x, nullptr), d(x * 0.5, nullptr), l(static_cast<long long>(x) * 3, nullptr);
      sum += (i == d) + (d == l) + (i < l) + (l < d);
      sum += static_cast<long long>(i) + static_cast<int>(d) + static_cast<long long>(static_cast<double>(l));
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kInputs));
}

void BM_Std_Numbers(benchmark::State& state) {
  auto const& ints = Ints();
  for (auto _ : state) {
    long long sum = 0;
    for (int x : ints) {
      Std i(x), d(x * 0.5), l(static_cast<long long>(x) * 3);
      sum += Equal(i, d) + Equal(d, l) + Less(i, l) + (As<long long>(l) < As<long long>(d));
      sum += As<long long>(i) + As<int>(d) + static_cast<long long>(As<double>(l));
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kInputs));
}

// --- Strings --------------------------------------------------------------------

struct VariantTexts {
  std::vector<std::unique_ptr<Variant>> a, b;
  VariantTexts() {
    for (size_t i = 0; i < kInputs; ++i) {
      a.emplace_back(new Variant(Units(TheTexts().a[i]), nullptr));
      b.emplace_back(new Variant(Units(TheTexts().b[i]), nullptr));
    }
  }
};
struct StdTexts {
  std::vector<Std> a, b;
  StdTexts() : a(TheTexts().a.begin(), TheTexts().a.end()), b(TheTexts().b.begin(), TheTexts().b.end()) {}
};

void BM_Variant_StringEqual(benchmark::State& state) {
  VariantTexts const t;
  for (auto _ : state) {
    int n = 0;
    for (size_t i = 0; i < kInputs; ++i) n += *t.a[i] == *t.b[i];
    benchmark::DoNotOptimize(n);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kInputs));
}

void BM_Std_StringEqual(benchmark::State& state) {
  StdTexts const t;
  for (auto _ : state) {
    int n = 0;
    for (size_t i = 0; i < kInputs; ++i) n += Equal(t.a[i], t.b[i]);
    benchmark::DoNotOptimize(n);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kInputs));
}

void BM_Variant_StringLess(benchmark::State& state) {
  VariantTexts const t;
  for (auto _ : state) {
    int n = 0;
    for (size_t i = 0; i < kInputs; ++i) n += *t.a[i] < *t.b[i];
    benchmark::DoNotOptimize(n);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kInputs));
}

void BM_Std_StringLess(benchmark::State& state) {
  StdTexts const t;
  for (auto _ : state) {
    int n = 0;
    for (size_t i = 0; i < kInputs; ++i) n += Less(t.a[i], t.b[i]);
    benchmark::DoNotOptimize(n);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kInputs));
}

// --- Copies ---------------------------------------------------------------------

void BM_Variant_CopyString(benchmark::State& state) {
  Variant const source(Units(TheTexts().a[0]), nullptr);
  for (auto _ : state) {
    Variant copy(source);
    benchmark::DoNotOptimize(copy.GetRawWString());
  }
}

void BM_Std_CopyString(benchmark::State& state) {
  Std const source(TheTexts().a[0]);
  for (auto _ : state) {
    Std copy(source);
    benchmark::DoNotOptimize(std::get<std::u16string>(copy).data());
  }
}

void BM_Variant_CopyBlob(benchmark::State& state) {
  std::vector<unsigned char> const bytes(256, 0x5A);
  std::unique_ptr<QDataType::Binary> blob(QDataType::CreateBinary(bytes.data(), bytes.size()));
  Variant const source(blob.get(), nullptr);
  for (auto _ : state) {
    Variant copy(source);
    benchmark::DoNotOptimize(copy.ToBinary());
  }
}

void BM_Std_CopyBlob(benchmark::State& state) {
  Std const source(std::u16string(128, u'\x5A5A'));
  for (auto _ : state) {
    Std copy(source);
    benchmark::DoNotOptimize(std::get<std::u16string>(copy).data());
  }
}

BENCHMARK(BM_Variant_Numbers);
BENCHMARK(BM_Std_Numbers);
BENCHMARK(BM_Variant_StringEqual);
BENCHMARK(BM_Std_StringEqual);
BENCHMARK(BM_Variant_StringLess);
BENCHMARK(BM_Std_StringLess);
BENCHMARK(BM_Variant_CopyString);
BENCHMARK(BM_Std_CopyString);
BENCHMARK(BM_Variant_CopyBlob);
BENCHMARK(BM_Std_CopyBlob);

}  // namespace

BENCHMARK_MAIN();
