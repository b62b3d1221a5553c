// Memory: arenas and the allocation functions that place objects in them.
//
// A `Buffer` is an arena: it hands out blocks that live as long as the arena
// itself and are never freed one by one. Objects and containers take their
// storage either from a caller's arena or, when the buffer pointer is null,
// from the process heap:
//
//   QBase::Arena arena;
//   Widget* w = new (&arena) Widget;      // storage from the arena
//   Widget* h = new (static_cast<QBase::Buffer*>(nullptr)) Widget;  // heap
//
// `operator new(size_t, Buffer*)` never throws: when the arena cannot supply
// the block (or the heap is exhausted) it returns null and no object is built;
// callers test the result. An arena object is destroyed by calling its
// destructor; its storage goes back when the arena is destroyed. A heap object
// made with a null buffer is released with plain `delete`.
//
// `Allocator<T>` binds a standard container to a buffer, so that a container
// made with an arena takes all of its storage from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <new>
#include <type_traits>

#include "Base/Export.h"

namespace QBase {

// An arena of memory blocks. `Allocate` returns a block of at least `size`
// bytes aligned for any scalar type, or null when the arena cannot supply it.
class QDT_API Buffer {
 public:
  virtual ~Buffer();
  virtual size_t GetUsedSize() const = 0;
  virtual void* Allocate(size_t size) = 0;
};

// A monotonic arena with an optional capacity. Blocks are carved from chunks
// taken from the heap; all chunks are returned when the arena is destroyed.
// `GetUsedSize()` counts the bytes handed out (as requested, before
// alignment); `Allocate` returns null once that count would exceed `capacity`.
class QDT_API Arena final : public Buffer {
 public:
  explicit Arena(size_t capacity = SIZE_MAX);
  ~Arena() override;
  Arena(Arena const&) = delete;
  Arena& operator=(Arena const&) = delete;

  size_t GetUsedSize() const override { return used_; }
  void* Allocate(size_t size) override;

  size_t GetCapacity() const { return capacity_; }

 private:
  struct Chunk;
  void* AllocateSlow(size_t size);

  Chunk* chunks_ = nullptr;
  char* cursor_ = nullptr;
  char* end_ = nullptr;
  size_t used_ = 0;
  size_t capacity_;
  size_t nextChunkSize_;
};

// Standard allocator over a Buffer (the heap when the buffer is null).
// Allocation failure throws std::bad_alloc, as containers expect.
template <class T>
class Allocator {
 public:
  using value_type = T;
  using propagate_on_container_move_assignment = std::true_type;
  using propagate_on_container_swap = std::true_type;

  Allocator() noexcept = default;
  Allocator(Buffer* buffer) noexcept : buffer_(buffer) {}  // NOLINT: implicit by design
  template <class U>
  Allocator(Allocator<U> const& other) noexcept : buffer_(other.GetBuffer()) {}

  T* allocate(size_t n) {
    if (n > std::numeric_limits<size_t>::max() / sizeof(T)) throw std::bad_array_new_length();
    size_t const bytes = n * sizeof(T);
    if (buffer_ == nullptr) return static_cast<T*>(::operator new(bytes));
    void* p = buffer_->Allocate(bytes);
    if (p == nullptr) throw std::bad_alloc();
    return static_cast<T*>(p);
  }
  void deallocate(T* p, size_t) noexcept {
    if (buffer_ == nullptr) ::operator delete(p);
  }

  Buffer* GetBuffer() const noexcept { return buffer_; }

  template <class U>
  bool operator==(Allocator<U> const& other) const noexcept { return buffer_ == other.GetBuffer(); }
  template <class U>
  bool operator!=(Allocator<U> const& other) const noexcept { return buffer_ != other.GetBuffer(); }

 private:
  Buffer* buffer_ = nullptr;
};

}  // namespace QBase

// Placement in a Buffer (heap when null). Never throws; null means no object.
QDT_API void* operator new(size_t size, QBase::Buffer* buffer) noexcept;
QDT_API void* operator new[](size_t size, QBase::Buffer* buffer) noexcept;
// Called by a new-expression whose constructor threw, or explicitly to give
// back storage: heap storage is freed, arena storage stays with the arena.
QDT_API void operator delete(void* p, QBase::Buffer* buffer) noexcept;
QDT_API void operator delete[](void* p, QBase::Buffer* buffer) noexcept;
