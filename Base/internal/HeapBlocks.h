// Heap blocks for objects made without an arena.
//
// Small objects are made and dropped in great numbers (every decimal result
// is a fresh block, every copy of a Variant's string or blob a fresh object),
// so blocks of up to kKeptBytes are kept by the thread that frees them, in four sizes of 64 to 256 bytes, and handed to
// the next value of that size made on that thread instead of going back to
// malloc. At most kKeptPerSize blocks of each size wait on a thread; the
// rest, and everything larger, is plain malloc and free. A thread's kept
// blocks are freed when it ends.
//
// A block remembers its size class (a small number the caller stores with
// it, or works out again from the size it asked for, and gives back to
// Free). Every block comes from std::malloc, so one may also leave the cache
// for good through std::free. Under AddressSanitizer nothing is kept, so
// that a use after free is still reported.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#if defined(__SANITIZE_ADDRESS__)
#define QDT_KEEP_BLOCKS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QDT_KEEP_BLOCKS 0
#endif
#endif
#ifndef QDT_KEEP_BLOCKS
#define QDT_KEEP_BLOCKS 1
#endif

namespace QBase {

constexpr std::size_t kBlockStep = 64;
constexpr std::uint32_t kBlockSizes = 4;
constexpr std::size_t kKeptBytes = kBlockStep * kBlockSizes;
constexpr std::uint32_t kKeptPerSize = 16;

// The size class of a block of `bytes`: 1 to kBlockSizes for those that may
// be kept, 0 for the others.
inline std::uint32_t BlockClass(std::size_t bytes) noexcept {
  return bytes <= kKeptBytes ? static_cast<std::uint32_t>((bytes + kBlockStep - 1) / kBlockStep) : 0;
}

namespace internal {

struct Link {
  Link* next;
};

// The kept blocks of one thread: plain data (no constructor or destructor
// runs for it), so that it stays readable to the very end of the thread.
struct KeptBlocks {
  Link* head[kBlockSizes];
  std::uint32_t count[kBlockSizes];
  enum : std::uint32_t { kUnused, kOpen, kClosed } state;  // kOpen once the thread's cleanup is arranged
};

// Initial-exec: read straight from the thread pointer, with no call on the
// way (its 56 bytes come from the static TLS space that the C library keeps
// spare for libraries loaded later, too).
#if defined(__GNUC__)
extern __thread KeptBlocks tKept __attribute__((tls_model("initial-exec")));
#else
extern thread_local KeptBlocks tKept;
#endif

// Arranges the cleanup at the thread's end, then keeps the block or frees it.
void FreeSlow(void* block, std::uint32_t sizeClass) noexcept;

}  // namespace internal

// A block of at least `bytes` (of exactly its class's size when the class
// is not 0), or null when the heap has none.
inline void* AllocateHeapBlock(std::size_t bytes, std::uint32_t sizeClass) noexcept {
  if (sizeClass == 0) return std::malloc(bytes);
  if (QDT_KEEP_BLOCKS) {
    internal::KeptBlocks& k = internal::tKept;
    if (internal::Link* const l = k.head[sizeClass - 1]) {
      k.head[sizeClass - 1] = l->next;
      --k.count[sizeClass - 1];
      return l;
    }
  }
  return std::malloc(sizeClass * kBlockStep);
}

// Gives back a block made by AllocateHeapBlock with the same class.
inline void FreeHeapBlock(void* block, std::uint32_t sizeClass) noexcept {
  if (QDT_KEEP_BLOCKS && sizeClass != 0) {
    internal::KeptBlocks& k = internal::tKept;
    if (k.state == internal::KeptBlocks::kOpen && k.count[sizeClass - 1] < kKeptPerSize) {
      internal::Link* const l = static_cast<internal::Link*>(block);
      l->next = k.head[sizeClass - 1];
      k.head[sizeClass - 1] = l;
      ++k.count[sizeClass - 1];
      return;
    }
    if (k.state == internal::KeptBlocks::kUnused) {
      internal::FreeSlow(block, sizeClass);
      return;
    }
  }
  std::free(block);
}

}  // namespace QBase
