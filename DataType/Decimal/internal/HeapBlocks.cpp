#include "DataType/Decimal/internal/HeapBlocks.h"

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

namespace QDataType {
namespace decimal {
namespace {

struct Link {
  Link* next;
};

// The kept blocks of one thread. Plain data, so that it is never destroyed
// and stays readable to the very end of the thread; Reaper (below) empties it.
struct Kept {
  Link* head[kBlockSizes];
  std::uint32_t count[kBlockSizes];
  enum : std::uint8_t { kUnused, kOpen, kClosed } state;
};

#if defined(__GNUC__)
__attribute__((tls_model("initial-exec")))
#endif
thread_local Kept kept;  // zero-initialised: no blocks, unused

// Made on a thread's first kept block; at the thread's end frees the kept
// blocks and closes the cache (blocks freed later, by destructors that run
// after this one, go straight back to the heap).
struct Reaper {
  Reaper() noexcept { kept.state = Kept::kOpen; }
  ~Reaper() {
    for (std::uint32_t c = 0; c < kBlockSizes; ++c) {
      while (Link* const l = kept.head[c]) {
        kept.head[c] = l->next;
        std::free(l);
      }
      kept.count[c] = 0;
    }
    kept.state = Kept::kClosed;
  }
  void Touch() noexcept {}
};

thread_local Reaper reaper;

}  // namespace

void* AllocateHeapBlock(std::size_t bytes, std::uint32_t sizeClass) noexcept {
  if (sizeClass == 0) return std::malloc(bytes);
  if (QDT_KEEP_BLOCKS) {
    Kept& k = kept;
    if (Link* const l = k.head[sizeClass - 1]) {
      k.head[sizeClass - 1] = l->next;
      --k.count[sizeClass - 1];
      return l;
    }
  }
  return std::malloc(sizeClass * kBlockStep);
}

void FreeHeapBlock(void* block, std::uint32_t sizeClass) noexcept {
  if (block == nullptr) return;
  if (QDT_KEEP_BLOCKS && sizeClass != 0) {
    Kept& k = kept;
    if (k.state == Kept::kUnused) reaper.Touch();
    if (k.state == Kept::kOpen && k.count[sizeClass - 1] < kKeptPerSize) {
      Link* const l = static_cast<Link*>(block);
      l->next = k.head[sizeClass - 1];
      k.head[sizeClass - 1] = l;
      ++k.count[sizeClass - 1];
      return;
    }
  }
  std::free(block);
}

}  // namespace decimal
}  // namespace QDataType
