#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "Base/Memory.h"
#include "Base/Strings.h"
#include "Base/internal/HeapBlocks.h"

namespace {

struct Tracked {
  static int alive;
  int value;
  explicit Tracked(int v) : value(v) { ++alive; }
  ~Tracked() { --alive; }
};
int Tracked::alive = 0;

struct Throws {
  Throws() { throw 42; }
};

// A buffer that refuses every request.
class EmptyBuffer : public QBase::Buffer {
 public:
  size_t GetUsedSize() const override { return 0; }
  void* Allocate(size_t) override { return nullptr; }
};

TEST(Arena, BlocksAreAlignedDistinctAndCounted) {
  QBase::Arena arena;
  std::vector<char*> blocks;
  size_t requested = 0;
  for (size_t size : {1u, 7u, 16u, 100u, 5000u, 0u, 3u, 70000u, 12u}) {
    auto* p = static_cast<char*>(arena.Allocate(size));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % alignof(std::max_align_t), 0u);
    std::memset(p, 0xAB, size);  // must be writable in full (ASan checks)
    blocks.push_back(p);
    requested += size;
  }
  EXPECT_EQ(arena.GetUsedSize(), requested);
  for (size_t i = 0; i < blocks.size(); ++i)
    for (size_t j = i + 1; j < blocks.size(); ++j) EXPECT_NE(blocks[i], blocks[j]);
}

TEST(Arena, CapacityIsAHardLimit) {
  QBase::Arena arena(100);
  EXPECT_NE(arena.Allocate(60), nullptr);
  EXPECT_EQ(arena.Allocate(41), nullptr);
  EXPECT_NE(arena.Allocate(40), nullptr);
  EXPECT_EQ(arena.GetUsedSize(), 100u);
  EXPECT_EQ(arena.Allocate(1), nullptr);
  QBase::Arena unlimited;
  EXPECT_EQ(unlimited.Allocate(SIZE_MAX), nullptr);
  EXPECT_EQ(unlimited.Allocate(SIZE_MAX - 8), nullptr);
  EXPECT_EQ(unlimited.GetUsedSize(), 0u);
}

TEST(PlacementNew, ArenaHeapAndRefusal) {
  QBase::Arena arena;
  Tracked* a = new (&arena) Tracked(1);
  ASSERT_NE(a, nullptr);
  EXPECT_GE(arena.GetUsedSize(), sizeof(Tracked));
  a->~Tracked();

  QBase::Buffer* heap = nullptr;
  Tracked* h = new (heap) Tracked(2);
  ASSERT_NE(h, nullptr);
  delete h;  // heap objects are released with plain delete

  EmptyBuffer refusing;
  Tracked* none = new (&refusing) Tracked(3);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(Tracked::alive, 0);  // no constructor ran

  int* array = new (&arena) int[10];
  ASSERT_NE(array, nullptr);
  array[9] = 1;
}

TEST(PlacementNew, ThrowingConstructorGivesHeapStorageBack) {
  QBase::Buffer* heap = nullptr;
  EXPECT_THROW(new (heap) Throws, int);  // LeakSanitizer would report a leak
  QBase::Arena arena;
  EXPECT_THROW(new (&arena) Throws, int);
}

TEST(Allocator, ContainersDrawFromTheArena) {
  QBase::Arena arena;
  using AString = std::basic_string<unsigned short, QBase::WideTraits, QBase::Allocator<unsigned short>>;
  AString s{QBase::Allocator<unsigned short>(&arena)};
  for (int i = 0; i < 100; ++i) s.push_back(static_cast<unsigned short>('a' + i % 26));
  EXPECT_GE(arena.GetUsedSize(), 100 * sizeof(unsigned short));
  EXPECT_EQ(s.get_allocator().GetBuffer(), &arena);

  std::vector<int, QBase::Allocator<int>> onHeap;
  onHeap.assign(1000, 7);
  EXPECT_EQ(onHeap.get_allocator().GetBuffer(), nullptr);

  QBase::Arena tiny(16);
  std::vector<int, QBase::Allocator<int>> v{QBase::Allocator<int>(&tiny)};
  EXPECT_THROW(v.resize(100), std::bad_alloc);
  EXPECT_THROW(QBase::Allocator<int>().allocate(SIZE_MAX / 2), std::bad_array_new_length);
}

// Heap blocks of every size class and past them are aligned for any scalar
// and usable to the size asked for; on one thread a freed small block is the
// next one handed out for that size. Blocks freed on another thread, past
// what a thread keeps, are that thread's to free when it ends (the leak
// checker of the sanitizer build watches this).
TEST(HeapBlocks, AlignedUsableAndKeptPerThread) {
  for (size_t n : {size_t{1}, size_t{40}, size_t{64}, size_t{65}, size_t{200}, size_t{256}, size_t{257}, size_t{5000}}) {
    void* const a = QBase::AllocateFromHeap(n);
    ASSERT_EQ(reinterpret_cast<uintptr_t>(a) % alignof(std::max_align_t), 0u) << n;
    std::memset(a, 0xAB, n);
    QBase::FreeToHeap(a, n);
    void* const b = QBase::AllocateFromHeap(n);
    if (QDT_KEEP_BLOCKS && n <= QBase::kKeptBytes) {
      EXPECT_EQ(a, b) << n;
    }
    std::memset(b, 0xCD, n);
    QBase::FreeToHeap(b, n);
  }
  QBase::FreeToHeap(nullptr, 10);

  std::vector<void*> blocks;
  for (size_t i = 0; i < 3 * QBase::kKeptPerSize; ++i) blocks.push_back(QBase::AllocateFromHeap(100 + i % 100));
  std::thread([&] {
    for (size_t i = 0; i < blocks.size(); ++i) QBase::FreeToHeap(blocks[i], 100 + i % 100);
  }).join();

  std::vector<int, QBase::Allocator<int>> v;
  for (int i = 0; i < 1000; ++i) v.push_back(i);  // grows through every class and past them
  v.resize(3);
  v.shrink_to_fit();
  EXPECT_EQ(v, (std::vector<int, QBase::Allocator<int>>{0, 1, 2}));
}

}  // namespace
