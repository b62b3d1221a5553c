// Packing and concatenating blobs against the memcpy floor.
//
// The source is 10,000 heap blobs of random sizes from 1 B to 64 KiB (about
// 320 MiB). Each run builds the result from scratch and frees it:
//   BM_PackInto1MiBGroups   CombineBinaryCollection(source, 1 MiB)
//   BM_Concatenate          CreateBinary(source, nullptr)
//   BM_VectorConcatenation  peer: one std::vector<std::byte>, one reserve,
//                           then an insert per blob
// Compare each library figure with the peer's from the same run.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <memory>
#include <random>
#include <vector>

#include "DataType/DataType.h"

namespace {

struct Destroy {
  void operator()(QDataType::BinaryCollection* c) const { c->Destroy(); }
};
using CollectionPtr = std::unique_ptr<QDataType::BinaryCollection, Destroy>;

struct Source {
  CollectionPtr blobs{QDataType::CreateBinaryCollection()};
  size_t total = 0;

  Source() {
    std::mt19937_64 rng(42);
    std::uniform_int_distribution<size_t> size(1, 64 * 1024);
    std::vector<unsigned char> bytes(64 * 1024);
    for (auto& b : bytes) b = static_cast<unsigned char>(rng());
    for (int i = 0; i < 10000; ++i) {
      size_t const n = size(rng);
      blobs->Add(QDataType::CreateBinary(bytes.data() + (rng() % (bytes.size() - n + 1)), n));
      total += n;
    }
  }
};

Source const& TheSource() {
  static Source const source;
  return source;
}

void BM_PackInto1MiBGroups(benchmark::State& state) {
  Source const& s = TheSource();
  for (auto _ : state) {
    CollectionPtr packed(QDataType::CombineBinaryCollection(s.blobs.get(), size_t{1} << 20));
    benchmark::DoNotOptimize(packed->GetAt(0)->GetData());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * s.total));
}

void BM_Concatenate(benchmark::State& state) {
  Source const& s = TheSource();
  for (auto _ : state) {
    std::unique_ptr<QDataType::Binary> all(QDataType::CreateBinary(s.blobs.get(), nullptr));
    benchmark::DoNotOptimize(all->GetData());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * s.total));
}

void BM_VectorConcatenation(benchmark::State& state) {
  Source const& s = TheSource();
  for (auto _ : state) {
    std::vector<std::byte> all;
    all.reserve(s.total);
    for (unsigned i = 0; i < s.blobs->GetCount(); ++i) {
      auto const* p = static_cast<std::byte const*>(s.blobs->GetAt(i)->GetData());
      all.insert(all.end(), p, p + s.blobs->GetAt(i)->GetSize());
    }
    benchmark::DoNotOptimize(all.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * s.total));
}

BENCHMARK(BM_PackInto1MiBGroups)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Concatenate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VectorConcatenation)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
