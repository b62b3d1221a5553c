// Arenas, placement and the allocator, against the documented contract:
// aligned, distinct, writable blocks; used size as requested; a hard
// capacity; refusals as null (placement) or std::bad_alloc (containers).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "Base/Memory.h"
#include "Base/internal/HeapBlocks.h"

namespace {

struct Tracked {
  static int alive;
  explicit Tracked(bool fail = false) {
    if (fail) throw 42;
    ++alive;
  }
  ~Tracked() { --alive; }
};
int Tracked::alive = 0;

bool Aligned(void const* p) { return reinterpret_cast<uintptr_t>(p) % alignof(std::max_align_t) == 0; }

TEST(Arena, BlocksAreAlignedDistinctCountedAndCapped) {
  QBase::Arena arena;
  std::vector<char*> blocks;
  size_t requested = 0;
  for (size_t size : {1u, 7u, 16u, 100u, 5000u, 0u, 3u, 70000u, 12u}) {
    auto* p = static_cast<char*>(arena.Allocate(size));
    ASSERT_TRUE(p != nullptr && Aligned(p));
    std::memset(p, 0xAB, size);  // writable in full (the sanitizer build checks)
    for (char* q : blocks) EXPECT_NE(p, q);
    blocks.push_back(p);
    requested += size;
  }
  EXPECT_EQ(arena.GetUsedSize(), requested);
  // The capacity is exact: filling it is allowed, one byte more is not.
  QBase::Arena capped(100);
  EXPECT_TRUE(capped.Allocate(60) != nullptr && capped.Allocate(41) == nullptr && capped.Allocate(40) != nullptr);
  EXPECT_TRUE(capped.GetUsedSize() == 100 && capped.Allocate(1) == nullptr);
  QBase::Arena unlimited;  // sizes whose rounding would overflow
  EXPECT_TRUE(unlimited.Allocate(SIZE_MAX) == nullptr && unlimited.Allocate(SIZE_MAX - 8) == nullptr && unlimited.GetUsedSize() == 0);
}

// A buffer that refuses every request.
class Refusing : public QBase::Buffer {
 public:
  size_t GetUsedSize() const override { return 0; }
  void* Allocate(size_t) override { return nullptr; }
};

TEST(PlacementNew, ArenaHeapRefusalAndThrowingConstructors) {
  QBase::Arena arena;
  (new (&arena) Tracked)->~Tracked();
  EXPECT_GE(arena.GetUsedSize(), sizeof(Tracked));
  delete new (static_cast<QBase::Buffer*>(nullptr)) Tracked;  // the heap, released by plain delete
  Refusing refusing;
  EXPECT_EQ(new (&refusing) Tracked, nullptr);
  EXPECT_EQ(Tracked::alive, 0);  // no constructor ran
  // Storage goes back when the constructor throws (LeakSanitizer checks the heap).
  EXPECT_THROW(new (static_cast<QBase::Buffer*>(nullptr)) Tracked(true), int);
  EXPECT_THROW(new (&arena) Tracked(true), int);
  int* array = new (&arena) int[10];
  array[9] = 1;  // writable (the sanitizer build checks)
}

// (Strings drawing from an arena: the Variant tests' texts in arenas.)
TEST(Allocator, RefusalsThrow) {
  QBase::Arena tiny(16);
  std::vector<int, QBase::Allocator<int>> v{QBase::Allocator<int>(&tiny)};
  EXPECT_THROW(v.resize(100), std::bad_alloc);
  EXPECT_THROW(QBase::Allocator<int>().allocate(SIZE_MAX / 2), std::bad_array_new_length);
}

// Heap blocks of every size class and past them are aligned and usable to
// the size asked for; on one thread a freed small block is the next one
// handed out for that size. (Blocks freed on other threads, more than a
// thread keeps: SharedValues.BigDecimalResultsChangeThreads, whose leaks
// the sanitizer build's leak checker sees.)
TEST(HeapBlocks, AlignedUsableAndKeptPerThread) {
  for (size_t n : {size_t{1}, size_t{64}, size_t{65}, size_t{256}, size_t{257}, size_t{5000}}) {
    void* const a = QBase::AllocateFromHeap(n);
    ASSERT_TRUE(Aligned(a)) << n;
    QBase::FreeToHeap(std::memset(a, 0xAB, n), n);
    void* const b = QBase::AllocateFromHeap(n);
    EXPECT_TRUE(a == b || !QDT_KEEP_BLOCKS || n > QBase::kKeptBytes) << n;
    QBase::FreeToHeap(std::memset(b, 0xCD, n), n);
  }
  QBase::FreeToHeap(nullptr, 10);
}

}  // namespace
