#include "Base/Memory.h"

#include <cstdlib>

#include "Base/internal/HeapBlocks.h"

namespace QBase {

namespace {
constexpr size_t kAlign = alignof(std::max_align_t);
constexpr size_t kFirstChunk = 4096;
constexpr size_t kMaxChunk = size_t{1} << 20;

constexpr size_t RoundUp(size_t n) { return (n + (kAlign - 1)) & ~(kAlign - 1); }
}  // namespace

// A chunk is a header followed by its payload, aligned for any scalar type.
struct Arena::Chunk {
  Chunk* next;
};
static_assert(sizeof(void*) <= kAlign, "chunk header must fit in one alignment unit");

Buffer::~Buffer() = default;

Arena::Arena(size_t capacity) : capacity_(capacity), nextChunkSize_(kFirstChunk) {}

Arena::~Arena() {
  while (chunks_ != nullptr) {
    Chunk* next = chunks_->next;
    std::free(chunks_);
    chunks_ = next;
  }
}

void* Arena::Allocate(size_t size) {
  if (size > capacity_ - used_ || size > SIZE_MAX - kAlign) return nullptr;
  size_t const need = RoundUp(size == 0 ? 1 : size);
  if (static_cast<size_t>(end_ - cursor_) >= need) {
    void* p = cursor_;
    cursor_ += need;
    used_ += size;
    return p;
  }
  return AllocateSlow(size);
}

void* Arena::AllocateSlow(size_t size) {
  size_t const need = RoundUp(size == 0 ? 1 : size);
  // Large blocks get a chunk of their own so the current chunk stays usable.
  bool const dedicated = need > nextChunkSize_ / 4;
  size_t const payload = dedicated ? need : nextChunkSize_;
  if (payload > SIZE_MAX - kAlign) return nullptr;
  auto* chunk = static_cast<Chunk*>(std::malloc(kAlign + payload));
  if (chunk == nullptr) return nullptr;
  char* const base = reinterpret_cast<char*>(chunk) + kAlign;
  if (dedicated && chunks_ != nullptr) {
    chunk->next = chunks_->next;
    chunks_->next = chunk;
  } else {
    chunk->next = chunks_;
    chunks_ = chunk;
  }
  if (!dedicated) {
    cursor_ = base + need;
    end_ = base + payload;
    if (nextChunkSize_ < kMaxChunk) nextChunkSize_ *= 2;
  } else if (chunks_ == chunk) {
    // The first chunk of the arena is a dedicated one: nothing left to carve.
    cursor_ = end_ = base + payload;
  }
  used_ += size;
  return base;
}

void* AllocateFromHeap(size_t bytes) {
  void* const block = AllocateHeapBlock(bytes, BlockClass(bytes));
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

void FreeToHeap(void* p, size_t bytes) noexcept {
  if (p != nullptr) FreeHeapBlock(p, BlockClass(bytes));
}

}  // namespace QBase

void* operator new(size_t size, QBase::Buffer* buffer) noexcept {
  if (buffer == nullptr) return ::operator new(size, std::nothrow);
  return buffer->Allocate(size);
}

void* operator new[](size_t size, QBase::Buffer* buffer) noexcept {
  if (buffer == nullptr) return ::operator new[](size, std::nothrow);
  return buffer->Allocate(size);
}

void operator delete(void* p, QBase::Buffer* buffer) noexcept {
  if (buffer == nullptr) ::operator delete(p);
}

void operator delete[](void* p, QBase::Buffer* buffer) noexcept {
  if (buffer == nullptr) ::operator delete[](p);
}
