#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <random>
#include <stdexcept>
#include <vector>

#include "Doubles.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
// Let an impossible heap request come back as null here too, as it does
// without the sanitizer, so the std::bad_alloc path can be tested.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }
#endif
#endif

namespace {

using QDataType::Binary;
using QDataType::CreateBinary;
using testing_doubles::Bytes;
using testing_doubles::Make;
using V = std::vector<unsigned char>;
using BinaryPtr = std::unique_ptr<Binary>;

// The storage behind the view, as Rewind shows it (moves the view).
size_t Capacity(Binary* b) {
  b->Rewind();
  return b->GetSize();
}

TEST(Binary, EmptyAndZeroSizeRequestsChangeNothing) {
  BinaryPtr empties[] = {BinaryPtr(CreateBinary()), BinaryPtr(CreateBinary(size_t{0})),
                        BinaryPtr(CreateBinary(nullptr, size_t{0}))};
  for (BinaryPtr const& b : empties) {
    EXPECT_EQ(b->GetSize(), 0u);
    EXPECT_EQ(b->GetData(), nullptr);
    EXPECT_EQ(b->Detach(), nullptr);
  }
  BinaryPtr b(Make({1, 2, 3}));
  void* const data = b->GetData();
  b->SetData(nullptr, 0);
  b->SetSize(0);
  EXPECT_EQ(b->GetData(), data);
  EXPECT_EQ(Bytes(b.get()), (V{1, 2, 3}));
  EXPECT_EQ(Bytes(BinaryPtr(CreateBinary(4)).get()), (V{0, 0, 0, 0}));
}

TEST(Binary, StorageIsReusedAndRewindShowsOldBytes) {
  BinaryPtr b(Make({1, 2, 3, 4, 5, 6, 7, 8}));
  void* const storage = b->GetData();
  b->SetData(V{9, 9, 9}.data(), 3);
  EXPECT_EQ(b->GetData(), storage);
  b->Rewind();
  EXPECT_EQ(Bytes(b.get()), (V{9, 9, 9, 4, 5, 6, 7, 8}));
  b->SetSize(2);  // keeps bytes, view back at the start
  EXPECT_EQ(Bytes(b.get()), (V{9, 9}));
  // The source may be the blob's own view: bytes move, nothing is freed early.
  b->Rewind();
  b->TrimStart(3);
  b->SetData(b->GetData(), 4);
  EXPECT_EQ(Bytes(b.get()), (V{4, 5, 6, 7}));
  b->SetData(V(20, 1).data(), 20);  // grows to exactly 20
  EXPECT_EQ(Capacity(b.get()), 20u);
}

TEST(Binary, TrimsMoveOnlyTheView) {
  BinaryPtr b(Make({1, 2, 3, 4, 5}));
  b->TrimStart(2);
  EXPECT_EQ(Bytes(b.get()), (V{3, 4, 5}));
  b->TrimEnd(1);
  EXPECT_EQ(Bytes(b.get()), (V{3, 4}));
  b->TrimStart(10);
  EXPECT_EQ(b->GetSize(), 0u);
  EXPECT_EQ(b->GetData(), nullptr);
  b->Rewind();
  EXPECT_EQ(Bytes(b.get()), (V{1, 2, 3, 4, 5}));
  b->TrimEnd(5);
  EXPECT_EQ(b->GetSize(), 0u);
  b->Rewind();
  b->TrimEnd(99);
  EXPECT_EQ(b->GetSize(), 0u);
}

TEST(Binary, DetachHandsOverTheBlockOnlyOnTheHeap) {
  BinaryPtr b(Make({1, 2, 3, 4}));
  void* const block = b->GetData();
  b->TrimStart(2);
  void* detached = b->Detach();
  EXPECT_EQ(detached, block);  // the block's start, not the view's
  EXPECT_EQ(b->GetSize(), 0u);
  EXPECT_EQ(Capacity(b.get()), 0u);
  std::free(detached);
  b->SetData(V{7}.data(), 1);  // usable again
  EXPECT_EQ(Bytes(b.get()), V{7});

  QBase::Arena arena;
  Binary* a = Make({1, 2, 3}, &arena);
  EXPECT_EQ(a->Detach(), nullptr);
  EXPECT_EQ(Bytes(a), (V{1, 2, 3}));
}

TEST(Binary, ArenaSuppliesObjectAndStorageOrLeavesTheBlobEmpty) {
  QBase::Arena probe;
  CreateBinary(&probe);
  size_t const object = probe.GetUsedSize();
  QBase::Arena arena(object + 6);
  Binary* a = Make({1, 2, 3}, &arena);
  EXPECT_EQ(arena.GetUsedSize(), object + 3);
  a->SetData(V{4, 5, 6, 7, 8}.data(), 5);  // needs a new block: refused
  EXPECT_EQ(a->GetSize(), 0u);
  EXPECT_EQ(a->GetData(), nullptr);
  EXPECT_EQ(Capacity(a), 0u);
  a->SetSize(3);
  EXPECT_EQ(a->GetSize(), 3u);
  EXPECT_EQ(arena.GetUsedSize(), object + 6);
  QBase::Arena unlimited;
  EXPECT_EQ(CreateBinary(SIZE_MAX, &unlimited)->GetSize(), 0u);  // the arena decides: refused
  QBase::Arena tiny(object - 1);
  EXPECT_THROW(CreateBinary(&tiny), std::bad_alloc);
}

TEST(Binary, ImpossibleSizesThrowAndLeaveTheBlobAsItWas) {
  EXPECT_THROW(CreateBinary(SIZE_MAX, nullptr), std::length_error);
  EXPECT_THROW(CreateBinary(nullptr, SIZE_MAX / 2 + 1, nullptr), std::length_error);
  BinaryPtr b(Make({1, 2}));
  EXPECT_THROW(b->SetSize(size_t{1} << 62), std::bad_alloc);  // fits no address space
  EXPECT_THROW(b->SetData(nullptr, SIZE_MAX), std::length_error);
  EXPECT_EQ(Bytes(b.get()), (V{1, 2}));
  EXPECT_EQ(Capacity(b.get()), 2u);
}

TEST(Binary, OrderIsUnsignedLexicographic) {
  auto less = [](V const& x, V const& y) { return BinaryPtr(Make(x))->IsLess(*BinaryPtr(Make(y))); };
  auto equal = [](V const& x, V const& y) { return BinaryPtr(Make(x))->IsEqual(*BinaryPtr(Make(y))); };
  EXPECT_FALSE(less({}, {}));
  EXPECT_TRUE(less({}, {1}));
  EXPECT_FALSE(less({1}, {}));
  EXPECT_TRUE(less({1, 2}, {1, 2, 3}));
  EXPECT_FALSE(less({1, 2, 3}, {1, 2}));
  EXPECT_FALSE(less({2}, {1, 2, 3}));
  EXPECT_FALSE(less({0x80}, {0x7F}));
  EXPECT_TRUE(equal({}, {}));
  EXPECT_FALSE(equal({1, 2}, {1, 2, 3}));
  // Against the standard library's ordering of unsigned byte vectors, on short
  // blobs over a small alphabet so that prefixes and ties are common.
  std::mt19937 rng(20240601);
  for (int n = 0; n < 2000; ++n) {
    V x(rng() % 4), y(rng() % 4);
    for (auto& c : x) c = static_cast<unsigned char>(0x7E + rng() % 3);
    for (auto& c : y) c = static_cast<unsigned char>(0x7E + rng() % 3);
    ASSERT_EQ(less(x, y), x < y);
    ASSERT_EQ(equal(x, y), x == y);
  }
}

}  // namespace
