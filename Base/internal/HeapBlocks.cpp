#include "Base/internal/HeapBlocks.h"

namespace QBase {
namespace internal {

#if defined(__GNUC__)
__thread KeptBlocks tKept __attribute__((tls_model("initial-exec")));  // zero: no blocks, unused
#else
thread_local KeptBlocks tKept;
#endif

namespace {

// Made on a thread's first kept block; at the thread's end frees the kept
// blocks and closes the cache (blocks freed later, by destructors that run
// after this one, go straight back to the heap).
struct Reaper {
  Reaper() noexcept { tKept.state = KeptBlocks::kOpen; }
  ~Reaper() {
    for (std::uint32_t c = 0; c < kBlockSizes; ++c) {
      while (Link* const l = tKept.head[c]) {
        tKept.head[c] = l->next;
        std::free(l);
      }
      tKept.count[c] = 0;
    }
    tKept.state = KeptBlocks::kClosed;
  }
  void Touch() noexcept {}
};

thread_local Reaper reaper;

}  // namespace

void FreeSlow(void* block, std::uint32_t sizeClass) noexcept {
  reaper.Touch();
  FreeHeapBlock(block, sizeClass);
}

}  // namespace internal
}  // namespace QBase
