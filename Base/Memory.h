/// @file
/// Memory: arenas and the allocation functions that place objects in them.
///
/// A `Buffer` is an arena: it hands out blocks that live as long as the arena
/// itself and are never freed one by one. Objects and containers take their
/// storage either from a caller's arena or, when the buffer pointer is null,
/// from the process heap:
///
/// @code
///   QBase::Arena arena;
///   Widget* w = new (&arena) Widget;      // storage from the arena
///   Widget* h = new (static_cast<QBase::Buffer*>(nullptr)) Widget;  // heap
/// @endcode
///
/// `operator new(size_t, Buffer*)` never throws: when the arena cannot supply
/// the block (or the heap is exhausted) it returns null and no object is built;
/// callers test the result. An arena object is destroyed by calling its
/// destructor; its storage goes back when the arena is destroyed. A heap object
/// made with a null buffer is released with plain `delete`.
///
/// `Allocator<T>` binds a standard container to a buffer, so that a container
/// made with an arena takes all of its storage from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <new>
#include <type_traits>

#include "Base/Export.h"

namespace QBase {

/// An arena of memory blocks. `Allocate` returns a block of at least `size`
/// bytes aligned for any scalar type, or null when the arena cannot supply it.
/// Blocks live until the arena is destroyed; they are never freed one by one.
class QDT_API Buffer {
 public:
  virtual ~Buffer();
  /// The number of bytes handed out so far.
  virtual size_t GetUsedSize() const = 0;
  /// A block of at least `size` bytes aligned for any scalar type, owned by
  /// the arena; null when the arena cannot supply it. Never throws.
  virtual void* Allocate(size_t size) = 0;
};

/// A monotonic arena with an optional capacity. Blocks are carved from chunks
/// taken from the heap; all chunks are returned when the arena is destroyed.
/// `GetUsedSize()` counts the bytes handed out (as requested, before
/// alignment); `Allocate` returns null once that count would exceed `capacity`.
class QDT_API Arena final : public Buffer {
 public:
  /// An empty arena that hands out at most `capacity` bytes in all (no limit
  /// by default). No memory is taken until the first `Allocate`.
  explicit Arena(size_t capacity = SIZE_MAX);
  ~Arena() override;
  Arena(Arena const&) = delete;
  Arena& operator=(Arena const&) = delete;

  /// The bytes handed out so far, as requested (alignment padding not counted).
  size_t GetUsedSize() const override { return used_; }
  /// A block of at least `size` bytes (a distinct block also for 0); null,
  /// with nothing counted, when the capacity would be exceeded or the heap
  /// refuses a new chunk.
  void* Allocate(size_t size) override;

  /// The capacity given at construction, in bytes.
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

/// Heap storage as `Allocator` takes it without a buffer: `bytes` from the
/// process heap (std::bad_alloc when it is exhausted). Blocks of up to 256
/// bytes are kept by the thread that frees them for the next request of about
/// the same size, so a small container made and dropped over and over costs
/// no call into the heap each time.
QDT_API void* AllocateFromHeap(size_t bytes);
/// Gives back a block of AllocateFromHeap; `bytes` is the size asked for.
QDT_API void FreeToHeap(void* p, size_t bytes) noexcept;

/// Standard allocator over a Buffer (the heap when the buffer is null, through
/// AllocateFromHeap). Allocation failure throws std::bad_alloc, as containers
/// expect. Two allocators are equal when they use the same buffer.
template <class T>
class Allocator {
 public:
  using value_type = T;  //!< The element type.
  /// A container's move assignment takes the source's buffer along.
  using propagate_on_container_move_assignment = std::true_type;
  /// Swapping two containers swaps their buffers.
  using propagate_on_container_swap = std::true_type;

  /// An allocator over the heap.
  Allocator() noexcept = default;
  /// An allocator over `buffer` (the heap when null); implicit, so a buffer
  /// can be passed wherever a container takes an allocator.
  Allocator(Buffer* buffer) noexcept : buffer_(buffer) {}  // NOLINT: implicit by design
  /// The same buffer for another element type.
  template <class U>
  Allocator(Allocator<U> const& other) noexcept : buffer_(other.GetBuffer()) {}

  /// Room for `n` objects. Throws std::bad_array_new_length when the size does
  /// not fit in `size_t` and std::bad_alloc when the buffer or the heap refuses.
  T* allocate(size_t n) {
    if (n > std::numeric_limits<size_t>::max() / sizeof(T)) throw std::bad_array_new_length();
    size_t const bytes = n * sizeof(T);
    if (buffer_ == nullptr) return static_cast<T*>(AllocateFromHeap(bytes));
    void* p = buffer_->Allocate(bytes);
    if (p == nullptr) throw std::bad_alloc();
    return static_cast<T*>(p);
  }
  /// Frees heap storage; storage from a buffer stays with the buffer.
  void deallocate(T* p, size_t n) noexcept {
    if (buffer_ == nullptr) FreeToHeap(p, n * sizeof(T));
  }

  /// The buffer, or null for the heap.
  Buffer* GetBuffer() const noexcept { return buffer_; }

  /// True when both allocate from the same buffer (or both from the heap).
  template <class U>
  bool operator==(Allocator<U> const& other) const noexcept { return buffer_ == other.GetBuffer(); }
  /// True when they allocate from different buffers.
  template <class U>
  bool operator!=(Allocator<U> const& other) const noexcept { return buffer_ != other.GetBuffer(); }

 private:
  Buffer* buffer_ = nullptr;
};

}  // namespace QBase

/// Placement in a Buffer (heap when null). Never throws; null means no object.
QDT_API void* operator new(size_t size, QBase::Buffer* buffer) noexcept;
/// Array placement in a Buffer (heap when null). Never throws; null means no array.
QDT_API void* operator new[](size_t size, QBase::Buffer* buffer) noexcept;
/// Called by a new-expression whose constructor threw, or explicitly to give
/// back storage: heap storage is freed, arena storage stays with the arena.
QDT_API void operator delete(void* p, QBase::Buffer* buffer) noexcept;
/// The array form of `operator delete(void*, QBase::Buffer*)`.
QDT_API void operator delete[](void* p, QBase::Buffer* buffer) noexcept;
